// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/commands.h"

#include "app/user_settings.h"
#include "cards/pdf_print_jobs.h"
#include "common/data_dir.h"
#include "common/file_io.h"
#include "log/log_file.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <QGuiApplication>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <sstream>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vz;

namespace {

struct PrintCommandFixture
{
    test::TempDir dir;
    PrintCommandFixture()
    {
        dir.installPrefixTable();
        for (std::int32_t n = 1; n <= 3; ++n) {
            log::QsoRecord r;
            r.setField(log::Field::Callsign, "JA1AAA");
            r.setQslFlag(n != 2);
            EXPECT_EQ(log::appendRecord(dir.file("JA1ABC.DAT"), n, r), log::IoResult::Ok);
        }
    }
    int run(cli::Args args, std::string *err = nullptr)
    {
        std::ostringstream out;
        std::ostringstream errors;
        const int status = cli::runPrintCommand(args, out, errors);
        if (err)
            *err = errors.str();
        return status;
    }
};

} // namespace

TEST(PrintCommand, UnissuedCardsGoToThePdfAndAreMarkedIssued)
{
    PrintCommandFixture f;
    const std::string pdf = f.dir.path() + "/cards.pdf";
    ASSERT_EQ(f.run({"postcard", f.dir.dataDir(), "JA1ABC", "--unissued", "--pdf", pdf}), 0);
    EXPECT_EQ(f.dir.read("../cards.pdf").substr(0, 5), "%PDF-");
    log::QsoRecord r;
    log::readRecord(f.dir.file("JA1ABC.DAT"), 3, r);
    EXPECT_FALSE(r.qslPending());
    EXPECT_EQ(app::readUserSettings(f.dir.file("JA1ABC.ini")).settings.cardNo, "3");

    std::string err;
    EXPECT_EQ(f.run({"postcard", f.dir.dataDir(), "JA1ABC", "--unissued", "--pdf", pdf}, &err), 0);
    EXPECT_NE(err.find("no card"), std::string::npos);
}

TEST(PrintCommand, BadArgumentsAndFileErrors)
{
    PrintCommandFixture f;
    const std::string pdf = f.dir.path() + "/cards.pdf";
    std::string err;
    EXPECT_EQ(
        f.run({"vertical", f.dir.dataDir(), "JA1ABC", "--from", "1", "--to", "4", "--pdf", pdf},
              &err),
        2);
    EXPECT_NE(err.find("範囲外のナンバーです"), std::string::npos);
    EXPECT_EQ(f.run({"blank", f.dir.dataDir(), "JA1ABC", "--from", "1", "--pdf", pdf}), 2);
    EXPECT_EQ(f.run({"postcard", f.dir.dataDir(), "JA1ABC", "--unissued"}), 2);
    EXPECT_EQ(f.run({"blank", f.dir.dataDir(), "JA1ABC", "--count", "x", "--pdf", pdf}), 2);
    EXPECT_EQ(f.run({"blank", f.dir.dataDir(), "JA1ABC", "--count", "2", "--pdf",
                     f.dir.path() + "/missing/cards.pdf"}),
              1);
    EXPECT_EQ(f.run({"test", f.dir.dataDir(), "JA1ABC", "--vertical", "--pdf", pdf}), 0);
    log::QsoRecord r;
    log::readRecord(f.dir.file("JA1ABC.DAT"), 1, r);
    EXPECT_TRUE(r.qslPending());
}

// The PDF file is checked as an ADIF export's output is: never the log, the settings or any
// file of the data folder (through a link or in another letter case), never a device or a
// FIFO. Each is refused with exit 1 before a card is drawn or numbered.
TEST(PrintCommand, PdfIntoTheDataFolderOrOverSpecialFilesIsRefused)
{
    PrintCommandFixture f;
    ASSERT_EQ(::mkfifo((f.dir.path() + "/fifo.pdf").c_str(), 0644), 0);
    std::filesystem::create_symlink(f.dir.file("JA1ABC.ini"), f.dir.path() + "/settings.pdf");
    const std::string targets[] = {
        f.dir.file("JA1ABC.DAT"),
        f.dir.file("ja1abc.dat"),
        f.dir.path() + "/settings.pdf",
        f.dir.file("new.pdf"),
        "/dev/null",
        f.dir.path() + "/fifo.pdf",
    };
    const std::string log = f.dir.read("JA1ABC.DAT");
    for (const std::string &target : targets) {
        SCOPED_TRACE(target);
        f.dir.write("JA1ABC.ini", "[x]\r\n");
        std::string err;
        EXPECT_EQ(
            f.run({"postcard", f.dir.dataDir(), "JA1ABC", "--unissued", "--pdf", target}, &err), 1);
        EXPECT_NE(err.find("書き出しません"), std::string::npos) << err;
        EXPECT_TRUE(f.dir.read("JA1ABC.DAT") == log);
        EXPECT_EQ(f.dir.read("JA1ABC.ini"), "[x]\r\n");
        EXPECT_FALSE(std::filesystem::exists(f.dir.file("new.pdf")));
    }
    EXPECT_TRUE(std::filesystem::is_fifo(f.dir.path() + "/fifo.pdf"));
}

