// SPDX-License-Identifier: GPL-3.0-or-later
// The card dialogs' jobs on a real print system: a private CUPS scheduler (scripts/
// cups-test-server) with a cups-pdf queue on a file: device, whose output is compared with the
// page `vezolog print --pdf` draws at the same resolution. Where no scheduler can be started
// the test says so and is skipped.
#include "app/session.h"
#include "app/user_settings.h"
#include "cards/font_setup.h"
#include "cli/commands.h"
#include "log/log_file.h"
#include "print/print_queue.h"
#include "print/ui/commercial_card_dialog.h"
#include "print/ui/postcard_dialog.h"

#include "support/window_fixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <cups/cups.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <sys/wait.h>

using namespace vz;
using namespace vz::ui;

namespace {

constexpr int kDpi = 300;
// 0.3 mm at 300 dots per inch, in whole dots.
constexpr int kTolerance = 3;

// Runs a shell command; its standard output, and its exit status in `status`.
std::string shell(const std::string &command, int *status = nullptr)
{
    std::string out;
    FILE *pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return out;
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, pipe))
        out += buffer;
    const int raw = ::pclose(pipe);
    if (status)
        *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return out;
}

struct Gray
{
    int width = 0;
    int height = 0;
    std::string pixels;
};

// A binary PGM as pdftoppm -gray writes it.
Gray readPgm(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    Gray g;
    std::string magic;
    int maxValue = 0;
    in >> magic >> g.width >> g.height >> maxValue;
    in.get();
    g.pixels.assign(static_cast<std::size_t>(g.width) * static_cast<std::size_t>(g.height), '\0');
    in.read(g.pixels.data(), static_cast<std::streamsize>(g.pixels.size()));
    return g;
}

struct Box
{
    int left = 1 << 30;
    int top = 1 << 30;
    int right = -1;
    int bottom = -1;
};

// The extent of the ink (dark dots) within x in [x0, x1) and y in [y0, y1).
Box inkBox(const Gray &g, int x0 = 0, int x1 = 1 << 30, int y0 = 0, int y1 = 1 << 30)
{
    Box b;
    for (int y = y0; y < std::min(y1, g.height); ++y)
        for (int x = x0; x < std::min(x1, g.width); ++x)
            if (static_cast<unsigned char>(g.pixels[static_cast<std::size_t>(y * g.width + x)]) <
                128) {
                b.left = std::min(b.left, x);
                b.right = std::max(b.right, x);
                b.top = std::min(b.top, y);
                b.bottom = std::max(b.bottom, y);
            }
    return b;
}

// Every page of a PDF at the test resolution.
std::vector<Gray> render(const std::string &pdf)
{
    const std::string prefix = pdf + ".page";
    shell("pdftoppm -r " + std::to_string(kDpi) + " -gray '" + pdf + "' '" + prefix +
          "' 2>/dev/null");
    std::vector<Gray> pages;
    for (int n = 1; std::filesystem::exists(prefix + "-" + std::to_string(n) + ".pgm"); ++n)
        pages.push_back(readPgm(prefix + "-" + std::to_string(n) + ".pgm"));
    return pages;
}

// The page size of the first page in points, as pdfinfo gives it.
std::pair<double, double> pageSizePoints(const std::string &pdf)
{
    std::istringstream info(shell("pdfinfo '" + pdf + "' 2>/dev/null"));
    std::string line;
    double w = 0;
    double h = 0;
    while (std::getline(info, line))
        if (line.rfind("Page size:", 0) == 0)
            std::sscanf(line.c_str(), "Page size: %lf x %lf", &w, &h);
    return {w, h};
}

constexpr double kPointsPerMm = 72 / 25.4;

// The private scheduler, stopped and removed at the end of the test.
struct PrivateScheduler
{
    std::string dir;
    std::string script = std::string(VEZO_SCRIPTS) + "/cups-test-server";
    std::string skipReason;

