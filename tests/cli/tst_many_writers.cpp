// SPDX-License-Identifier: GPL-3.0-or-later
// Several programs on one data folder at once, as real processes: vezolog and a second program
// doing what the window does. Each case runs its programs with random start offsets; the seed
// is printed, VEZO_WRITERS_SEED replays one and VEZO_WRITERS_REPEAT runs more rounds.
#include "app/user_registry.h"
#include "app/user_settings.h"
#include "log/log_file.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace vz;

namespace {

struct Launch
{
    Launch(std::string p, std::vector<std::string> a, int after, std::string err = {})
        : program(std::move(p)), args(std::move(a)), startAfterMs(after), errFile(std::move(err))
    {
    }
    std::string program;
    std::vector<std::string> args;
    int startAfterMs = 0;
    std::string errFile; // standard error goes here (else nowhere)
};

// Starts every program, each after its own delay, and waits for all; their exit statuses.
std::vector<int> runTogether(const std::vector<Launch> &launches)
{
    std::vector<pid_t> children;
    for (const Launch &l : launches) {
        const pid_t child = ::fork();
        if (child == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(l.startAfterMs));
            const int err = ::open(l.errFile.empty() ? "/dev/null" : l.errFile.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(err, 2);
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, 1);
            std::vector<char *> argv{const_cast<char *>(l.program.c_str())};
            for (const std::string &a : l.args)
                argv.push_back(const_cast<char *>(a.c_str()));
            argv.push_back(nullptr);
            ::execv(l.program.c_str(), argv.data());
            ::_exit(127);
        }
        children.push_back(child);
    }
    std::vector<int> statuses;
    for (const pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        statuses.push_back(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
    }
    return statuses;
}

class Rounds
{
public:
    Rounds()
    {
        const char *seed = std::getenv("VEZO_WRITERS_SEED");
        m_seed = seed ? static_cast<unsigned>(std::strtoul(seed, nullptr, 10))
                      : static_cast<unsigned>(std::random_device{}());
        const char *repeat = std::getenv("VEZO_WRITERS_REPEAT");
        m_rounds = repeat ? std::max(1, std::atoi(repeat)) : 3;
        std::printf("writers seed %u (VEZO_WRITERS_SEED=%u replays it)\n", m_seed, m_seed);
        m_random.seed(m_seed);
    }
    int count() const { return m_rounds; }
    int offset(int maxMs) { return std::uniform_int_distribution<int>(0, maxMs)(m_random); }
    unsigned seed() const { return m_seed; }

private:
    unsigned m_seed;
    int m_rounds;
    std::mt19937 m_random;
};

// An ADI file of `count` contacts PREFIX000, PREFIX001, ... (distinct callsigns of six
// characters with a three-character prefix).
std::string adif(const std::string &prefix, int from, int count)
{
    std::string out = "made for a test <EOH>\n";
    for (int i = from; i < from + count; ++i) {
        char call[16];
        std::snprintf(call, sizeof call, "%s%03d", prefix.c_str(), i);
        out += "<CALL:" + std::to_string(std::string(call).size()) + ">" + call +
               " <QSO_DATE:8>20240101 <TIME_ON:4>1200 <BAND:3>40m <MODE:2>CW <EOR>\n";
    }
    return out;
}

// Every whole record's callsign with how often it occurs; blank (all-zero) records counted
// under "".
std::map<std::string, int> callsInLog(const std::string &bytes)
{
    std::map<std::string, int> calls;
    for (std::size_t at = 0; at + log::kRecordSize <= bytes.size(); at += log::kRecordSize) {
        const std::string record = bytes.substr(at, log::kRecordSize);
        if (record.find_first_not_of('\0') == std::string::npos) {
            ++calls[""];
            continue;
        }
        log::QsoRecord r;
        std::copy(record.begin(), record.end(), r.bytes.begin());
        ++calls[std::string(r.field(log::Field::Callsign))];
    }
    return calls;
}

std::string importArgs(const test::TempDir &dir, const std::string &file)
{
    return dir.path() + "/" + file;
}

} // namespace