TEST(PrintCommand, PrinterAndFileAreOneDestinationEach)
{
    PrintCommandFixture f;
    const std::string pdf = f.dir.path() + "/cards.pdf";
    const std::string data = f.dir.dataDir();
    const cli::Args usageErrors[] = {
        {"postcard", data, "JA1ABC", "--unissued", "--printer", "Q", "--dpi", "300"},
        {"postcard", data, "JA1ABC", "--unissued", "--printer", "Q", "--pdf", pdf},
        {"test", data, "JA1ABC", "--printer", ""},
        {"blank", data, "JA1ABC", "--count", "1", "--printer"},
    };
    for (const cli::Args &args : usageErrors)
        EXPECT_EQ(f.run(args), 2) << args[3] << " " << args.back();
    EXPECT_FALSE(files::exists(pdf));
}

namespace {

// Runs vezolog in a child process whose files may grow to `fileSizeLimit` bytes at most (0:
// no limit), as on a disk that fills up; its pid.
pid_t startVezolog(const cli::Args &args, rlim_t fileSizeLimit)
{
    const pid_t child = ::fork();
    if (child != 0)
        return child;
    if (fileSizeLimit > 0) {
        const rlimit limit{fileSizeLimit, fileSizeLimit};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::signal(SIGXFSZ, SIG_IGN); // the write fails with EFBIG instead
    }
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 2);
    std::vector<char *> argv{const_cast<char *>(VEZOLOG), const_cast<char *>("print")};
    for (const std::string &a : args)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(VEZOLOG, argv.data());
    ::_exit(127);
}

int pendingCount(const std::string &log, std::int32_t records)
{
    int n = 0;
    for (std::int32_t i = 1; i <= records; ++i) {
        log::QsoRecord r;
        log::readRecord(log, i, r);
        n += r.qslPending() ? 1 : 0;
    }
    return n;
}

} // namespace

