// SPDX-License-Identifier: GPL-3.0-or-later
// One ADIF record as the program sees it, its texts already in Shift_JIS, and the one
// conversion from it to a log record. The importer runs it on every record it reads; the
// exporter runs it on every record it writes and adds the record's own text in a field of
// this program wherever the standard fields alone would not give the record back.
#pragma once

#include "log/qso_record.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vz::log {
class PrefixTable;
}

namespace vz::adif {

// ADIF is read into and written from the log's records: their names read here as in the log.
using namespace vz::log;

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

// This program's fields, one for each log field, and one for the QSL flag byte.
inline constexpr std::array<std::string_view, kTextFieldCount> kAppFieldNames{
    "APP_VEZODOVI_CALLSIGN",         "APP_VEZODOVI_PORTABLE_AREA", "APP_VEZODOVI_PORTABLE_FORM",
    "APP_VEZODOVI_QSO_DATE",         "APP_VEZODOVI_START_TIME",    "APP_VEZODOVI_FIXED_QTH",
    "APP_VEZODOVI_FIXED_JCC",        "APP_VEZODOVI_PORTABLE_QTH",  "APP_VEZODOVI_PORTABLE_JCC",
    "APP_VEZODOVI_OP_NAME",          "APP_VEZODOVI_HIS_RST",       "APP_VEZODOVI_MY_RST",
    "APP_VEZODOVI_FREQUENCY",        "APP_VEZODOVI_MODE",          "APP_VEZODOVI_POWER",
    "APP_VEZODOVI_USER_MARK",        "APP_VEZODOVI_REMARKS",       "APP_VEZODOVI_MEMO",
    "APP_VEZODOVI_OWN_PORTABLE_QTH", "APP_VEZODOVI_END_TIME",
};
inline constexpr std::string_view kAppQslFlagName = "APP_VEZODOVI_QSL_FLAG";

// Standard fields that only restate what the conversion reads (BAND beside FREQ, STATE beside
// CNTY, DXCC 339 of a Japanese callsign) or describe the own station, which the log keeps in the
// settings; and QSL_RCVD, LOTW_QSL_RCVD and EQSL_QSL_RCVD, which the importer turns into the
// marks of the user mark. The importer lists them as skipped when they say more than that.
inline constexpr std::array<std::string_view, 13> kKnownOnlyNames{
    "STATE",   "QSO_DATE_OFF", "QSL_SENT_VIA",  "STATION_CALLSIGN",
    "MY_CNTY", "MY_STATE",     "OPERATOR",      "EOH",
    "EOR",     "QSL_RCVD",     "LOTW_QSL_RCVD", "EQSL_QSL_RCVD",
    "DXCC",
};

// Every field name the program knows has a number: the slots of the conversion (its standard
// fields, then its own), then the names it only recognises.
using FieldCode = std::int16_t;
inline constexpr std::size_t kKnownNameCount = kSlotCount + kKnownOnlyNames.size();

// Every known name by its number, laid out flat: writing a file looks one up for each field.
inline constexpr std::array<std::string_view, kKnownNameCount> kKnownNames = [] {
    std::array<std::string_view, kKnownNameCount> names{};
    for (std::size_t c = 0; c < kKnownNameCount; ++c) {
        if (c < kAppSlot)
            names[c] = kReadFieldNames[c];
        else if (c < kQslFlagSlot)
            names[c] = kAppFieldNames[c - kAppSlot];
        else if (c == kQslFlagSlot)
            names[c] = kAppQslFlagName;
        else
            names[c] = kKnownOnlyNames[c - kSlotCount];
    }
    return names;
}();

constexpr std::string_view knownFieldName(FieldCode code)
{
    return kKnownNames[static_cast<std::size_t>(code)];
}

// The number of a known name, spelt in upper case, found as the program is compiled.
consteval FieldCode fieldCode(std::string_view name)
{
    for (std::size_t c = 0; c < kKnownNameCount; ++c)
        if (knownFieldName(static_cast<FieldCode>(c)) == name)
            return static_cast<FieldCode>(c);
    throw "not a field name the program knows";
}

constexpr FieldCode appFieldCode(Field f)
{
    return static_cast<FieldCode>(kAppSlot + static_cast<std::size_t>(f));
}

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
    // A known field by its number, without a copy of the value, which must outlive the record.
    void addKnownBorrowed(FieldCode code, std::string_view value)
    {
        Entry e{};
        e.code = code;
        e.borrowed = value.data();
        e.valueSize = static_cast<std::uint32_t>(value.size());
        noteSlot(code);
        m_entries.push_back(e);
    }
    // Replaces the value of field `index` (a text turned into Shift_JIS).
    void setValue(std::size_t index, std::string_view value);

