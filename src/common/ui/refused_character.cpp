// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ui/refused_character.h"

#include "common/ui/qt_text.h"

#include <QApplication>

namespace vz::ui {

QString firstUnencodable(const QString &text)
{
    for (const char32_t c : text.toUcs4()) {
        const QString one = QString::fromUcs4(&c, 1);
        if (!toSjis(one))
            return one;
    }
    return {};
}

void reportRefusedCharacter(QObject *field, const QString &character)
{
    reportRefusal(field,
                  QStringLiteral("「%1」は記録できない文字のため入力できません").arg(character));
}

void reportRefusal(QObject *field, const QString &message)
{
    QApplication::beep();
    if (!field)
        return;
    RefusedCharacterEvent event(message);
    QCoreApplication::sendEvent(field, &event);
}

RefusedCharacterEvent::RefusedCharacterEvent(QString message)
    : QEvent(eventType()), m_message(std::move(message))
{
}

QEvent::Type RefusedCharacterEvent::eventType()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

} // namespace vz::ui
