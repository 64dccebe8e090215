// SPDX-License-Identifier: GPL-3.0-or-later
// The JCC master: the Japanese cities, wards and districts with their JCC/JCG numbers, the
// hiragana initial of their name as an index, and their position, split by region into eleven
// files "Master00.cty" .. "Master10.cty" in the data directory. A file is 58-byte records back
// to back without header; bytes after the last whole record are not a record.
//
// Two readers use it: the city lookup of the contact dialog lists the cities of the worked
// station's region by their initial (findByShortCode), and the personal information finds the
// user's own city by its number (findByJccNumber). The region numbers are the call areas.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vz {
class DataDir;
}

namespace vz::places {

constexpr std::size_t kMasterRecordSize = 58;
constexpr int kMasterAreaCount = 11;

// The fields of a record; texts are Shift_JIS, ended by a NUL inside their width.
enum class MasterText { JccNumber, CityName, ShortCode, AreaMark, LatHemisphere, LonHemisphere };
enum class MasterNumber { LatDegrees, LatMinutes, LatSeconds, LonDegrees, LonMinutes, LonSeconds };

struct JccMasterRecord
{
    std::array<char, kMasterRecordSize> bytes{};

    // A text up to its first NUL or the end of its field.
    std::string_view text(MasterText f) const;
    // Writes the text cut to the field's width less the NUL (never half a double-byte
    // character); the rest of the field is zeroed.
    void setText(MasterText f, std::string_view sjis);
    // Signed 16-bit little-endian.
    std::int16_t number(MasterNumber f) const;
    void setNumber(MasterNumber f, std::int16_t value);

    std::string_view jccNumber() const { return text(MasterText::JccNumber); }
    std::string_view cityName() const { return text(MasterText::CityName); }
    std::string_view shortCode() const { return text(MasterText::ShortCode); }
    // Latitude d m s, longitude d m s, as distance and bearing take them.
    std::array<double, 6> position() const;
};

// "Master0" + digit + ".cty" for the areas 0 to 9, "Master10.cty" for area 10.
std::string masterFileName(int area);
// The data directory's master file of an area (an existing file is found whatever the case of
// its name).
std::string masterFilePath(const DataDir &dataDir, int area);

enum class MasterRead {
    Ok,
    Missing, // no such file
    Failed,  // it exists but could not be read
};

struct MasterRecords
{
    MasterRead result = MasterRead::Missing;
    std::vector<JccMasterRecord> records;
};

// Every whole record of a master file, in file order.
MasterRecords readMasterFile(const std::string &path);

// The records of a master file whose index text equals `shortCode` exactly, in file order.
MasterRecords findByShortCode(const std::string &path, std::string_view shortCode);

// The first record, in file order, whose number equals `jcc` exactly, in the master file of the
// area the number belongs to. `result` is Ok with one record when found, Ok with none when the
// file holds no such number.
MasterRecords findByJccNumber(const DataDir &dataDir, std::string_view jcc);

} // namespace vz::places
