// SPDX-License-Identifier: GPL-3.0-or-later
// vezolog search, run as the operator runs it.
#include "common/file_io.h"
#include "log/log_file.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

using namespace vz::log;
using vz::test::sj;
using vz::test::TempDir;

namespace {

struct Outcome
{
    int status = -1;
    std::string out;
    std::string err;
};

std::string quoted(const std::string &s)
{
    return "'" + s + "'";
}

Outcome vezolog(const TempDir &dir, const std::vector<std::string> &args)
{
    std::string cmd = quoted(VEZOLOG);
    for (const std::string &a : args)
        cmd += " " + quoted(a);
    const std::string out = dir.path() + "/out.txt";
    const std::string err = dir.path() + "/err.txt";
    cmd += " >" + quoted(out) + " 2>" + quoted(err);
    Outcome r;
    const int raw = std::system(cmd.c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = vz::files::readAll(out).value_or("");
    r.err = vz::files::readAll(err).value_or("");
    return r;
}

void append(const std::string &log, std::int32_t n, const char *call, const std::string &name,
            const char *freq, bool qsl = false)
{
    FieldTexts t;
    t[static_cast<std::size_t>(Field::Callsign)] = call;
    t[static_cast<std::size_t>(Field::OpName)] = name;
    t[static_cast<std::size_t>(Field::Frequency)] = freq;
    ASSERT_EQ(appendRecord(log, n, buildRecord(t, qsl, true)), IoResult::Ok);
}

struct Fixture
{
    TempDir dir;
    Fixture()
    {
        dir.installPrefixTable();
        append(dir.file("JA1ABC.DAT"), 1, "JA1AAA", sj("中村"), "14");
        append(dir.file("JA1ABC.DAT"), 2, "JA3BBB", sj("田中"), "7", true);
        append(dir.file("JA2REF.DAT"), 1, "JA1CCC", sj("中野"), "144");
    }
    Outcome run(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"search", dir.dataDir(), "JA1ABC"});
        return vezolog(dir, args);
    }
};

const std::string kNoMatch = "該当する局はありませんでした\n";

} // namespace

TEST(SearchCommand, PrintsTheTwelveColumnsAsUtf8)
{
    Fixture f;
    const Outcome r = f.run({"--item", "name", "中", "--reference", "JA2REF"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "1\tJA1AAA\t-\t中村\t14\t-\t-\t-\t-\t-\t-\t\n"
                     "1\tJA1CCC\t-\t中野\t144\t-\t-\t-\t-\t-\t-\tJA2REF\n");
    EXPECT_EQ(r.err, "");
}

TEST(SearchCommand, EachLogWithoutAMatchGivesTheNoticeOnStandardError)
{
    Fixture f;
    const Outcome r = f.run({"--item", "call", "ja1c", "--reference", "JA2REF"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "1\tJA1CCC\t-\t中野\t144\t-\t-\t-\t-\t-\t-\tJA2REF\n") << "key in upper case";
    EXPECT_EQ(r.err, kNoMatch);
    EXPECT_EQ(f.run({"--item", "freq", "21", "--reference", "JA2REF"}).err, kNoMatch + kNoMatch);
    EXPECT_EQ(f.run({"--item", "unissued"}).out.substr(0, 9), "2\tJA3BBB\t");
}

TEST(SearchCommand, AreaListingAndAnEmptyArea)
{
    Fixture f;
    EXPECT_EQ(f.run({"--area", "3"}).out.substr(0, 9), "2\tJA3BBB\t");
    const Outcome empty = f.run({"--area", "0", "--reference", "JA2REF"});
    EXPECT_EQ(empty.status, 0);
    EXPECT_EQ(empty.out, "");
    EXPECT_EQ(empty.err, "選ばれたエリアの記録はありません\n");
}

TEST(SearchCommand, RefusesWhatItCannotDo)
{
    Fixture f;
    for (const std::vector<std::string> &args :
         std::vector<std::vector<std::string>>{{},
                                               {"--area", "11"},
                                               {"--item", "call"},
                                               {"--item", "colour", "X"},
                                               {"--area", "1", "--item", "unissued"},
                                               {"--item", "name", "☃"},
                                               {"--item", "unissued", "--reference", "../x"}}) {
        const Outcome r = f.run(args);
        EXPECT_EQ(r.status, 2) << r.err;
        EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(vezolog(f.dir, {"search", f.dir.dataDir(), "JA9NONE", "--area", "1"}).status, 1);
}
