// SPDX-License-Identifier: GPL-3.0-or-later
// A character the log cannot hold is refused as it is typed, and the operator is told so: the
// desktop's beep, and a message naming the character in the hint bar until the next key.
#pragma once

#include <QEvent>
#include <QString>

class QObject;

namespace vz::ui {

// The first character of the text that Shift_JIS has no form for; empty when all fit.
QString firstUnencodable(const QString &text);

// Beeps and sends the message to the hint bar's router through the field.
void reportRefusedCharacter(QObject *field, const QString &character);
// The same with a message of the field's own, for characters a field refuses for its purpose.
void reportRefusal(QObject *field, const QString &message);

// Carries the message of a refused character to the hint bar's router.
class RefusedCharacterEvent : public QEvent
{
public:
    explicit RefusedCharacterEvent(QString message);
    static QEvent::Type eventType();
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

} // namespace vz::ui