// The flags change only once the PDF is complete in its place: a disk that fills up leaves them
// and the settings file as they were (the numbers taken are given back), a run killed half-way
// leaves the flags and a gap in the card numbers.
TEST(PrintCommand, FullDiskAndKilledRunLeaveFlagsAndNumberAsBefore)
{
    PrintCommandFixture f;
    const std::string log = f.dir.file("JA1ABC.DAT");
    constexpr std::int32_t kRecords = 600;
    for (std::int32_t n = 4; n <= kRecords; ++n) {
        log::QsoRecord r;
        r.setField(log::Field::Callsign, "JA1AAA");
        r.setField(log::Field::Frequency, "7.050");
        r.setQslFlag(true);
        ASSERT_EQ(log::appendRecord(log, n, r), log::IoResult::Ok);
    }
    f.dir.write("JA1ABC.ini", "[x]\r\n");
    const std::string before = f.dir.read("JA1ABC.DAT");
    const std::string pdf = f.dir.path() + "/cards.pdf";
    const cli::Args run{"postcard", f.dir.dataDir(), "JA1ABC", "--unissued", "--pdf", pdf};

    // A disk with room for 64 KiB more: the PDF cannot be completed.
    int status = 0;
    ::waitpid(startVezolog(run, 64 * 1024), &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_FALSE(std::filesystem::exists(pdf));
    EXPECT_EQ(f.dir.read("JA1ABC.DAT"), before);
    EXPECT_EQ(f.dir.read("JA1ABC.ini"), "[x]\r\n");
    for (const auto &entry : std::filesystem::directory_iterator(f.dir.path()))
        EXPECT_EQ(entry.path().filename().string().find("cards.pdf"), std::string::npos)
            << entry.path();

    // Killed while drawing: as soon as the temporary PDF is there.
    const pid_t child = startVezolog(run, 0);
    bool drawing = false;
    for (int i = 0; i < 60000 && !drawing; ++i) {
        for (const auto &entry : std::filesystem::directory_iterator(f.dir.path()))
            drawing = drawing || entry.path().filename().string().rfind("cards.pdf.tmp", 0) == 0;
        if (!drawing)
            std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(drawing);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the run ended before it could be killed";
    EXPECT_FALSE(std::filesystem::exists(pdf));
    EXPECT_EQ(pendingCount(log, kRecords), kRecords - 1);
    // Its numbers were taken before drawing: they stay unused, never given twice.
    EXPECT_EQ(app::readUserSettings(f.dir.file("JA1ABC.ini")).settings.cardNo,
              std::to_string(kRecords));

    // The same run to its end: every card is issued and numbered once, after the gap.
    ::waitpid(startVezolog(run, 0), &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(pendingCount(log, kRecords), 0);
    EXPECT_EQ(app::readUserSettings(f.dir.file("JA1ABC.ini")).settings.cardNo,
              std::to_string(2 * kRecords - 1));
}

// A card number beyond seven digits, or a settings file that cannot be read, prints nothing.
TEST(PrintCommand, CardNumberOutOfRangeAndUnreadableSettingsExitOne)
{
    for (const char *cardNo : {"9223372036854775807", "10000000", "-3"}) {
        PrintCommandFixture f;
        const std::string ini =
            "[" + test::sj("個人情報") + "]\r\n" + test::sj("カードＮｏ") + "=" + cardNo + "\r\n";
        f.dir.write("JA1ABC.ini", ini);
        const std::string log = f.dir.read("JA1ABC.DAT");
        const std::string pdf = f.dir.path() + "/cards.pdf";
        std::string err;
        EXPECT_EQ(f.run({"postcard", f.dir.dataDir(), "JA1ABC", "--unissued", "--pdf", pdf}, &err),
                  1)
            << cardNo;
        EXPECT_NE(err.find(cardNo), std::string::npos) << err;
        EXPECT_FALSE(files::exists(pdf));
        EXPECT_EQ(f.dir.read("JA1ABC.DAT"), log);
        EXPECT_EQ(f.dir.read("JA1ABC.ini"), ini);
    }
    PrintCommandFixture f;
    std::filesystem::create_directory(f.dir.file("JA1ABC.ini"));
    const std::string pdf = f.dir.path() + "/cards.pdf";
    EXPECT_EQ(f.run({"postcard", f.dir.dataDir(), "JA1ABC", "--unissued", "--pdf", pdf}), 1);
    EXPECT_FALSE(files::exists(pdf));
}

namespace {

// The names in `folder`, apart from the data folder.
std::vector<std::string> namesBeside(const std::string &folder)
{
    std::vector<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(folder))
        if (entry.path().filename() != "Data")
            names.push_back(entry.path().filename().string());
    return names;
}

} // namespace

// A PDF job ends its painter before its device goes, whichever way it ends: dropped half-way,
// abandoned and begun again, or ended. Until the end neither the file nor a temporary stays.
TEST(PdfFileJob, EndsThePainterBeforeTheDeviceGoes)
{
    if (!QGuiApplication::instance()) { // the print command may have made one already
        static int argc = 1;
        static char name[] = "tst_print_command";
        static char *argv[] = {name, nullptr};
        static QGuiApplication app(argc, argv);
    }
    test::TempDir dir;
    const std::string pdf = dir.path() + "/cards.pdf";
    {
        const auto dropped = print::makePdfFileJob(pdf, 300, false);
        ASSERT_TRUE(dropped->begin()) << dropped->errorText();
        dropped->canvas().drawLine(0, 0, 100, 100);
        ASSERT_TRUE(dropped->newPage());
        dropped->canvas().drawText(10, 10, "JA1ABC");
    }
    EXPECT_EQ(namesBeside(dir.path()), std::vector<std::string>{});

    const auto job = print::makePdfFileJob(pdf, 300, true);
    ASSERT_TRUE(job->begin()) << job->errorText();
    job->canvas().drawText(10, 10, "JA1ABC");
    job->abandon();
    EXPECT_EQ(namesBeside(dir.path()), std::vector<std::string>{});
    ASSERT_TRUE(job->begin()) << job->errorText();
    job->canvas().drawText(10, 10, "JA1ABC");
    ASSERT_TRUE(job->end()) << job->errorText();
    EXPECT_EQ(namesBeside(dir.path()), std::vector<std::string>{"cards.pdf"});
    EXPECT_EQ(dir.read("../cards.pdf").substr(0, 5), "%PDF-");

    const auto nowhere = print::makePdfFileJob(dir.path() + "/no/such/folder/x.pdf", 300, false);
    EXPECT_FALSE(nowhere->begin());
    EXPECT_NE(nowhere->errorText().find("x.pdf"), std::string::npos) << nowhere->errorText();
}
