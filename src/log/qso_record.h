// SPDX-License-Identifier: GPL-3.0-or-later
// One contact: a fixed 254-byte record of 20 Shift_JIS text fields and the QSL flag byte.
// Every text field ends with a NUL inside its width except `mode`, which holds six characters
// in six bytes; readers take a field up to its first NUL or its end.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace vz::log {

constexpr std::size_t kRecordSize = 254;
constexpr std::size_t kTextFieldCount = 20;
constexpr std::size_t kQslFlagOffset = 253;

// In layout order; the value is the field's position in the table below.
enum class Field : std::size_t {
    Callsign,
    PortableArea,
    PortableForm,
    QsoDate,
    StartTime,
    FixedQth,
    FixedJcc,
    PortableQth,
    PortableJcc,
    OpName,
    HisRst,
    MyRst,
    Frequency,
    Mode,
    Power,
    UserMark,
    Remarks,
    Memo,
    OwnPortableQth,
    EndTime,
};

struct FieldSpec
{
    std::size_t offset;
    std::size_t width;
};

// Inline: the searches and the area index consult it for every record of large logs.
inline constexpr std::array<FieldSpec, kTextFieldCount> kFieldSpecs{{

    {0, 7},    // callsign
    {7, 2},    // portableArea
    {9, 4},    // portableForm
    {13, 9},   // qsoDate
    {22, 6},   // startTime
    {28, 25},  // fixedQth
    {53, 9},   // fixedJcc
    {62, 25},  // portableQth
    {87, 9},   // portableJcc
    {96, 15},  // opName
    {111, 7},  // hisRst
    {118, 7},  // myRst
    {125, 9},  // frequency
    {134, 6},  // mode: six characters, no room for a NUL
    {140, 9},  // power
    {149, 11}, // userMark
    {160, 31}, // remarks
    {191, 31}, // memo
    {222, 25}, // ownPortableQth
    {247, 6},  // endTime
}};

constexpr const FieldSpec &fieldSpec(Field f)
{
    return kFieldSpecs[static_cast<std::size_t>(f)];
}
// A field's text runs to its first NUL or its end. A plain loop: fields are a few bytes long,
// shorter than the call to a library search would be.
inline std::string_view fieldTextAt(const char *field, std::size_t width)
{
    std::size_t length = 0;
    // Eight bytes at a time while a whole word lies inside the field: every search and export
    // reads every text of every record.
    if constexpr (std::endian::native == std::endian::little) {
        constexpr std::uint64_t kOnes = 0x0101010101010101;
        constexpr std::uint64_t kHighs = 0x8080808080808080;
        for (; length + 8 <= width; length += 8) {
            std::uint64_t word;
            std::memcpy(&word, field + length, 8);
            // The lowest byte flagged is the first NUL; flags above it may be false.
            if (const std::uint64_t nul = (word - kOnes) & ~word & kHighs; nul != 0)
                return {field, length + static_cast<std::size_t>(std::countr_zero(nul) / 8)};
        }
    }
    while (length < width && field[length] != '\0')
        ++length;
    return {field, length};
}

// Longest text a field takes (its width less the NUL, except `mode`).
constexpr std::size_t maxTextBytes(Field f)
{
    return f == Field::Mode ? fieldSpec(f).width : fieldSpec(f).width - 1;
}

// The text a deleted record's callsign holds, and what a field empty at registration holds.
inline constexpr std::string_view kEmptyMark = "-";

struct QsoRecord
{
    std::array<char, kRecordSize> bytes{};

    void clear() { bytes.fill(0); }
    std::string_view field(Field f) const
    {
        const FieldSpec &place = fieldSpec(f);
        return fieldTextAt(bytes.data() + place.offset, place.width);
    }
    // Writes the text trimmed of surrounding blanks, cut to the field width without splitting a
    // double-byte character, NUL-terminated when shorter; the rest of the field is zeroed.
    void setField(Field f, std::string_view text);
    bool qslPending() const { return bytes[kQslFlagOffset] != 0; }
    unsigned char qslFlag() const { return static_cast<unsigned char>(bytes[kQslFlagOffset]); }
    void setQslFlag(bool pending) { bytes[kQslFlagOffset] = pending ? 1 : 0; }
    bool isDeleted() const { return field(Field::Callsign) == kEmptyMark; }
};

using FieldTexts = std::array<std::string, kTextFieldCount>;

// A record as the edit dialog builds it. With `markEmpty` (first registration) every empty
// field holds "-"; a modified record holds exactly what the fields showed.
QsoRecord buildRecord(const FieldTexts &texts, bool qslPending, bool markEmpty);
// "-" in all 20 fields and the QSL flag as shown.
QsoRecord buildDeletedRecord(bool qslPending);

// Callsign field of a raw record prefix (the first 7 bytes suffice).
std::string_view callsignOf(const char *recordBytes);

} // namespace vz::log