    PrivateScheduler()
    {
        std::string pattern = std::filesystem::temp_directory_path().string() + "/vezo-cups-XXXXXX";
        if (!::mkdtemp(pattern.data())) {
            skipReason = "no temporary folder for the scheduler";
            return;
        }
        dir = pattern;
        int status = 0;
        const std::string out = shell("'" + script + "' start '" + dir + "' 2>&1", &status);
        if (status != 0) {
            skipReason = out.empty() ? "cups-test-server failed" : out.substr(0, out.find('\n'));
            return;
        }
        ::setenv("CUPS_SERVER", (dir + "/cups.sock").c_str(), 1);
        ::setenv("PRINTER", "vezo", 1);
        cupsSetServer(nullptr); // take the variables just set
    }
    ~PrivateScheduler()
    {
        if (dir.empty())
            return;
        shell("'" + script + "' stop '" + dir + "' 2>&1");
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }
    std::string output() const { return dir + "/out/vezo.out"; }
    // Waits until the queue has no job left and its output is there; the output as PDF. A
    // queue that is not done within a minute fails the test, naming what is still queued.
    std::string finishedPdf(const std::string &name) const
    {
        const auto done = [&] {
            return shell("lpstat -o 2>/dev/null").empty() && std::filesystem::exists(output()) &&
                   std::filesystem::file_size(output()) > 0;
        };
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) {
                ADD_FAILURE() << "the queue did not finish \"" << name
                              << "\" within 60 s; still queued: " << shell("lpstat -o 2>&1");
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        const std::string pdf = dir + "/" + name + ".pdf";
        shell("ps2pdf '" + output() + "' '" + pdf + "' 2>&1");
        std::filesystem::remove(output());
        return pdf;
    }
    void admin(const std::string &arguments) const { shell(arguments + " 2>&1"); }
};

// Two contacts whose cards are pending, card number 5.
struct CupsFixture : test::WindowFixture
{
    CupsFixture()
    {
        dir.installPrefixTable();
        state.currentCall = "JA1ABC";
        app::buildUserPaths(state);
        state.prefixTable.setPath(state.prefixPath);
        std::int32_t n = 1;
        for (const char *call : {"JA1AAA", "JH3BBB"}) {
            log::QsoRecord r;
            r.setField(log::Field::Callsign, call);
            r.setField(log::Field::QsoDate, "25/01/02");
            r.setField(log::Field::StartTime, "12:00");
            r.setField(log::Field::HisRst, "599");
            r.setField(log::Field::Frequency, "7.050");
            r.setField(log::Field::Mode, "CW");
            r.setQslFlag(true);
            log::appendRecord(state.logPath, n++, r);
        }
        state.nextRecordNo = n;
        state.settings.cardNo = "5";
        app::writeCardNumber(state.settingsPath, "5");
    }
    bool pending(std::int32_t n)
    {
        log::QsoRecord r;
        log::readRecord(state.logPath, n, r);
        return r.qslPending();
    }
};

// The reference: the same cards through vezolog print --pdf, on a copy of the data.
std::string referencePdf(const test::TempDir &from, const std::string &name, cli::Args args)
{
    test::TempDir copy;
    for (const char *file : {"JA1ABC.DAT", "JA1ABC.ini", "PreFix.CFG"})
        copy.write(file, from.read(file));
    const std::string pdf = from.path() + "/" + name + ".pdf";
    args.insert(args.begin() + 1, {copy.dataDir(), "JA1ABC"});
    for (const char *a : {"--pdf", pdf.c_str(), "--dpi", "300"})
        args.emplace_back(a);
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(cli::runPrintCommand(args, out, err), 0) << err.str();
    return pdf;
}

void expectSameInk(const std::string &queuePdf, const std::string &referencePdf)
{
    const std::vector<Gray> queue = render(queuePdf);
    const std::vector<Gray> reference = render(referencePdf);
    ASSERT_EQ(queue.size(), reference.size());
    ASSERT_FALSE(queue.empty());
    for (std::size_t i = 0; i < queue.size(); ++i) {
        SCOPED_TRACE("page " + std::to_string(i + 1));
        const Box a = inkBox(queue[i]);
        const Box b = inkBox(reference[i]);
        ASSERT_GE(a.right, 0);
        EXPECT_NEAR(a.left, b.left, kTolerance);
        EXPECT_NEAR(a.top, b.top, kTolerance);
        EXPECT_NEAR(a.right, b.right, kTolerance);
        EXPECT_NEAR(a.bottom, b.bottom, kTolerance);
    }
}

