// SPDX-License-Identifier: GPL-3.0-or-later
// What a text field takes as it is typed: text that Shift_JIS can hold (a character it cannot
// is refused and named in the hint bar), measured in its bytes as the file stores it,
// optionally turned into capitals and limited to the keys a field allows.
#pragma once

#include "common/ui/qt_text.h"
#include "common/ui/refused_character.h"

#include <QValidator>

namespace vz::ui {

class SjisFieldValidator : public QValidator
{
public:
    using KeyFilter = bool (*)(char32_t);

    // `allowed`, when given, refuses every other character without a word.
    SjisFieldValidator(std::size_t maxBytes, bool upper, QObject *parent,
                       KeyFilter allowed = nullptr)
        : QValidator(parent), m_maxBytes(maxBytes), m_upper(upper), m_allowed(allowed)
    {
    }

    State validate(QString &input, int &) const override
    {
        if (m_upper)
            input = input.toUpper();
        if (m_allowed)
            for (const QChar c : input)
                if (!m_allowed(c.unicode()))
                    return Invalid;
        const auto width = sjisWidth(input);
        if (!width) {
            // The operator hears and reads why the character did not appear.
            reportRefusedCharacter(parent(), firstUnencodable(input));
            return Invalid;
        }
        return *width <= m_maxBytes ? Acceptable : Invalid;
    }

private:
    std::size_t m_maxBytes;
    bool m_upper;
    KeyFilter m_allowed;
};

} // namespace vz::ui
