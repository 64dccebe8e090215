// SPDX-License-Identifier: GPL-3.0-or-later
// Confirmations kept apart from paper cards: the marks every ADIF form gives on import and
// gives back on export, the matching of LoTW and eQSL confirmations to the log, the marks'
// settings and the warning for a mark the log holds already.
#include "adif/adif_export.h"
#include "adif/adif_import.h"
#include "app/user_settings.h"
#include "log/confirmation_mark.h"
#include "log/log_file.h"
#include "log/prefix_table.h"
#include "lotw/confirmation_matching.h"
#include "lotw/mark_use.h"

#include "common/progress.h"
#include "common/sjis.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <map>
#include <string>
#include <utility>
#include <vector>

using namespace vz;
using vz::test::sj;
using vz::test::TempDir;

namespace {

using Fields = std::vector<std::pair<std::string, std::string>>;

std::string adifRecord(const Fields &fields)
{
    std::string out;
    for (const auto &[name, value] : fields)
        out += "<" + name + ":" + std::to_string(value.size()) + ">" + value + " ";
    return out + "<EOR>\n";
}

constexpr const char *kLotwHeader = "ARRL Logbook of the World Status Report\n"
                                    "<PROGRAMID:4>LoTW\n<APP_LoTW_NUMREC:1>1\n<EOH>\n";
constexpr const char *kEqslHeader = "ADIF 3 Export from eQSL.cc\n"
                                    "<PROGRAMID:21>eQSL.cc DownloadInBox\n<EOH>\n";
constexpr const char *kPlainHeader = "Some logger\n<PROGRAMID:6>Logger\n<EOH>\n";

struct Contact
{
    std::string call;
    std::string area = "";
    std::string date;
    std::string time;
    std::string frequency;
    std::string mode;
    std::string mark = "";
};

log::QsoRecord recordOf(const Contact &c)
{
    log::FieldTexts t;
    t[static_cast<std::size_t>(log::Field::Callsign)] = c.call;
    t[static_cast<std::size_t>(log::Field::PortableArea)] = c.area;
    t[static_cast<std::size_t>(log::Field::QsoDate)] = c.date;
    t[static_cast<std::size_t>(log::Field::StartTime)] = c.time;
    t[static_cast<std::size_t>(log::Field::Frequency)] = c.frequency;
    t[static_cast<std::size_t>(log::Field::Mode)] = c.mode;
    t[static_cast<std::size_t>(log::Field::UserMark)] = c.mark;
    return log::buildRecord(t, false, true);
}

void writeLog(const TempDir &dir, const std::vector<Contact> &contacts)
{
    std::string bytes;
    for (const Contact &c : contacts)
        bytes.append(recordOf(c).bytes.data(), log::kRecordSize);
    dir.write("JA1ZZZ.DAT", bytes);
}

std::string userMark(const TempDir &dir, int n)
{
    log::QsoRecord r;
    log::readRecord(dir.file("JA1ZZZ.DAT"), n, r);
    return std::string(r.field(log::Field::UserMark));
}

adif::ImportOptions importOptions()
{
    adif::ImportOptions o;
    o.confirmationMark = sj("受");
    o.lotwMark = "L";
    o.eqslMark = "E";
    return o;
}

lotw::ConfirmOptions confirmOptions()
{
    lotw::ConfirmOptions o;
    o.ownCallsign = "JA1ZZZ";
    o.lotwMark = "L";
    o.eqslMark = "E";
    return o;
}

const Fields kContact{{"CALL", "W1AW"},
                      {"QSO_DATE", "20260101"},
                      {"TIME_ON", "1200"},
                      {"BAND", "20M"},
                      {"MODE", "FT8"}};

Fields with(Fields fields, std::initializer_list<std::pair<std::string, std::string>> more)
{
    fields.insert(fields.end(), more);
    return fields;
}

} // namespace

