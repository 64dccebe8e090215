// SPDX-License-Identifier: GPL-3.0-or-later
// QSL card printing. Every text a card can show is composed once into a CardText: the
// callsign split into the six "To Radio" box characters, the contact's date, report,
// frequency and mode, the user's rig, antenna and remarks, the portable places and the
// user's own address lines. The layouts (postcard, commercial horizontal and vertical) only
// choose which slots to draw and where; they never read the record themselves.
#pragma once

#include "app/user_settings.h"
#include "log/qso_record.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace vz::print {

// The numbered slots of a card; texts are Shift_JIS bytes.
enum class Slot : std::size_t {
    Box0, // boxChar 0..5: the callsign's characters, one per box
    Box1,
    Box2,
    Box3,
    Box4,
    Box5,
    ToRadioCall,
    Date,
    Year,
    Month,
    Day,
    Name,
    Time,
    Rst,
    Frequency,
    Mode,
    Rig,
    Power,
    Antenna,
    StandardRemark,
    AddressedRemark,
    AdditionalRemark,
    HisPortableLine,
    MyPortableLine,
    OwnCall,
    KanjiAddressLine,
    KanjiNameLine,
    LatinAddressLine,
    LatinNameLine,
    AdditionalInfo,
};
constexpr std::size_t kSlotCount = 30;
constexpr std::size_t kBoxCount = 6;

struct CardText
{
    std::string cardCall;
    std::array<std::string, kSlotCount> slots;

    const std::string &operator[](Slot s) const { return slots[static_cast<std::size_t>(s)]; }
    std::string &operator[](Slot s) { return slots[static_cast<std::size_t>(s)]; }
    static Slot box(std::size_t i) { return static_cast<Slot>(i); }
};

// The length thresholds of the layouts: a portable line carries its 14-byte prefix and needs
// at least three bytes of place name; a remark of one or two bytes is the empty mark "-".
constexpr std::size_t kPortableLineMin = 17;
constexpr std::size_t kAdditionalRemarkMin = 3;

// Call area of a foreign station; 0..9 are the Japanese call areas.
constexpr int kForeignArea = 10;

void clearCard(CardText &card);

// "01".."12" to "Jan.".."Dec."; any other text unchanged.
std::string monthAbbrev(std::string_view month);

// Fills `card` from a record, the user's settings and the own callsign. `area` is the call
// area of the record's callsign, which picks the domestic or the foreign remark.
void composeCard(CardText &card, const log::QsoRecord &record, const app::UserSettings &settings,
                 std::string_view ownCall, int area);

// The sample values of the commercial cards' test print.
void loadTestCard(CardText &card);

} // namespace vz::print
