// SPDX-License-Identifier: GPL-3.0-or-later
// A small log and JCC master files for the award tests, shared by the award pass's tests and
// those of vezolog awards.
#pragma once

#include "log/qso_record.h"
#include "places/jcc_master.h"

#include "support/temp_dir.h"

#include <string>
#include <utility>
#include <vector>

namespace vz::test {

struct Contact
{
    std::string call;
    std::string fixedJcc;
    std::string mark = "";
    std::string portableArea = "";
    std::string portableJcc = "";
};

inline void writeLog(const TempDir &dir, const std::vector<Contact> &contacts)
{
    std::string bytes;
    for (const Contact &c : contacts) {
        log::QsoRecord r;
        if (c.call == "-") {
            r = log::buildDeletedRecord(false);
        } else {
            log::FieldTexts t;
            t[static_cast<std::size_t>(log::Field::Callsign)] = c.call;
            t[static_cast<std::size_t>(log::Field::QsoDate)] = "26/01/02";
            t[static_cast<std::size_t>(log::Field::FixedJcc)] = c.fixedJcc;
            t[static_cast<std::size_t>(log::Field::UserMark)] = c.mark;
            t[static_cast<std::size_t>(log::Field::PortableArea)] = c.portableArea;
            t[static_cast<std::size_t>(log::Field::PortableJcc)] = c.portableJcc;
            r = log::buildRecord(t, false, true);
        }
        bytes.append(r.bytes.data(), log::kRecordSize);
    }
    dir.write("JA1ZZZ.DAT", bytes);
}

inline void writeMaster(const TempDir &dir, const char *name,
                        const std::vector<std::pair<std::string, std::string>> &places)
{
    std::string bytes;
    for (const auto &[code, city] : places) {
        places::JccMasterRecord r;
        r.setText(places::MasterText::JccNumber, code);
        r.setText(places::MasterText::CityName, sj(city));
        bytes.append(r.bytes.data(), r.bytes.size());
    }
    dir.write(name, bytes);
}

// Tokyo listed only through its wards, a designated city with its own record and wards, a
// district, Hokkaido's capital and a district there, and an overseas place.
inline void writeMasters(const TempDir &dir)
{
    writeMaster(dir, "Master01.cty",
                {{"100101", "千代田区"},
                 {"100102", "中央区"},
                 {"1002", "八王子市"},
                 {"1101", "横浜市"},
                 {"110101", "横浜市鶴見区"},
                 {"110102", "横浜市神奈川区"},
                 {"11001", "足柄上郡"}});
    writeMaster(dir, "Master08.cty", {{"0101", "札幌市"}, {"01006", "亀田郡"}});
    writeMaster(dir, "Master10.cty", {{"4801", "ハワイ"}});
}

// The log the award tests share; its record numbers are the comments.
inline const std::vector<Contact> &sharedLog()
{
    static const std::vector<Contact> log{
        {"JA1AAA", "100101"},                           // 1 ward: its city 1001 too
        {"JA1AAB", "100102", sj("受")},                 // 2 ward, confirmed
        {"-", ""},                                      // 3 deleted
        {"JA1AAC", "0101", sj("QSL受済"), "1", "1002"}, // 4 portable in 1002, confirmed
        {"JA1AAD", "1099"},                             // 5 a city since merged
        {"JA1AAE", "11001", sj("ア")},                  // 6 district; "ア" is 83 41
        {"JA1AAF", "4801"},                             // 7 overseas: not counted
        {"JA1AAG", "ABC"},                              // 8 not a code
        {"JA1AAH", "-"},                                // 9 no place at all
        {"JA8AAA", "0101", "", "P", "1101"},            // 10 "P" is no portable area
        {"JA1AAI", "100101", sj("受")},                 // 11 confirms 100101 later
        {"JA1AAJ", "1002", "", "2", ""},                // 12 portable, no place
        {"JA1AAK", "11001", "xA"},                      // 13 district, ASCII mark
    };
    return log;
}

} // namespace vz::test