// Every form a received confirmation takes in ADIF, imported into an empty log: the mark it
// gives, never the card's for a download.
TEST(ConfirmationMarks, EveryAdifFormGivesItsOwnMark)
{
    struct Case
    {
        const char *what;
        std::string header;
        Fields fields;
        std::string mark;
    };
    const std::vector<Case> cases{
        {"QSL_RCVD of a plain file", kPlainHeader, with(kContact, {{"QSL_RCVD", "Y"}}), sj("受")},
        {"QSL_RCVD of a file without header", "", with(kContact, {{"QSL_RCVD", "y"}}), sj("受")},
        {"QSL_RCVD N", kPlainHeader, with(kContact, {{"QSL_RCVD", "N"}}), "-"},
        {"QSL_RCVD of a LoTW report", kLotwHeader,
         with(kContact, {{"QSL_RCVD", "Y"}, {"APP_LoTW_MODEGROUP", "DATA"}}), "L"},
        {"QSL_RCVD beside APP_LoTW_ fields, no header", "",
         with(kContact, {{"APP_LoTW_OWNCALL", "JA1ZZZ"}, {"QSL_RCVD", "Y"}}), "L"},
        {"QSL_RCVD of an eQSL inbox", kEqslHeader, with(kContact, {{"QSL_RCVD", "Y"}}), "E"},
        {"LOTW_QSL_RCVD", kPlainHeader, with(kContact, {{"LOTW_QSL_RCVD", "Y"}}), "L"},
        {"EQSL_QSL_RCVD", kPlainHeader, with(kContact, {{"EQSL_QSL_RCVD", "Y"}}), "E"},
        {"all three", kPlainHeader,
         with(kContact, {{"QSL_RCVD", "Y"}, {"LOTW_QSL_RCVD", "Y"}, {"EQSL_QSL_RCVD", "Y"}}),
         sj("受") + "LE"},
        {"a mark the user mark holds already", kPlainHeader,
         with(kContact, {{"APP_VEZODOVI_USER_MARK", "OLD"}, {"LOTW_QSL_RCVD", "Y"}}), "OLD"},
    };
    for (const Case &c : cases) {
        TempDir dir;
        NoProgress quiet;
        const log::PrefixTable table(dir.file("PreFix.CFG"));
        const adif::ImportSummary s =
            adif::importAdifText(c.header + adifRecord(c.fields), dir.file("JA1ZZZ.DAT"), 1, table,
                                 importOptions(), quiet);
        ASSERT_EQ(s.imported, 1) << c.what;
        EXPECT_EQ(userMark(dir, 1), c.mark) << c.what;
        EXPECT_EQ(s.ignoredFields.count("LOTW_QSL_RCVD") + s.ignoredFields.count("EQSL_QSL_RCVD"),
                  0u)
            << c.what;
    }

    // A mark that does not fit is listed, and the contact is taken without it.
    TempDir dir;
    NoProgress quiet;
    const log::PrefixTable table(dir.file("PreFix.CFG"));
    const adif::ImportSummary s =
        adif::importAdifText(adifRecord(with(kContact, {{"APP_VEZODOVI_USER_MARK", "ABCDEFGHIJ"},
                                                        {"LOTW_QSL_RCVD", "Y"}})),
                             dir.file("JA1ZZZ.DAT"), 1, table, importOptions(), quiet);
    ASSERT_EQ(s.changed.size(), 1u);
    EXPECT_NE(s.changed[0].what.find("LoTW"), std::string::npos);
    EXPECT_EQ(userMark(dir, 1), "ABCDEFGHIJ");
}