// Two imports into one log and a program appending contacts one by one, all at once: every
// contact is in the log exactly once, and no record is blank.
TEST(ManyWriters, ImportsAndAppendsAtOnceKeepEveryContactOnce)
{
    Rounds rounds;
    for (int round = 0; round < rounds.count(); ++round) {
        SCOPED_TRACE("seed " + std::to_string(rounds.seed()) + " round " + std::to_string(round));
        test::TempDir dir;
        dir.installPrefixTable();
        dir.write("JA1ABC.DAT", ""); // as the window leaves a new user's log
        // Shared contacts in both files: whichever import comes second skips them.
        dir.write("../a.adi", adif("JA1", 0, 400) + adif("JA3", 0, 50));
        dir.write("../b.adi", adif("JA2", 0, 400) + adif("JA3", 0, 50));
        const std::vector<int> statuses = runTogether({
            {VEZOLOG,
             {"import-adif", dir.dataDir(), "JA1ABC", importArgs(dir, "a.adi")},
             rounds.offset(30)},
            {VEZOLOG,
             {"import-adif", dir.dataDir(), "JA1ABC", importArgs(dir, "b.adi")},
             rounds.offset(30)},
            {WRITER_HELPER, {"append", dir.path(), "JA1ABC", "JH1", "150"}, rounds.offset(30)},
        });
        EXPECT_EQ(statuses, (std::vector<int>{0, 0, 0}));
        const std::string bytes = dir.read("JA1ABC.DAT");
        EXPECT_EQ(bytes.size() % log::kRecordSize, 0u);
        const auto calls = callsInLog(bytes);
        EXPECT_EQ(calls.count(""), 0u) << "blank records";
        EXPECT_EQ(calls.size(), 400u + 400u + 50u + 150u);
        for (const auto &[call, times] : calls)
            EXPECT_EQ(times, 1) << call;
    }
}

// An import that meets a reorganization waits for it or is refused with the busy message; the
// log is whole either way, and holds every live contact once.
TEST(ManyWriters, ImportDuringReorganizeWaitsOrIsRefused)
{
    Rounds rounds;
    for (int round = 0; round < rounds.count(); ++round) {
        SCOPED_TRACE("seed " + std::to_string(rounds.seed()) + " round " + std::to_string(round));
        test::TempDir dir;
        dir.installPrefixTable();
        // 60,000 contacts, every tenth deleted: the reorganization takes a while.
        std::string log;
        constexpr int kRecords = 60000;
        for (int i = 0; i < kRecords; ++i) {
            log::FieldTexts t;
            std::string call = "X";
            for (int rest = i, k = 0; k < 5; ++k, rest /= 36)
                call += "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"[rest % 36];
            t[0] = i % 10 == 0 ? "-" : call;
            t[3] = "24/01/01";
            const log::QsoRecord r = log::buildRecord(t, false, i % 10 != 0);
            log.append(r.bytes.data(), log::kRecordSize);
        }
        dir.write("JA1ABC.DAT", log);
        dir.write("../a.adi", adif("JA2", 0, 300));
        const std::string errFile = dir.path() + "/import.err";
        const std::vector<int> statuses = runTogether({
            {WRITER_HELPER, {"reorganize", dir.path(), "JA1ABC"}, rounds.offset(20)},
            {VEZOLOG,
             {"import-adif", dir.dataDir(), "JA1ABC", importArgs(dir, "a.adi")},
             rounds.offset(20),
             errFile},
        });
        EXPECT_EQ(statuses[0], 0);
        const std::string bytes = dir.read("JA1ABC.DAT");
        EXPECT_EQ(bytes.size() % log::kRecordSize, 0u);
        const auto calls = callsInLog(bytes);
        EXPECT_EQ(calls.count(""), 0u) << "blank records";
        std::size_t imported = 0;
        for (const auto &[call, times] : calls) {
            EXPECT_EQ(times, 1) << call;
            imported += call.rfind("JA2", 0) == 0 ? 1 : 0;
        }
        if (statuses[1] == 0) {
            EXPECT_EQ(imported, 300u);
        } else {
            EXPECT_EQ(statuses[1], 1);
            EXPECT_EQ(imported, 0u);
            EXPECT_NE(dir.read("../import.err").find(kLogBusyText), std::string::npos);
        }
        // Every live contact of before is there once; the deleted ones are gone.
        EXPECT_EQ(calls.count("-"), 0u);
        EXPECT_EQ(calls.size() - imported, static_cast<std::size_t>(kRecords - kRecords / 10));
    }
}