    std::size_t size() const { return m_entries.size(); }
    bool empty() const { return m_entries.empty(); }
    std::string_view name(std::size_t index) const
    {
        const Entry &e = m_entries[index];
        if (e.code >= 0)
            return knownFieldName(e.code);
        return {m_text.data() + e.nameAt, e.nameSize};
    }
    std::string_view value(std::size_t index) const
    {
        const Entry &e = m_entries[index];
        if (e.borrowed)
            return {e.borrowed, e.valueSize};
        return {m_text.data() + e.valueAt, e.valueSize};
    }
    // True for the fields the conversion reads and the standard ones that only restate them
    // or describe the own station; every other field has no place in the log.
    bool isKnown(std::size_t index) const { return m_entries[index].code >= 0; }
    // The field's number among the known names (kUnknown for any other).
    FieldCode code(std::size_t index) const { return m_entries[index].code; }

    // The value of the first field of that name (upper case), if any.
    std::optional<std::string_view> find(std::string_view upperName) const;
    // The same for a known name by its number: no names compared.
    std::optional<std::string_view> find(FieldCode code) const
    {
        for (std::size_t i = 0; i < m_entries.size(); ++i)
            if (m_entries[i].code == code)
                return value(i);
        return std::nullopt;
    }
    // The value of the first field in slot `slot` (see kReadFieldNames), if any.
    std::optional<std::string_view> inSlot(std::size_t slot) const;

    void clear();

    static constexpr FieldCode kUnknown = -1;

    // A field whose length ended its value cleanly neither in bytes nor in characters (its value
    // was taken in bytes), and where in the file its tag starts; an empty name when none.
    void noteUnclearLength(std::string_view name, std::size_t at)
    {
        if (m_unclearName.empty()) {
            m_unclearName = name;
            m_unclearAt = at;
        }
    }
    std::string_view unclearLength() const { return m_unclearName; }
    std::size_t unclearLengthAt() const { return m_unclearAt; }
    // A record whose last field's length ran past the file's end, with more records after
    // it: handed on, in its place, only to be refused.
    void noteLengthPastEnd(std::size_t at) { m_pastEndAt = static_cast<std::int64_t>(at); }
    std::optional<std::size_t> lengthPastEndAt() const
    {
        return m_pastEndAt < 0 ? std::nullopt
                               : std::optional<std::size_t>(static_cast<std::size_t>(m_pastEndAt));
    }

private:
    struct Entry
    {
        const char *borrowed; // the value, when it lies outside the record
        std::uint32_t nameAt;
        std::uint32_t nameSize;
        std::uint32_t valueAt;
        std::uint32_t valueSize;
        FieldCode code; // the known name's number (a slot when below kSlotCount), or kUnknown
    };
    Entry &addName(std::string_view name);
    void noteSlot(FieldCode code)
    {
        // The entry about to be added is the first of its slot unless one came before.
        const auto slot = static_cast<std::size_t>(code);
        if (code >= 0 && slot < kSlotCount && m_firstInSlot[slot] < 0)
            m_firstInSlot[slot] = static_cast<std::int32_t>(m_entries.size());
    }

    std::string m_text; // values not borrowed, and the names of unknown fields
    std::string m_unclearName;
    std::size_t m_unclearAt = 0;
    std::int64_t m_pastEndAt = -1;
    std::vector<Entry> m_entries;
    // The known name that last followed each known name (the last: the start of a record, or
    // an unknown name), kUnknown before the first.
    std::array<FieldCode, kKnownNameCount + 1> m_nextAfter = [] {
        std::array<FieldCode, kKnownNameCount + 1> a{};
        a.fill(kUnknown);
        return a;
    }();
    // Indexes of 32 bits: a record may hold more than 32,767 fields.
    std::array<std::int32_t, kSlotCount> m_firstInSlot = emptySlots();

    static constexpr std::array<std::int32_t, kSlotCount> emptySlots()
    {
        std::array<std::int32_t, kSlotCount> a{};
        a.fill(-1);
        return a;
    }
};

// True for the fields the conversion reads (standard and this program's own) and the standard
// ones that restate them; the importer counts every other field as one it has no place for.
bool isKnownField(std::string_view upperName);

struct Conversion
{
    QsoRecord record;
    int area = 0;                       // the call area as at entry (callsign, portable area)
    std::optional<std::string> refusal; // why the contact cannot be logged
    struct Cut
    {
        Field field;
        std::string before; // the whole text, Shift_JIS
    };
    std::vector<Cut> cuts;          // texts cut to their field's width
    bool prefixMoved = false;       // CALL had a country prefix after the callsign
    std::vector<std::string> notes; // other things the log could not keep as given (UTF-8)
};

// The log record an ADIF record gives: the callsign split into its three fields, UTC turned
// into Japanese time for Japanese call areas, frequency, mode and power as an operator types
// them, empty fields "-"; this program's fields take precedence over standard ones.
Conversion toLogRecord(const AdifRecord &adif, const PrefixTable &table);

} // namespace vz::adif