TEST(ConfirmationMarks, ExportWritesEachMarkToItsOwnField)
{
    TempDir dir;
    writeLog(dir, {{"W1AW", "", "26/01/01", "12:00", "14.074", "FT8", sj("受") + "LE"},
                   {"W1AW", "", "26/01/01", "13:00", "14.074", "FT8", "L"},
                   {"W1AW", "", "26/01/01", "14:00", "14.074", "FT8", "XE"}});
    adif::ExportOptions o;
    o.confirmationMark = sj("受");
    o.lotwMark = "L";
    o.eqslMark = "E";
    NoProgress quiet;
    const log::PrefixTable table(dir.file("PreFix.CFG"));
    const std::string out = dir.path() + "/out.adi";
    ASSERT_EQ(adif::exportAdif(dir.file("JA1ZZZ.DAT"), out, table, o, quiet).exported, 3);
    const std::string text = *files::readAll(out);
    std::vector<std::string> records;
    for (std::size_t at = text.find("<EOH>"), end;
         (end = text.find("<EOR>", at)) != std::string::npos; at = end + 5)
        records.push_back(text.substr(at, end - at));
    ASSERT_EQ(records.size(), 3u);
    const auto has = [&](int i, const char *field) {
        return records[static_cast<std::size_t>(i)].find(field) != std::string::npos;
    };
    EXPECT_TRUE(has(0, "<QSL_RCVD:1>Y") && has(0, "<LOTW_QSL_RCVD:1>Y") &&
                has(0, "<EQSL_QSL_RCVD:1>Y"));
    EXPECT_TRUE(!has(1, "<QSL_RCVD:") && has(1, "<LOTW_QSL_RCVD:1>Y") && !has(1, "EQSL_QSL"));
    EXPECT_TRUE(!has(2, "<QSL_RCVD:") && !has(2, "LOTW_QSL") && has(2, "<EQSL_QSL_RCVD:1>Y"));

    // And back: the marks as they were, no card mark added by the LoTW field.
    TempDir again;
    const adif::ImportSummary s =
        adif::importAdif(out, again.file("JA1ZZZ.DAT"), 1, table, importOptions(), quiet);
    ASSERT_EQ(s.imported, 3);
    EXPECT_EQ(userMark(again, 1), sj("受") + "LE");
    EXPECT_EQ(userMark(again, 2), "L");
    EXPECT_EQ(userMark(again, 3), "XE");
}

// The matching rule, one confirmation at a time against the same log: which contact gets the
// mark (0: none).
TEST(ConfirmationMatching, RuleEdges)
{
    const std::vector<Contact> log{
        // 1: a Japanese station, logged in Japanese time (12:00 UTC).
        {"JA1ABC", "", "26/01/01", "21:00", "7.050", "CW"},
        // 2: abroad, logged in UTC.
        {"W1AW", "", "26/01/01", "12:00", "14.074", "FT8"},
        // 3: portable in area 3, just after midnight UTC (2026-01-02 00:10 UTC).
        {"JA2XYZ", "3", "26/01/02", "09:10", "145.00", "FM"},
        // 4: phone as the operator typed it.
        {"K1ABC", "", "26/01/01", "12:00", "14.200", "USB"},
        // 5: the same station as 2 twenty minutes later.
        {"W1AW", "", "26/01/01", "12:20", "14.074", "FT8"},
    };
    struct Case
    {
        const char *what;
        Fields fields;
        int record;
    };
    const auto c = [](std::string call, std::string date, std::string time, std::string band,
                      std::string mode) {
        return Fields{{"CALL", std::move(call)},    {"QSO_DATE", std::move(date)},
                      {"TIME_ON", std::move(time)}, {"BAND", std::move(band)},
                      {"MODE", std::move(mode)},    {"QSL_RCVD", "Y"}};
    };
    const std::vector<Case> cases{
        {"Japanese time against UTC", c("JA1ABC", "20260101", "120000", "40M", "CW"), 1},
        {"30 minutes later", c("JA1ABC", "20260101", "1230", "40M", "CW"), 1},
        {"30 minutes earlier", c("JA1ABC", "20260101", "1130", "40M", "CW"), 1},
        {"31 minutes later", c("JA1ABC", "20260101", "1231", "40M", "CW"), 0},
        {"other band", c("JA1ABC", "20260101", "1200", "20M", "CW"), 0},
        {"other mode", c("JA1ABC", "20260101", "1200", "40M", "SSB"), 0},
        {"SSB against USB", c("K1ABC", "20260101", "1205", "20M", "SSB"), 4},
        {"mode named otherwise, same group",
         with(c("W1AW", "20260101", "1201", "20M", "DATA"), {{"APP_LoTW_MODEGROUP", "DATA"}}), 2},
        {"submode against another mode, same group",
         with(c("W1AW", "20260101", "1201", "20M", "MFSK"),
              {{"SUBMODE", "FT4"}, {"APP_LoTW_MODEGROUP", "DATA"}}),
         2},
        {"mode named otherwise, other group",
         with(c("JA1ABC", "20260101", "1200", "40M", "DATA"), {{"APP_LoTW_MODEGROUP", "DATA"}}), 0},
        {"the nearest in time", c("W1AW", "20260101", "1215", "20M", "FT8"), 5},
        {"the first of equals", c("W1AW", "20260101", "1210", "20M", "FT8"), 2},
        {"designators", c("JA2XYZ/3", "20260102", "0010", "2M", "FM"), 3},
        {"designators missing", c("JA2XYZ", "20260102", "0010", "2M", "FM"), 0},
        {"across the UTC date", c("JA2XYZ/3", "20260101", "2350", "2M", "FM"), 3},
        {"own station with designator",
         with(c("JA1ABC", "20260101", "1200", "40M", "CW"), {{"APP_LoTW_OWNCALL", "JA1ZZZ/1"}}), 1},
        {"another station's report",
         with(c("JA1ABC", "20260101", "1200", "40M", "CW"), {{"APP_LoTW_OWNCALL", "JA9QQQ"}}), 0},
        {"another station by STATION_CALLSIGN",
         with(c("JA1ABC", "20260101", "1200", "40M", "CW"), {{"STATION_CALLSIGN", "JA9QQQ"}}), 0},
    };
    for (const Case &k : cases) {
        TempDir dir;
        writeLog(dir, log);
        NoProgress quiet;
        const log::PrefixTable table(dir.file("PreFix.CFG"));
        const lotw::ConfirmSummary s =
            lotw::applyConfirmationText(std::string(kLotwHeader) + adifRecord(k.fields),
                                        dir.file("JA1ZZZ.DAT"), table, confirmOptions(), quiet);
        ASSERT_EQ(s.result, lotw::ConfirmResult::Ok) << k.what;
        for (int n = 1; n <= static_cast<int>(log.size()); ++n)
            EXPECT_EQ(userMark(dir, n), n == k.record ? "L" : "-") << k.what << " No." << n;
        EXPECT_EQ(s.confirmed, k.record != 0 ? 1 : 0) << k.what << lotw::reportText(s, false);
    }
}