// Two print runs at once never number two cards alike: the card number ends after both.
TEST(ManyWriters, TwoPrintRunsNeverShareACardNumber)
{
    Rounds rounds;
    for (int round = 0; round < rounds.count(); ++round) {
        SCOPED_TRACE("seed " + std::to_string(rounds.seed()) + " round " + std::to_string(round));
        test::TempDir dir;
        dir.installPrefixTable();
        for (std::int32_t n = 1; n <= 20; ++n) {
            log::QsoRecord r;
            r.setField(log::Field::Callsign, "JA1AAA");
            r.setQslFlag(true);
            ASSERT_EQ(log::appendRecord(dir.file("JA1ABC.DAT"), n, r), log::IoResult::Ok);
        }
        dir.write("JA1ABC.ini", "");
        ASSERT_TRUE(app::writeCardNumber(dir.file("JA1ABC.ini"), "100"));
        const std::vector<int> statuses = runTogether({
            {VEZOLOG,
             {"print", "postcard", dir.dataDir(), "JA1ABC", "--from", "1", "--to", "12", "--pdf",
              dir.path() + "/one.pdf", "--dpi", "72"},
             rounds.offset(40)},
            {VEZOLOG,
             {"print", "postcard", dir.dataDir(), "JA1ABC", "--from", "5", "--to", "20", "--pdf",
              dir.path() + "/two.pdf", "--dpi", "72"},
             rounds.offset(40)},
        });
        EXPECT_EQ(statuses, (std::vector<int>{0, 0}));
        // 12 + 16 cards, numbered from 100 without overlap.
        EXPECT_EQ(app::readUserSettings(dir.file("JA1ABC.ini")).settings.cardNo, "128");
    }
}

// Two registrations of different stations and two of the same one, all at once: each callsign
// is listed once, and one of the same station's registrations finds it listed already.
TEST(ManyWriters, RegistrationsAtOnceLoseNoStation)
{
    Rounds rounds;
    for (int round = 0; round < rounds.count(); ++round) {
        SCOPED_TRACE("seed " + std::to_string(rounds.seed()) + " round " + std::to_string(round));
        test::TempDir dir;
        std::vector<Launch> launches;
        for (const char *call : {"JA1AAA", "JA2BBB", "JA3CCC", "JA3CCC"})
            launches.emplace_back(WRITER_HELPER,
                                  std::vector<std::string>{"register", dir.path(), call},
                                  rounds.offset(15));
        std::vector<int> statuses = runTogether(launches);
        EXPECT_EQ(statuses[0], 0);
        EXPECT_EQ(statuses[1], 0);
        std::sort(statuses.begin() + 2, statuses.end());
        EXPECT_EQ(statuses[2], 0);
        EXPECT_EQ(statuses[3], 4) << "the second JA3CCC was not told it is listed";
        std::vector<std::string> users = app::listUsers(dir.file("CallSign.DAT"));
        std::sort(users.begin(), users.end());
        EXPECT_EQ(users, (std::vector<std::string>{"JA1AAA", "JA2BBB", "JA3CCC"}));
    }
}
