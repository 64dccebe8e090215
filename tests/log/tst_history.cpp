// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/history.h"

#include "common/progress.h"
#include "common/sjis.h"
#include "log/area_index.h"
#include "log/prefix_table.h"

#include "support/temp_dir.h"

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

using namespace vz;
using namespace vz::log;
using test::sj;

namespace {

struct Contact
{
    std::string call;
    std::string date = "24/01/02";
    std::string fixedQth = sj("千代田区");
    std::string fixedJcc = "100101";
    std::string portableQth;
    std::string portableJcc;
    std::string name = sj("山田");
    std::string frequency = "7";
};

Contact worked(const char *call, const char *date = "24/01/02")
{
    Contact c;
    c.call = call;
    c.date = date;
    return c;
}

QsoRecord recordOf(const Contact &c)
{
    FieldTexts t;
    t[static_cast<std::size_t>(Field::Callsign)] = c.call;
    t[static_cast<std::size_t>(Field::QsoDate)] = c.date;
    t[static_cast<std::size_t>(Field::FixedQth)] = c.fixedQth;
    t[static_cast<std::size_t>(Field::FixedJcc)] = c.fixedJcc;
    t[static_cast<std::size_t>(Field::PortableQth)] = c.portableQth;
    t[static_cast<std::size_t>(Field::PortableJcc)] = c.portableJcc;
    t[static_cast<std::size_t>(Field::OpName)] = c.name;
    t[static_cast<std::size_t>(Field::Frequency)] = c.frequency;
    t[static_cast<std::size_t>(Field::EndTime)] = "10:00";
    return buildRecord(t, false, true);
}

struct Log
{
    test::TempDir dir;
    std::string path = dir.file("JA1ABC.DAT");
    PrefixTable table;
    AreaIndex index;
    std::int32_t next = 1;

    void add(const Contact &c) { ASSERT_EQ(appendRecord(path, next++, recordOf(c)), IoResult::Ok); }
    void buildIndex()
    {
        NoProgress quiet;
        ASSERT_EQ(buildAreaIndex(path, table, quiet, index), IndexResult::Ok);
    }
    std::string line(std::string_view call, int area = 1) const
    {
        return sjis::toUtf8(lookupHistory(path, index, area, call).line);
    }
};

} // namespace

TEST(History, ThreeContactsLastPortableGiveThePortableLineOfTheThird)
{
    Log log;
    log.add(worked("JA1XYZ", "23/05/01"));
    log.add(worked("JA1OTH"));
    log.add({"JA1XYZ", "23/06/01", sj("港区"), "100103", "", "", sj("山田"), "14"});
    log.add({"JA1XYZ", "24/02/03", "", "", sj("鎌倉市"), "1105", sj("山田太郎"), "21"});
    log.buildIndex();

    const HistoryResult r = lookupHistory(log.path, log.index, 1, "JA1XYZ");
    EXPECT_EQ(r.result, IoResult::Ok);
    EXPECT_EQ(r.hits, 3);
    EXPECT_EQ(sjis::toUtf8(r.line),
              "山田太郎 さん   鎌倉市（移動） 前回は 24/02/03   21  交信 3回");
    EXPECT_EQ(r.last.field(Field::FixedJcc), "-");
    EXPECT_EQ(r.last.field(Field::PortableJcc), "1105");
    EXPECT_EQ(r.last.field(Field::OpName), sj("山田太郎"));
}

TEST(History, FixedContactGivesTheFixedLineWithNineBlanks)
{
    Log log;
    log.add(worked("JA1XYZ", "23/05/01"));
    log.buildIndex();
    EXPECT_EQ(log.line("JA1XYZ"), "山田 さん   千代田区         前回は 23/05/01   7  交信 1回");
}

TEST(History, KeysThatDoNotMatch)
{
    Log log;
    log.add(worked("JA1XYZ"));
    log.add(worked("JA1XY"));
    log.buildIndex();
    // Deleting leaves the record listed under its old area until the next load.
    ASSERT_EQ(markDeleted(log.path, 1, false), IoResult::Ok);

    const char *const neverWorked[] = {"JA1XYZ", "JA1XYZ/1", "ja1xy", "JA1X", "-", ""};
    for (const char *key : neverWorked) {
        const HistoryResult r = lookupHistory(log.path, log.index, 1, key);
        EXPECT_EQ(r.hits, 0) << key;
        EXPECT_EQ(sjis::toUtf8(r.line), "初めての局です。") << key;
    }
    EXPECT_EQ(lookupHistory(log.path, log.index, 1, "JA1XY").hits, 1);
    // Only the listed area is read.
    EXPECT_EQ(lookupHistory(log.path, log.index, 2, "JA1XY").hits, 0);
}