void expectPageMm(const std::string &pdf, double widthMm, double heightMm)
{
    const auto [w, h] = pageSizePoints(pdf);
    EXPECT_NEAR(w, widthMm * kPointsPerMm, 1.0);
    EXPECT_NEAR(h, heightMm * kPointsPerMm, 1.0);
}

} // namespace

TEST(CupsPrinting, CardsLandWhereThePdfPutsThemAndARefusedJobChangesNothing)
{
    PrivateScheduler cups;
    if (!cups.skipReason.empty())
        GTEST_SKIP() << "no private CUPS scheduler here: " << cups.skipReason;
    installFontSubstitutions();
    CupsFixture f;

    // The scale is the queue's default resolution, measured as the main window measures it.
    // The driver description fetched into a temporary file is gone once it was read.
    const std::string temporaries = cups.dir + "/tmp";
    std::filesystem::create_directory(temporaries);
    const std::string oldTmp = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
    ::setenv("TMPDIR", temporaries.c_str(), 1);
    std::string why;
    const std::optional<print::PrintQueue> queue = print::findPrintQueue({}, why);
    oldTmp.empty() ? ::unsetenv("TMPDIR") : ::setenv("TMPDIR", oldTmp.c_str(), 1);
    EXPECT_TRUE(std::filesystem::is_empty(temporaries));
    ASSERT_TRUE(queue) << why;
    EXPECT_EQ(queue->name, "vezo");
    EXPECT_EQ(queue->dotsPerInchX, kDpi);
    // A resolution given in dots per centimetre, to the nearest dot per inch (118 dpcm is
    // 299.72 dpi).
    cups.admin("lpadmin -p vezo -o printer-resolution-default=118dpcm");
    const std::optional<print::PrintQueue> metric = print::findPrintQueue({}, why);
    ASSERT_TRUE(metric) << why;
    EXPECT_EQ(metric->dotsPerInchX, 300);
    EXPECT_EQ(metric->dotsPerInchY, 300);
    cups.admin("lpadmin -p vezo -R printer-resolution-default");
    f.state.printerDotsPerMmX = print::dotsPerMm(queue->dotsPerInchX);
    f.state.printerDotsPerMmY = print::dotsPerMm(queue->dotsPerInchY);

    // A horizontal test card on cards set lying (148 x 100 mm): its rotated box characters
    // have a cell of 110 dots at the queue's resolution.
    cups.admin("lpadmin -p vezo -o PageSize=Custom.148x100mm");
    {
        f.state.dialogModes.prin = 2;
        CommercialCardDialog dialog(f.state, f.services);
        dialog.show();
        QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("testPrintButton")),
                          Qt::LeftButton);
        EXPECT_TRUE(f.messages.texts.isEmpty()) << f.messages.last().toStdString();
        dialog.close();
    }
    const std::string horizontal = cups.finishedPdf("horizontal");
    expectPageMm(horizontal, 148, 100);
    expectSameInk(horizontal, referencePdf(f.dir, "horizontal-ref", {"test"}));
    const std::vector<Gray> lying = render(horizontal);
    ASSERT_FALSE(lying.empty());
    // The first column (17.6 mm to 26.6 mm across) above 8 mm holds the last box character.
    const auto dots = [](double mm) { return static_cast<int>(mm * kDpi / 25.4); };
    const Box column = inkBox(lying[0], dots(17.6), dots(26.6), 0, dots(8) + 1);
    const int glyphHeight = column.right - column.left + 1;
    EXPECT_GE(glyphHeight, 55);  // a capital fills well over half of its 110-dot cell
    EXPECT_LE(glyphHeight, 110); // and never more than the cell

    // Postcards 1-2 on the operator's postcards (100 x 148 mm).
    cups.admin("lpadmin -p vezo -o PageSize=Custom.100x148mm");
    const std::string reference =
        referencePdf(f.dir, "postcards-ref", {"postcard", "--from", "1", "--to", "2"});
    {
        PostcardDialog dialog(f.state, f.services);
        dialog.show();
        auto *from = dialog.findChild<QLineEdit *>(QStringLiteral("fromEdit"));
        from->setFocus();
        QTest::keyClicks(from, "1");
        QTest::keyClicks(dialog.findChild<QLineEdit *>(QStringLiteral("toEdit")), "2");
        QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("printRangeButton")),
                          Qt::LeftButton);
        EXPECT_TRUE(f.messages.texts.isEmpty()) << f.messages.last().toStdString();
        dialog.close();
    }
    EXPECT_EQ(app::readUserSettings(f.state.settingsPath).settings.cardNo, "7");
    EXPECT_FALSE(f.pending(1));
    const std::string postcards = cups.finishedPdf("postcards");
    expectPageMm(postcards, 100, 148);
    expectSameInk(postcards, reference);

    // vezolog print --printer goes through the same job: 0 when the job was accepted.
    const auto printOnQueue = [&](std::string &err) {
        std::ostringstream out;
        std::ostringstream errors;
        const int status = cli::runPrintCommand(
            {"postcard", f.dir.dataDir(), "JA1ABC", "--unissued", "--printer", "vezo"}, out,
            errors);
        err = errors.str();
        return status;
    };
    std::string err;
    EXPECT_EQ(printOnQueue(err), 0) << err;
    EXPECT_NE(err.find("no card"), std::string::npos);
    std::ostringstream ignored;
    EXPECT_EQ(cli::runPrintCommand(
                  {"blank", f.dir.dataDir(), "JA1ABC", "--count", "1", "--printer", "vezo"},
                  ignored, ignored),
              0);
    cups.finishedPdf("blank");

    // A queue that does not accept jobs: an error box naming the printer, nothing changed.
    cups.admin("cupsreject vezo");
    log::QsoRecord first;
    log::readRecord(f.state.logPath, 1, first);
    first.setQslFlag(true);
    log::rewriteRecord(f.state.logPath, 1, first);
    const std::string log = f.dir.read("JA1ABC.DAT");
    const std::string settings = f.dir.read("JA1ABC.ini");
    {
        PostcardDialog dialog(f.state, f.services);
        dialog.show();
        QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("printUnissuedButton")),
                          Qt::LeftButton);
        dialog.close();
    }
    ASSERT_EQ(f.messages.texts.size(), 1);
    EXPECT_EQ(f.messages.captions.value(0), QStringLiteral("エラー"));
    EXPECT_TRUE(f.messages.last().contains(QStringLiteral("vezo")));
    EXPECT_TRUE(f.messages.last().contains(QStringLiteral("not accepting jobs")))
        << f.messages.last().toStdString();
    EXPECT_EQ(f.dir.read("JA1ABC.DAT"), log);
    EXPECT_EQ(f.dir.read("JA1ABC.ini"), settings);
    EXPECT_EQ(f.state.settings.cardNo, "7");
    // The command line: 1, with the print system's words.
    EXPECT_EQ(printOnQueue(err), 1);
    EXPECT_NE(err.find("not accepting jobs"), std::string::npos) << err;
    EXPECT_EQ(f.dir.read("JA1ABC.DAT"), log);
    EXPECT_EQ(f.dir.read("JA1ABC.ini"), settings);
    cups.admin("cupsaccept vezo");
}

