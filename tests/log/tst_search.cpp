// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/search.h"

#include "common/progress.h"
#include "log/area_index.h"
#include "log/log_file.h"
#include "log/prefix_table.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>

using namespace vz::log;
using vz::test::sj;
using vz::test::TempDir;

namespace {

struct Contact
{
    std::string call;
    std::string date = "05/03/12";
    std::string freq = "7";
    std::string mode = "SSB";
    std::string jcc = "1001";
    std::string name = "";
    std::string mark = "";
    bool qsl = false;
    std::string portableJcc = "";
};

QsoRecord recordOf(const Contact &c)
{
    FieldTexts t;
    t[static_cast<std::size_t>(Field::Callsign)] = c.call;
    t[static_cast<std::size_t>(Field::QsoDate)] = c.date;
    t[static_cast<std::size_t>(Field::Frequency)] = c.freq;
    t[static_cast<std::size_t>(Field::Mode)] = c.mode;
    t[static_cast<std::size_t>(Field::FixedJcc)] = c.jcc;
    t[static_cast<std::size_t>(Field::OpName)] = c.name;
    t[static_cast<std::size_t>(Field::UserMark)] = c.mark;
    t[static_cast<std::size_t>(Field::PortableJcc)] = c.portableJcc;
    t[static_cast<std::size_t>(Field::Memo)] = "memo " + c.call;
    return buildRecord(t, c.qsl, true);
}

void append(const std::string &log, const std::vector<Contact> &contacts)
{
    std::int32_t n = recordCount(log) + 1;
    for (const Contact &c : contacts)
        ASSERT_EQ(appendRecord(log, n++, recordOf(c)), IoResult::Ok);
}

// Collects a search's rows and what each pass reported.
struct Recorder final : SearchObserver
{
    ResultTable rows;
    std::vector<std::string> events;

    void addRow(const ResultRow &row) override { rows.addRow(row); }
    void passStarting(const SearchLog &log) override { events.push_back("start " + log.path); }
    void passFinished(const SearchLog &log, const PassResult &r) override
    {
        static const char *names[] = {"found", "nomatch", "failed"};
        events.push_back(std::string(names[static_cast<int>(r.status)]) + " " + log.path + " " +
                         std::to_string(r.rows));
    }
    std::vector<std::string> column(ResultColumn c) const
    {
        std::vector<std::string> out;
        for (std::size_t i = 0; i < rows.size(); ++i)
            out.emplace_back(rows.cell(i, c));
        return out;
    }
};

struct MaxProgress final : vz::ProgressSink
{
    std::int64_t maximum = -1;
    void begin(std::int64_t m) override { maximum = m; }
    void advance(std::int64_t) override {}
    void end() override {}
};

struct Fixture
{
    TempDir dir;
    PrefixTable table;
    AreaIndex index;
    std::string log = dir.file("JA1ABC.DAT");

    Fixture()
    {
        dir.installPrefixTable();
        table.setPath(dir.file("PreFix.CFG"));
    }
    void indexLog()
    {
        vz::NoProgress quiet;
        ASSERT_EQ(buildAreaIndex(log, table, quiet, index), IndexResult::Ok);
    }
    Recorder search(SearchItem item, const std::string &key, MaxProgress *progress = nullptr)
    {
        Recorder r;
        MaxProgress local;
        runSearch(planItemSearch(item, key, table), SearchLog{log, &index, {}}, std::nullopt, r,
                  progress ? *progress : local);
        return r;
    }
    std::vector<std::string> calls(SearchItem item, const std::string &key)
    {
        return search(item, key).column(ResultColumn::Callsign);
    }
};

using Calls = std::vector<std::string>;

} // namespace

TEST(Search, CallsignKeyOfThreeBytesReadsOnlyItsAreaAndShortKeyScansAll)
{
    Fixture f;
    append(f.log, {{"JA1AAA"}, {"JH1BBB"}, {"JA3CCC"}, {"JA1DDD"}, {"W1AW"}, {"7K1EEE"}});
    f.indexLog();
    // Added after the log was indexed: only a pass over the whole file sees it.
    append(f.log, {{"JA1ZZZ"}});

    MaxProgress progress;
    const Recorder ja1 = f.search(SearchItem::Callsign, "JA1", &progress);
    EXPECT_EQ(ja1.column(ResultColumn::Callsign), (Calls{"JA1AAA", "JA1DDD"}));
    EXPECT_EQ(ja1.column(ResultColumn::RecordNo), (Calls{"1", "4"}));
    EXPECT_EQ(progress.maximum, 4) << "the four records of area 1, not the seven of the log";

    EXPECT_EQ(f.calls(SearchItem::Callsign, "JA"), (Calls{"JA1AAA", "JA3CCC", "JA1DDD", "JA1ZZZ"}));
    EXPECT_EQ(f.calls(SearchItem::Callsign, "7K1"), (Calls{"7K1EEE"}));
}

