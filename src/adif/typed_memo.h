// SPDX-License-Identifier: GPL-3.0-or-later
// The last conversions of typed texts, by the text: a log holds a few bands, modes and powers
// over and over, so export and the duplicate rule keep the last ones looked up.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace vz::adif {

template <typename Result> class TypedMemo
{
public:
    template <typename Make> const Result &of(std::string_view typed, const Make &make)
    {
        std::size_t h = typed.size();
        for (const char c : typed)
            h = h * 31 + static_cast<unsigned char>(c);
        Slot &slot = m_slots[h % m_slots.size()];
        if (!slot.filled || slot.key != typed) {
            slot.key.assign(typed);
            slot.result = make(typed);
            slot.filled = true;
        }
        return slot.result;
    }

private:
    struct Slot
    {
        std::string key;
        Result result{};
        bool filled = false;
    };
    std::array<Slot, 64> m_slots{};
};

} // namespace vz::adif