TEST(ConfirmationMatching, CountsWritesOnlyMarksAndRefusesFilesWithoutConfirmations)
{
    TempDir dir;
    const std::vector<Contact> log{
        {"W1AW", "", "26/01/01", "12:00", "14.074", "FT8", sj("受")},
        {"K1ABC", "", "26/01/01", "13:00", "14.074", "FT8", "L"},
        {"N1XX", "", "26/01/01", "14:00", "14.074", "FT8", "ABCDFGHIJK"},
    };
    writeLog(dir, log);
    const std::string inbox = std::string(kEqslHeader) +
                              adifRecord(with(kContact, {{"QSL_RCVD", "Y"}})) + // new
                              adifRecord({{"CALL", "K1ABC"},
                                          {"QSO_DATE", "20260101"},
                                          {"TIME_ON", "1300"},
                                          {"BAND", "20M"},
                                          {"MODE", "FT8"},
                                          {"LOTW_QSL_RCVD", "Y"}}) + // already
                              adifRecord({{"CALL", "N1XX"},
                                          {"QSO_DATE", "20260101"},
                                          {"TIME_ON", "1400"},
                                          {"BAND", "20M"},
                                          {"MODE", "FT8"},
                                          {"QSL_RCVD", "Y"}}) + // does not fit
                              adifRecord({{"CALL", "ZZ9ZZ"},
                                          {"QSO_DATE", "20260101"},
                                          {"TIME_ON", "1400"},
                                          {"BAND", "20M"},
                                          {"MODE", "FT8"},
                                          {"QSL_RCVD", "Y"}}) + // not in the log
                              adifRecord({{"CALL", "W1AW"},
                                          {"QSO_DATE", "20260101"},
                                          {"TIME_ON", "1200"},
                                          {"BAND", "20M"},
                                          {"MODE", "FT8"},
                                          {"QSL_RCVD", "N"}}); // no confirmation
    NoProgress quiet;
    const log::PrefixTable table(dir.file("PreFix.CFG"));
    const std::string before = dir.read("JA1ZZZ.DAT");
    lotw::ConfirmOptions dry = confirmOptions();
    dry.dryRun = true;
    lotw::ConfirmSummary s =
        lotw::applyConfirmationText(inbox, dir.file("JA1ZZZ.DAT"), table, dry, quiet);
    EXPECT_EQ(dir.read("JA1ZZZ.DAT"), before);
    EXPECT_EQ(s.newly, 1);

    s = lotw::applyConfirmationText(inbox, dir.file("JA1ZZZ.DAT"), table, confirmOptions(), quiet);
    ASSERT_EQ(s.result, lotw::ConfirmResult::Ok);
    EXPECT_EQ(s.source, adif::AdifSource::Eqsl);
    EXPECT_EQ(s.read, 5);
    EXPECT_EQ(s.confirmed, 3);
    EXPECT_EQ(s.newly, 1);
    EXPECT_EQ(s.alreadyConfirmed, 1);
    EXPECT_EQ(s.notFound, 1);
    EXPECT_EQ(s.notConfirmations, 1);
    ASSERT_EQ(s.problems.size(), 1u);
    EXPECT_EQ(s.markedRecords, std::vector<std::int32_t>{1});
    EXPECT_NE(
        lotw::summaryText(s, false).find("確認 3 件 (新たに 1 件), 確認済み 1 件, ログに無い 1 件"),
        std::string::npos);
    EXPECT_EQ(userMark(dir, 1), sj("受") + "E");
    EXPECT_EQ(userMark(dir, 2), "L");
    EXPECT_EQ(userMark(dir, 3), "ABCDFGHIJK");
    // Only the mark changed: every other byte of the log is as it was.
    std::string after = dir.read("JA1ZZZ.DAT");
    log::QsoRecord first = recordOf(log[0]);
    first.setField(log::Field::UserMark, sj("受") + "E");
    EXPECT_EQ(after.substr(0, log::kRecordSize), std::string(first.bytes.data(), log::kRecordSize));
    EXPECT_EQ(after.substr(log::kRecordSize), before.substr(log::kRecordSize));

    // A plain file's cards are no LoTW or eQSL confirmations; a file of none changes nothing.
    s = lotw::applyConfirmationText(std::string(kPlainHeader) +
                                        adifRecord(with(kContact, {{"QSL_RCVD", "Y"}})),
                                    dir.file("JA1ZZZ.DAT"), table, confirmOptions(), quiet);
    EXPECT_EQ(s.result, lotw::ConfirmResult::NoConfirmationField);
    EXPECT_EQ(dir.read("JA1ZZZ.DAT"), after);
}

