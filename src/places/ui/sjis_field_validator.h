// SPDX-License-Identifier: GPL-3.0-or-later
// What a field of the master editor or the personal information takes as it is typed: text
// that Shift_JIS can hold (a character it cannot is refused and named in the hint bar),
// measured in its bytes, optionally turned into capitals.
#pragma once

#include "common/ui/qt_text.h"
#include "common/ui/refused_character.h"

#include <QValidator>

namespace vz::ui {

class SjisFieldValidator : public QValidator
{
public:
    SjisFieldValidator(std::size_t maxBytes, bool upper, QObject *parent)
        : QValidator(parent), m_maxBytes(maxBytes), m_upper(upper)
    {
    }

    State validate(QString &input, int &) const override
    {
        if (m_upper)
            input = input.toUpper();
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
};

} // namespace vz::ui