TEST(History, ContactAppendedToTheIndexWhileRunningIsFound)
{
    Log log;
    log.add(worked("JA3AAA"));
    log.buildIndex();
    Contact again;
    again.call = "JA3AAA";
    log.add(again);
    log.index.append(3, 1);
    EXPECT_EQ(lookupHistory(log.path, log.index, 3, "JA3AAA").hits, 2);
    // Registered under a portable area, it is listed there and not under the callsign's area.
    log.add(worked("JA3AAA"));
    log.index.append(10, 2);
    EXPECT_EQ(lookupHistory(log.path, log.index, 3, "JA3AAA").hits, 2);
}

TEST(History, SixCharacterCallsignFillingTheFieldAndLongLinesCutAt127Bytes)
{
    Log log;
    Contact c;
    c.call = "JA1ABC";
    c.date = "2024/01/02";
    c.name = sj("長い名前の方です");
    c.fixedQth = sj("一二三四五六七八九十一二");
    c.frequency = "1294.000";
    log.add(c);
    log.buildIndex();
    const HistoryResult r = lookupHistory(log.path, log.index, 1, "JA1ABC");
    EXPECT_EQ(r.hits, 1);
    EXPECT_LE(r.line.size(), kHistoryLineBytes);
    EXPECT_TRUE(sjis::fromUtf8(sjis::toUtf8(r.line)).has_value()) << "no half character";
}

TEST(History, MissingEmptyAndShortLogs)
{
    Log log;
    // A missing file: nothing to show.
    EXPECT_EQ(lookupHistory(log.path, log.index, 1, "JA1XYZ").result, IoResult::Missing);
    // An empty file: no contact.
    log.dir.write("JA1ABC.DAT", "");
    const HistoryResult empty = lookupHistory(log.path, log.index, 1, "JA1XYZ");
    EXPECT_EQ(empty.result, IoResult::Ok);
    EXPECT_EQ(empty.hits, 0);
    // An index that lists records past the end of the file (the log shrank) skips them.
    log.add(worked("JA1XYZ"));
    log.index.append(1, 0);
    log.index.append(1, 5);
    EXPECT_EQ(lookupHistory(log.path, log.index, 1, "JA1XYZ").hits, 1);
}

TEST(History, CallsignCopyFollowsEveryChangeOfTheFile)
{
    Log log;
    log.add(worked("JA1XYZ"));
    log.add(worked("JA1OTH"));
    log.buildIndex();
    CallsignCache calls(log.path);
    EXPECT_EQ(lookupHistory(calls, log.index, 1, "JA1XYZ").hits, 1);

    // Another writer changes a callsign in place and puts the modification time back: the
    // change time still tells.
    struct stat before
    {
    };
    ASSERT_EQ(::stat(log.path.c_str(), &before), 0);
    ASSERT_EQ(rewriteRecord(log.path, 2, recordOf(worked("JA1XYZ"))), IoResult::Ok);
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, log.path.c_str(), times, 0), 0);
    EXPECT_EQ(lookupHistory(calls, log.index, 1, "JA1XYZ").hits, 2);

    // The dialog's own append is taken over.
    const QsoRecord third = recordOf(worked("JA1XYZ", "24/09/09"));
    ASSERT_EQ(appendRecord(log.path, 3, third), IoResult::Ok);
    calls.noteWritten(2, third);
    log.index.append(1, 2);
    const HistoryResult r = lookupHistory(calls, log.index, 1, "JA1XYZ");
    EXPECT_EQ(r.hits, 3);
    EXPECT_EQ(r.last.field(Field::QsoDate), "24/09/09");

    // Another program appended first: the note does not fit the file, which is read again.
    ASSERT_EQ(appendRecord(log.path, 4, recordOf(worked("JA1XYZ"))), IoResult::Ok);
    ASSERT_EQ(appendRecord(log.path, 5, recordOf(worked("JA1XYZ"))), IoResult::Ok);
    calls.noteWritten(4, recordOf(worked("JA1XYZ")));
    log.index.append(1, 3);
    log.index.append(1, 4);
    EXPECT_EQ(lookupHistory(calls, log.index, 1, "JA1XYZ").hits, 5);

    // The log replaced as a whole (reorganized) and deleted.
    log.dir.write("JA1ABC.DAT", std::string(recordOf(worked("JA1AAA")).bytes.data(), kRecordSize));
    EXPECT_EQ(lookupHistory(calls, log.index, 1, "JA1XYZ").hits, 0);
    std::remove(log.path.c_str());
    EXPECT_EQ(lookupHistory(calls, log.index, 1, "JA1XYZ").result, IoResult::Missing);
}
