// SPDX-License-Identifier: GPL-3.0-or-later
// One ADIF record as the program sees it, its texts already in Shift_JIS, and the one
// conversion from it to a log record. The importer runs it on every record it reads; the
// exporter runs it on every record it writes and adds the record's own text in a field of
// this program wherever the standard fields alone would not give the record back.
#pragma once

#include "log/qso_record.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vz::log {
class PrefixTable;
}

namespace vz::log::adif {

// The standard fields the conversion reads, then this program's own, one slot for each.
inline constexpr std::array<std::string_view, 23> kReadFieldNames{
    "CALL",      "QSO_DATE",   "TIME_ON",  "TIME_OFF", "FREQ",         "BAND",
    "MODE",      "SUBMODE",    "RST_SENT", "RST_RCVD", "TX_PWR",       "NAME",
    "NAME_INTL", "QTH",        "QTH_INTL", "CNTY",     "COMMENT",      "COMMENT_INTL",
    "NOTES",     "NOTES_INTL", "QSL_SENT", "MY_CITY",  "MY_CITY_INTL",
};
inline constexpr std::size_t kAppSlot = kReadFieldNames.size();
inline constexpr std::size_t kQslFlagSlot = kAppSlot + kTextFieldCount;
inline constexpr std::size_t kSlotCount = kQslFlagSlot + 1;

// A record's fields, names upper-cased, kept in one buffer that is reused from record to
// record: files of a hundred thousand contacts are read and written without an allocation per
// field.
class AdifRecord
{
public:
    // `name` in any letter case.
    void add(std::string_view name, std::string_view value);
    // The same without a copy of the value, which must outlive the record (a file's bytes).
    void addBorrowed(std::string_view name, std::string_view value);
    // Replaces the value of field `index` (a text turned into Shift_JIS).
    void setValue(std::size_t index, std::string_view value);

    std::size_t size() const { return m_entries.size(); }
    bool empty() const { return m_entries.empty(); }
    std::string_view name(std::size_t index) const;
    std::string_view value(std::size_t index) const;
    // True for the fields the conversion reads and the standard ones that only restate them
    // or describe the own station; every other field has no place in the log.
    bool isKnown(std::size_t index) const { return m_entries[index].code >= 0; }

    // The value of the first field of that name (upper case), if any.
    std::optional<std::string_view> find(std::string_view upperName) const;
    // The value of the first field in slot `slot` (see kReadFieldNames), if any.
    std::optional<std::string_view> inSlot(std::size_t slot) const;

    void clear();

    static constexpr std::int16_t kUnknown = -1;

private:
    struct Entry
    {
        const char *borrowed; // the value, when it lies outside the record
        std::uint32_t nameAt;
        std::uint32_t nameSize;
        std::uint32_t valueAt;
        std::uint32_t valueSize;
        std::int16_t code; // the known name's number (a slot when below kSlotCount), or kUnknown
    };
    Entry &addName(std::string_view name);

    std::string m_text; // values not borrowed, and the names of unknown fields
    std::vector<Entry> m_entries;
    std::array<std::int16_t, kSlotCount> m_firstInSlot = emptySlots();

    static constexpr std::array<std::int16_t, kSlotCount> emptySlots()
    {
        std::array<std::int16_t, kSlotCount> a{};
        a.fill(-1);
        return a;
    }
};

// The full name of this program's field for a log field ("APP_VEZODOVI_OP_NAME"), and for
// the QSL flag byte.
std::string_view appFieldName(Field f);
std::string_view appQslFlagName();
// True for the fields the conversion reads (standard and this program's own) and the standard
// ones that restate them; the importer counts every other field as one it has no place for.
bool isKnownField(std::string_view upperName);

struct Conversion
{
    QsoRecord record;
    int area = 0;                       // the call area as at entry (callsign, portable area)
    std::optional<std::string> refusal; // why the contact cannot be logged
    std::vector<Field> cuts;            // texts cut to their field's width
};

// The log record an ADIF record gives: the callsign split into its three fields, UTC turned
// into Japanese time for Japanese call areas, frequency, mode and power as an operator types
// them, empty fields "-"; this program's fields take precedence over standard ones.
Conversion toLogRecord(const AdifRecord &adif, const PrefixTable &table);

} // namespace vz::log::adif