TEST(Search, JccKeyReadsTheAreaOfItsPrefectureAndOnlyTheFixedJcc)
{
    Fixture f;
    append(f.log, {{.call = "JA1AAA", .jcc = "1001"},
                   {.call = "JA1BBB", .jcc = "-", .portableJcc = "1003"},
                   {.call = "JA1CCC", .jcc = "100110"},
                   {.call = "JA1DDD", .jcc = "2501"},
                   {.call = "JA3EEE", .jcc = "1005"}, // a Tokyo city logged under area 3: not read
                   {.call = "JA1FFF", .jcc = "1"}});  // shorter than the key
    f.indexLog();
    EXPECT_EQ(f.calls(SearchItem::Jcc, "10"), (Calls{"JA1AAA", "JA1CCC"}));
    EXPECT_EQ(f.calls(SearchItem::Jcc, "1001"), (Calls{"JA1AAA", "JA1CCC"}));
    // One digit spans the prefectures 10 to 19 of more than one area: the whole log is read.
    EXPECT_EQ(f.calls(SearchItem::Jcc, "1"), (Calls{"JA1AAA", "JA1CCC", "JA3EEE", "JA1FFF"}));
}

TEST(Search, MatchRulesOfTheWholeLogItems)
{
    Fixture f;
    append(f.log, {
                      {.call = "JA1AAA", .freq = "14", .mode = "SSB"},
                      {.call = "JA1BBB", .freq = "144.52", .mode = "SSB2"},
                      {.call = "JA1CCC", .freq = "14.025", .mode = "CW"},
                      {.call = "JA1DDD", .freq = "1", .mode = "SS"},
                      {.call = "JA1EEE", .freq = "7.01", .mode = "ABCDEF"}, // six bytes, no NUL
                  });
    f.indexLog();
    struct Case
    {
        SearchItem item;
        const char *key;
        Calls expected;
    };
    const Case cases[] = {
        {SearchItem::Frequency, "14", {"JA1AAA", "JA1BBB", "JA1CCC"}},
        {SearchItem::Frequency, "144", {"JA1BBB"}},
        {SearchItem::Mode, "SSB", {"JA1AAA"}},
        {SearchItem::Mode, "ABCDEF", {"JA1EEE"}},
        {SearchItem::Mode, "ABCDE", {}},
        {SearchItem::Mode, "SSB2", {"JA1BBB"}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(f.calls(c.item, c.key), c.expected) << c.key;
}

TEST(Search, DateNameAndMark)
{
    Fixture f;
    append(f.log, {
                      {.call = "JA1AAA", .date = "05/03/01", .name = sj("中村"), .mark = "B"},
                      {.call = "JA1BBB", .date = "05/03/31", .name = sj("中野"), .mark = "AB1"},
                      {.call = "JA1CCC", .date = "05/04/01", .name = sj("田中"), .mark = "C"},
                      {.call = "JA1DDD", .date = "15/03/01", .name = "", .mark = sj("ア")},
                      {.call = "JA1EEE", .date = "2005/03/01", .name = "", .mark = sj("Aア")},
                  });
    f.indexLog();
    EXPECT_EQ(f.calls(SearchItem::Date, "05/03"), (Calls{"JA1AAA", "JA1BBB"}));
    EXPECT_EQ(f.calls(SearchItem::Date, "05/03/31"), (Calls{"JA1BBB"}));
    EXPECT_EQ(f.calls(SearchItem::Name, sj("中")), (Calls{"JA1AAA", "JA1BBB"}));
    EXPECT_EQ(f.calls(SearchItem::Mark, "B"), (Calls{"JA1AAA", "JA1BBB"}));
    // "ア" is 0x83 0x41: its second byte is not the letter A.
    EXPECT_EQ(f.calls(SearchItem::Mark, "A"), (Calls{"JA1BBB", "JA1EEE"}));
    EXPECT_EQ(f.calls(SearchItem::Mark, sj("ア")), (Calls{"JA1DDD", "JA1EEE"}));
}

// The find field turns the key to upper case; names and marks keep what was typed.
TEST(Search, NameAndMarkIgnoreLetterCaseButNeverFoldATrailByte)
{
    Fixture f;
    append(f.log, {
                      {.call = "JA1AAA", .name = "Bob", .mark = "qrp"},
                      {.call = "JA1BBB", .name = sj("ｂｏｂｂｙ"), .mark = sj("xｑｒｐ")},
                      {.call = "JA1CCC", .name = "BOX", .mark = sj("∥")},
                      {.call = "JA1DDD", .name = sj("メイ"), .mark = sj("チ")},
                  });
    f.indexLog();
    EXPECT_EQ(f.calls(SearchItem::Name, "BOB"), (Calls{"JA1AAA"}));
    EXPECT_EQ(f.calls(SearchItem::Name, "BO"), (Calls{"JA1AAA", "JA1CCC"}));
    EXPECT_EQ(f.calls(SearchItem::Name, sj("ＢＯＢ")), (Calls{"JA1BBB"}));
    EXPECT_EQ(f.calls(SearchItem::Mark, "QRP"), (Calls{"JA1AAA"}));
    EXPECT_EQ(f.calls(SearchItem::Mark, sj("ＱＲＰ")), (Calls{"JA1BBB"}));
    // "∥" is 0x81 0x61 and "メ" 0x83 0x81: neither trail byte is a letter to fold.
    EXPECT_TRUE(f.calls(SearchItem::Mark, "A").empty());
    EXPECT_TRUE(f.calls(SearchItem::Name, sj("チ")).empty());
    EXPECT_EQ(f.calls(SearchItem::Mark, sj("チ")), (Calls{"JA1DDD"}));
    // Every other item keeps its exact comparison.
    EXPECT_TRUE(f.calls(SearchItem::Callsign, "ja1aaa").empty());
}

TEST(Search, UnissuedListsFlagExactlyOneIncludingDeletedRecords)
{
    Fixture f;
    append(f.log, {{.call = "JA1AAA", .qsl = true},
                   {"JA1BBB"},
                   {.call = "JA1CCC", .qsl = true},
                   {.call = "JA3DDD", .qsl = true}});
    ASSERT_EQ(markDeleted(f.log, 3, true), IoResult::Ok);
    // A flag byte of 2 is "set" for card printing but is not a card still to issue here.
    QsoRecord odd = recordOf({"JA1EEE"});
    odd.bytes[kQslFlagOffset] = 2;
    ASSERT_EQ(appendRecord(f.log, 5, odd), IoResult::Ok);
    f.indexLog();
    const Recorder r = f.search(SearchItem::Unissued, "");
    EXPECT_EQ(r.column(ResultColumn::Callsign), (Calls{"JA1AAA", "-", "JA3DDD"}));
    EXPECT_EQ(r.column(ResultColumn::RecordNo), (Calls{"1", "3", "4"}));
}

TEST(Search, RowCarriesTheTwelveColumns)
{
    Fixture f;
    FieldTexts t;
    auto set = [&t](Field fl, std::string v) { t[static_cast<std::size_t>(fl)] = std::move(v); };
    set(Field::Callsign, "JA1XYZ");
    set(Field::QsoDate, "05/03/12");
    set(Field::OpName, sj("中村"));
    set(Field::Frequency, "14.025");
    set(Field::Mode, "RTTY12");
    set(Field::Power, "100W");
    set(Field::FixedQth, sj("東京都千代田区"));
    set(Field::FixedJcc, "100101");
    set(Field::PortableQth, sj("横浜市"));
    set(Field::UserMark, "AB");
    set(Field::Memo, "note");
    ASSERT_EQ(appendRecord(f.log, 1, recordOf({"JA1AAA"})), IoResult::Ok);
    ASSERT_EQ(appendRecord(f.log, 2, buildRecord(t, false, true)), IoResult::Ok);
    f.dir.write("JA2REF.DAT", std::string(buildRecord(t, false, true).bytes.data(), kRecordSize) +
                                  std::string(100, 'x')); // and a partial record
    f.indexLog();

    Recorder r;
    vz::NoProgress quiet;
    runSearch(planItemSearch(SearchItem::Callsign, "JA1X", f.table), SearchLog{f.log, &f.index, {}},
              std::nullopt, r, quiet);
    ASSERT_EQ(r.rows.size(), 1u);
    const std::vector<std::string> expected{
        "2",      "JA1XYZ",     "05/03/12", sj("中村"), "14.025", "RTTY12", sj("東京都千代田区"),
        "100101", sj("横浜市"), "AB",       "note",     ""};
    for (std::size_t c = 0; c < kResultColumns; ++c)
        EXPECT_EQ(r.rows.cell(0, static_cast<ResultColumn>(c)), expected[c]) << c;

    Recorder scan;
    runSearch(planItemSearch(SearchItem::Mode, "RTTY12", f.table), SearchLog{f.log, &f.index, {}},
              SearchLog{f.dir.file("JA2REF.DAT"), nullptr, "JA2REF"}, scan, quiet);
    EXPECT_EQ(scan.column(ResultColumn::RecordNo), (Calls{"2", "1"}));
    EXPECT_EQ(scan.column(ResultColumn::ReferenceCall), (Calls{"", "JA2REF"}))
        << "the reference log's partial second record is not read";
}

TEST(Search, AreaListingAndItsRefusal)
{
    Fixture f;
    append(f.log, {{"JA1AAA"}, {"JA3BBB"}, {"JA1CCC"}});
    ASSERT_EQ(markDeleted(f.log, 3, false), IoResult::Ok);
    f.indexLog();
    append(f.log, {{"JA1DDD"}}); // registered while open: joins the index's list
    f.index.append(1, 3);
    ASSERT_EQ(markDeleted(f.log, 1, false), IoResult::Ok); // deleted since the index was built

    Recorder r;
    vz::NoProgress quiet;
    runSearch(planAreaSearch(1), SearchLog{f.log, &f.index, {}}, std::nullopt, r, quiet);
    EXPECT_EQ(r.column(ResultColumn::Callsign), (Calls{"-", "JA1DDD"}));
    EXPECT_EQ(r.column(ResultColumn::RecordNo), (Calls{"1", "4"}));

    EXPECT_FALSE(checkAreaSearch(f.index, 1));
    EXPECT_EQ(checkAreaSearch(f.index, 0), SearchNotice::NoRecordsInArea);
    EXPECT_EQ(checkAreaSearch(f.index, 11), SearchNotice::NoRecordsInArea);
    EXPECT_EQ(noticeText(SearchNotice::NoRecordsInArea), "選ばれたエリアの記録はありません");
    EXPECT_EQ(noticeText(SearchNotice::ResultsShown), "現在表示中です");
    EXPECT_EQ(noticeText(SearchNotice::NoMatch), "該当する局はありませんでした");
}

TEST(Search, MissingLogIsEmptyAndStaleIndexEntriesAreSkipped)
{
    Fixture f;
    Recorder missing;
    vz::NoProgress quiet;
    runSearch(planItemSearch(SearchItem::Frequency, "7", f.table),
              SearchLog{f.dir.file("NONE.DAT"), nullptr, {}}, std::nullopt, missing, quiet);
    EXPECT_EQ(missing.events.back(), "nomatch " + f.dir.file("NONE.DAT") + " 0");

    append(f.log, {{"JA1AAA"}, {"JA1BBB"}});
    f.indexLog();
    f.index.append(1, 7); // names a record the file no longer has
    Recorder r;
    runSearch(planAreaSearch(1), SearchLog{f.log, &f.index, {}}, std::nullopt, r, quiet);
    EXPECT_EQ(r.column(ResultColumn::RecordNo), (Calls{"1", "2"}));
}

TEST(Search, AreaListingOfALargeLogReadsEveryListedRecord)
{
    // Records of area 1 spread unevenly: runs, gaps wider than a read span, and a list longer
    // than one read; the listing must give exactly the area's records in file order.
    Fixture f;
    std::string bytes;
    std::vector<std::string> expected;
    const int count = 40000;
    for (int i = 0; i < count; ++i) {
        const bool area1 = (i % 7 == 0) || (i > 20000 && i < 30000) || i == count - 1;
        char call[8];
        std::snprintf(call, sizeof call, "J%c%d%03d", area1 ? 'A' : 'E', area1 ? 1 : 3, i % 1000);
        const QsoRecord rec = recordOf({call});
        bytes.append(rec.bytes.data(), kRecordSize);
        if (area1)
            expected.push_back(std::to_string(i + 1));
    }
    f.dir.write("JA1ABC.DAT", bytes);
    f.indexLog();
    Recorder r;
    vz::NoProgress quiet;
    runSearch(planAreaSearch(1), SearchLog{f.log, &f.index, {}}, std::nullopt, r, quiet);
    EXPECT_EQ(r.column(ResultColumn::RecordNo), expected);
}

TEST(Search, PlansAndKeys)
{
    TempDir dir;
    dir.write("PreFix.CFG", "7K1 01\r\n");
    PrefixTable table(dir.file("PreFix.CFG"));
    struct Case
    {
        SearchItem item;
        const char *key;
        bool throughArea;
        int area;
    };
    const Case cases[] = {
        {SearchItem::Callsign, "JA", false, 0},   {SearchItem::Callsign, "JA1", true, 1},
        {SearchItem::Callsign, "7K1A", true, 1},  {SearchItem::Callsign, "W1A", true, 10},
        {SearchItem::Jcc, "10", true, 1},         {SearchItem::Jcc, "01", true, 8},
        {SearchItem::Jcc, "4701", true, 6},       {SearchItem::Jcc, "1", false, 0},
        {SearchItem::Frequency, "144", false, 0}, {SearchItem::Unissued, "", false, 0},
    };
    for (const Case &c : cases) {
        const SearchPlan p = planItemSearch(c.item, c.key, table);
        EXPECT_EQ(p.listMode, static_cast<int>(c.item));
        EXPECT_EQ(p.throughArea, c.throughArea) << c.key;
        if (c.throughArea) {
            EXPECT_EQ(p.area, c.area) << c.key;
        }
    }
    EXPECT_EQ(upperCaseKey("ja1abc"), "JA1ABC");
    EXPECT_EQ(upperCaseKey(sj("ｓｓｂ中")), sj("ＳＳＢ中"));
    EXPECT_EQ(upperCaseKey(sj("ア")), sj("ア")) << "a trail byte is left alone";
}

// The first and last letters of both alphabets fold, and the characters beside them do not:
// "`" and "{" around a-z, "ｚ" (0x82 0x9A) and "ぁ" (0x82 0x9F) past the full-width letters.
TEST(Search, LettersFoldAtBothEndsOfTheirRanges)
{
    Fixture f;
    append(f.log, {
                      {.call = "JA1AAA", .name = "az", .mark = sj("ａｚ")},
                      {.call = "JA1BBB", .name = "`{", .mark = sj("ぁ")},
                  });
    f.indexLog();
    const struct
    {
        SearchItem item;
        std::string key;
        Calls found;
    } cases[] = {
        {SearchItem::Name, "AZ", {"JA1AAA"}},
        {SearchItem::Name, "`{", {"JA1BBB"}},
        {SearchItem::Name, "@[", {}},
        {SearchItem::Mark, sj("ＡＺ"), {"JA1AAA"}},
        {SearchItem::Mark, sj("ぁ"), {"JA1BBB"}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(f.calls(c.item, c.key), c.found) << c.key;
    EXPECT_EQ(upperCaseKey(sj("ａｚaz`{ぁ")), sj("ＡＺAZ`{ぁ"));
}

// A log cut short while it is searched (its read fails half-way): the rows found before stand
// and are listed, the pass says it failed, and the progress bar is ended all the same.
TEST(Search, AReadFailingHalfWayKeepsTheRowsFoundAndEndsItsProgress)
{
    for (const char *key : {"JA", "JA1"}) { // the whole log, then one area through the index
        SCOPED_TRACE(key);
        Fixture f;
        append(f.log, {{.call = "JA1AAA"}});
        const std::string one = f.dir.read("JA1ABC.DAT");
        std::string many;
        for (int i = 0; i < 5000; ++i)
            many += one;
        f.dir.write("JA1ABC.DAT", many);
        f.indexLog();
        struct CutsTheLog final : SearchObserver
        {
            std::string path;
            std::int64_t rows = 0;
            std::string finished;
            void addRow(const ResultRow &) override
            {
                if (rows++ == 0) {
                    ASSERT_EQ(::truncate(path.c_str(), 100 * 254), 0);
                }
            }
            void passStarting(const SearchLog &) override {}
            void passFinished(const SearchLog &, const PassResult &r) override
            {
                finished = r.status == PassStatus::ReadFailed ? "failed " : "not failed ";
                finished += std::to_string(r.rows);
            }
        } cutter;
        cutter.path = f.log;
        struct Ends final : vz::ProgressSink
        {
            int begins = 0;
            int ends = 0;
            void begin(std::int64_t) override { ++begins; }
            void advance(std::int64_t) override {}
            void end() override { ++ends; }
        } progress;
        runSearch(planItemSearch(SearchItem::Callsign, key, f.table),
                  SearchLog{f.log, &f.index, {}}, std::nullopt, cutter, progress);
        EXPECT_GT(cutter.rows, 0);
        EXPECT_LT(cutter.rows, 5000);
        EXPECT_EQ(cutter.finished, "failed " + std::to_string(cutter.rows));
        EXPECT_EQ(progress.begins, 1);
        EXPECT_EQ(progress.ends, 1);
    }
}