// A horizontal card on a queue set to postcards is turned whole onto the upright page; on paper
// it fits neither way nothing starts and nothing changes; a stopped queue keeps the job and
// the operator is told.
TEST(CupsPrinting, HorizontalCardOnPostcardsIsTurnedOrRefusedAndAStoppedQueueIsSaid)
{
    PrivateScheduler cups;
    if (!cups.skipReason.empty())
        GTEST_SKIP() << "no private CUPS scheduler here: " << cups.skipReason;
    installFontSubstitutions();
    CupsFixture f;
    std::string why;
    const std::optional<print::PrintQueue> queue = print::findPrintQueue({}, why);
    ASSERT_TRUE(queue) << why;
    f.state.printerDotsPerMmX = print::dotsPerMm(queue->dotsPerInchX);
    f.state.printerDotsPerMmY = print::dotsPerMm(queue->dotsPerInchY);
    f.state.dialogModes.prin = 2;

    cups.admin("lpadmin -p vezo -o PageSize=Custom.100x148mm");
    {
        CommercialCardDialog dialog(f.state, f.services);
        dialog.show();
        QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("testPrintButton")),
                          Qt::LeftButton);
        EXPECT_TRUE(f.messages.texts.isEmpty()) << f.messages.last().toStdString();
        dialog.close();
    }
    const std::string turned = cups.finishedPdf("turned");
    expectPageMm(turned, 100, 148);
    // The ink of the lying reference, turned a quarter to the left.
    const std::vector<Gray> page = render(turned);
    const std::vector<Gray> lying = render(referencePdf(f.dir, "turned-ref", {"test"}));
    ASSERT_EQ(page.size(), 1u);
    ASSERT_EQ(lying.size(), 1u);
    const Box a = inkBox(page[0]);
    const Box b = inkBox(lying[0]);
    ASSERT_GE(a.right, 0);
    EXPECT_NEAR(a.left, b.top, kTolerance);
    EXPECT_NEAR(a.right, b.bottom, kTolerance);
    EXPECT_NEAR(a.top, lying[0].width - 1 - b.right, kTolerance);
    EXPECT_NEAR(a.bottom, lying[0].width - 1 - b.left, kTolerance);

    // Paper smaller than the card either way: said before printing, nothing changed.
    cups.admin("lpadmin -p vezo -o PageSize=Custom.90x120mm");
    const std::string log = f.dir.read("JA1ABC.DAT");
    const std::string settings = f.dir.read("JA1ABC.ini");
    {
        CommercialCardDialog dialog(f.state, f.services);
        dialog.show();
        auto *from = dialog.findChild<QLineEdit *>(QStringLiteral("fromEdit"));
        from->setFocus();
        QTest::keyClicks(from, "1");
        QTest::keyClicks(dialog.findChild<QLineEdit *>(QStringLiteral("toEdit")), "2");
        QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("printRangeButton")),
                          Qt::LeftButton);
        dialog.close();
    }
    ASSERT_EQ(f.messages.texts.size(), 1);
    EXPECT_TRUE(f.messages.last().contains(QStringLiteral("収まらないので印刷しません")))
        << f.messages.last().toStdString();
    EXPECT_EQ(f.dir.read("JA1ABC.DAT"), log);
    EXPECT_EQ(f.dir.read("JA1ABC.ini"), settings);
    EXPECT_TRUE(shell("lpstat -o 2>/dev/null").empty());

    // A stopped queue takes the batch; the cards wait for it, and the operator hears so.
    cups.admin("lpadmin -p vezo -o PageSize=Custom.100x148mm");
    cups.admin("cupsdisable vezo");
    {
        PostcardDialog dialog(f.state, f.services);
        dialog.show();
        QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("printUnissuedButton")),
                          Qt::LeftButton);
        dialog.close();
    }
    EXPECT_EQ(f.messages.last(),
              QStringLiteral("プリンタ vezo は停止中です。印刷はプリンタが再開されると行われます"));
    EXPECT_EQ(f.messages.captions.last(), QStringLiteral("通知"));
    EXPECT_EQ(f.state.settings.cardNo, "7");
    EXPECT_FALSE(f.pending(1));
    cups.admin("cupsenable vezo");
    cups.finishedPdf("resumed");

    // The printer found at start-up has gone: the message names it.
    f.state.printerName = queue->name;
    cups.admin("lpadmin -x vezo");
    {
        CommercialCardDialog dialog(f.state, f.services);
        dialog.show();
        QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("testPrintButton")),
                          Qt::LeftButton);
        dialog.close();
    }
    EXPECT_TRUE(f.messages.last().contains(QStringLiteral("通常使うプリンタ %1 がありません")
                                               .arg(QString::fromStdString(queue->name))))
        << f.messages.last().toStdString();
}
