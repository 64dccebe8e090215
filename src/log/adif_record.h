// SPDX-License-Identifier: GPL-3.0-or-later
// One ADIF record as the program sees it, its texts already in Shift_JIS, and the one
// conversion from it to a log record. The importer runs it on every record it reads; the
// exporter runs it on every record it writes and adds the record's own text in a field of
// this program wherever the standard fields alone would not give the record back.
#pragma once

#include "log/qso_record.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vz::log {
class PrefixTable;
}

namespace vz::log::adif {

struct AdifField
{
    std::string name; // upper case
    std::string value;
};

class AdifRecord
{
public:
    void add(std::string name, std::string value);
    // The first field of that name (upper case), or nullptr.
    const std::string *find(std::string_view name) const;
    const std::vector<AdifField> &fields() const { return m_fields; }
    std::vector<AdifField> &fields() { return m_fields; }
    void clear() { m_fields.clear(); }
    void reserve(std::size_t count) { m_fields.reserve(count); }
    bool empty() const { return m_fields.empty(); }

private:
    std::vector<AdifField> m_fields;
};

// The full name of this program's field for a log field ("APP_VEZODOVI_OP_NAME"), and for
// the QSL flag byte.
std::string_view appFieldName(Field f);
std::string_view appQslFlagName();
// True for the fields the conversion reads (standard and this program's own); the importer
// counts every other field as one it has no place for.
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