TEST(ConfirmationSettings, MarksWrittenOnlyWhenChangedAndWarnedWhenHeld)
{
    TempDir dir;
    const std::string ini = dir.file("JA1ZZZ.ini");
    dir.write("JA1ZZZ.ini", sj("[個人情報]\r\n漢字氏名=山田\r\n"));
    app::LoadedSettings loaded = app::readUserSettings(ini);
    EXPECT_EQ(loaded.settings.lotwMark, "L");
    EXPECT_EQ(loaded.settings.eqslMark, "E");
    EXPECT_FALSE(loaded.settings.lotwMarkInFile);
    // Saving the defaults leaves the file without the keys.
    const app::SettingsBaseline baseline{loaded.settings, loaded.reference};
    ASSERT_TRUE(app::writeUserSettings(ini, loaded.settings, loaded.reference, &baseline));
    EXPECT_EQ(dir.read("JA1ZZZ.ini").find(sj("確認マーク")), std::string::npos);
    // A changed mark is written; the other stays out.
    app::UserSettings changed = loaded.settings;
    changed.lotwMark = "LW";
    ASSERT_TRUE(app::writeUserSettings(ini, changed, loaded.reference, &baseline));
    EXPECT_NE(dir.read("JA1ZZZ.ini").find(sj("LoTW確認マーク=LW")), std::string::npos);
    EXPECT_EQ(dir.read("JA1ZZZ.ini").find(sj("eQSL確認マーク")), std::string::npos);
    loaded = app::readUserSettings(ini);
    EXPECT_EQ(loaded.settings.lotwMark, "LW");
    EXPECT_TRUE(loaded.settings.lotwMarkInFile);
    // Back to the default: the file has the key, so it keeps it with the new value.
    changed = loaded.settings;
    changed.lotwMark = "L";
    const app::SettingsBaseline second{loaded.settings, loaded.reference};
    ASSERT_TRUE(app::writeUserSettings(ini, changed, loaded.reference, &second));
    EXPECT_EQ(app::readUserSettings(ini).settings.lotwMark, "L");

    // The log holds "L" inside "OLD" and "E" nowhere: the eQSL mark has never been used, the
    // LoTW one is in the file, so nothing is said about either; once the eQSL mark is "D" it is.
    writeLog(dir, {{"W1AW", "", "26/01/01", "12:00", "14.074", "FT8", "OLD"},
                   {"W1AW", "", "26/01/01", "13:00", "14.074", "FT8", sj("受")}});
    EXPECT_EQ(log::contactsHoldingMark(dir.file("JA1ZZZ.DAT"), "L"), 1);
    EXPECT_EQ(log::contactsHoldingMark(dir.file("JA1ZZZ.DAT"), "D"), 1);
    EXPECT_EQ(log::contactsHoldingMark(dir.file("JA1ZZZ.DAT"), "E"), 0);
    app::UserSettings fresh = app::readUserSettings(ini).settings;
    EXPECT_TRUE(lotw::unusedMarksHeld(dir.file("JA1ZZZ.DAT"), fresh).empty());
    fresh.eqslMark = "D";
    const std::vector<lotw::MarkInUse> held = lotw::unusedMarksHeld(dir.file("JA1ZZZ.DAT"), fresh);
    ASSERT_EQ(held.size(), 1u);
    EXPECT_EQ(held[0].contacts, 1);
    EXPECT_NE(lotw::markInUseText(held[0]).find("1 件"), std::string::npos);
    // Once used, the file keeps the marks, and the warning is not given again.
    ASSERT_TRUE(app::keepElectronicMarks(ini, fresh, false, true));
    EXPECT_NE(dir.read("JA1ZZZ.ini").find(sj("eQSL確認マーク=D")), std::string::npos);
    EXPECT_TRUE(
        lotw::unusedMarksHeld(dir.file("JA1ZZZ.DAT"), app::readUserSettings(ini).settings).empty());
    EXPECT_NE(dir.read("JA1ZZZ.ini").find(sj("漢字氏名=山田")), std::string::npos);
}

