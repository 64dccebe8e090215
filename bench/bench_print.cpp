// SPDX-License-Identifier: GPL-3.0-or-later
// Printing 1,000 postcards to PDF with vezolog print, beside writing the same 1,000 PDF pages
// empty. Goal: the cards in under 10 s.
#include "synthetic_log.h"

#include "cards/qt_card_canvas.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

namespace {

constexpr int kCards = 1000;

double seconds(const std::function<void()> &work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const std::string dataDir = vz::bench::benchDataDir(kCards);
    const std::string out = std::filesystem::temp_directory_path().string() + "/vezo-bench-print";
    std::filesystem::create_directories(out);

    double empty = 1e9;
    double cards = 1e9;
    int status = 0;
    for (int round = 0; round < 3; ++round) {
        empty = std::min(empty, seconds([&] {
                             const auto pdf = vz::print::makeCardPdf(
                                 QString::fromStdString(out + "/empty.pdf"), 600, false);
                             QPainter painter(pdf.get());
                             for (int i = 1; i < kCards; ++i)
                                 pdf->newPage();
                         }));
        const std::string command = std::string(VEZOLOG) + " print postcard " + dataDir +
                                    " BENCH --from 1 --to " + std::to_string(kCards) + " --pdf " +
                                    out + "/cards.pdf 2>/dev/null";
        cards = std::min(cards, seconds([&] { status = std::system(command.c_str()); }));
    }
    std::printf("%d empty PDF pages: %.2f s\n", kCards, empty);
    std::printf("%d postcards with vezolog print (status %d): %.2f s (goal < 10 s), %.1f ms a "
                "card\n",
                kCards, status, cards, cards * 1000 / kCards);
    return 0;
}