// A large log is read in two halves at once: the nearest contact wins across them, and of two as
// near the first in the log.
TEST(ConfirmationMatching, LargeLogReadInHalves)
{
    TempDir dir;
    std::string bytes;
    const log::QsoRecord deleted = log::buildDeletedRecord(false);
    const std::map<int, Contact> placed{
        {5, {"W1AW", "", "26/01/01", "12:00", "14.074", "FT8"}},
        {60000, {"W1AW", "", "26/01/01", "12:20", "14.074", "FT8"}},
        {69000, {"K1ABC", "", "26/01/01", "13:00", "14.074", "FT8"}},
    };
    for (int n = 1; n <= 70000; ++n) {
        const auto at = placed.find(n);
        const log::QsoRecord r = at == placed.end() ? deleted : recordOf(at->second);
        bytes.append(r.bytes.data(), log::kRecordSize);
    }
    dir.write("JA1ZZZ.DAT", bytes);
    const auto confirmation = [](const char *call, const char *time) {
        return adifRecord({{"CALL", call},
                           {"QSO_DATE", "20260101"},
                           {"TIME_ON", time},
                           {"BAND", "20m"},
                           {"MODE", "FT8"},
                           {"LOTW_QSL_RCVD", "Y"}});
    };
    NoProgress quiet;
    const log::PrefixTable table(dir.file("PreFix.CFG"));
    const lotw::ConfirmSummary s = lotw::applyConfirmationText(
        confirmation("W1AW", "1210") + confirmation("W1AW", "1218") + confirmation("K1ABC", "1300"),
        dir.file("JA1ZZZ.DAT"), table, confirmOptions(), quiet);
    EXPECT_EQ(s.confirmed, 3);
    EXPECT_EQ(s.markedRecords, (std::vector<std::int32_t>{5, 60000, 69000}));
    EXPECT_EQ(userMark(dir, 5), "L");
    EXPECT_EQ(userMark(dir, 60000), "L");
    EXPECT_EQ(userMark(dir, 69000), "L");
}
