// SPDX-License-Identifier: GPL-3.0-or-later
// What the main window's 500 ms timer costs: both clock faces and their four lines drawn and
// painted on every tick, and, at midnight or on a move, the month strip with its day
// information line read from an event file of 200 events. The goal for a tick that does both
// is under 2 ms.
#include "calendar/event_file.h"
#include "calendar/month_strip.h"
#include "calendar/ui/calendar_strip.h"
#include "calendar/ui/clock_panel.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct Window
{
    QWidget top;
    vz::ui::CalendarStrip *strip = new vz::ui::CalendarStrip(&top);
    vz::ui::ClockPanel *clocks = new vz::ui::ClockPanel(&top);
    std::string eventPath;
    int second = 0;

    Window()
    {
        top.resize(787, 121);
        strip->move(4, 74);
        clocks->move(632, 2);
        char dir[] = "/tmp/vezo-bench-calendar-XXXXXX";
        eventPath = std::string(::mkdtemp(dir)) + "/BENCH.pln";
        for (int i = 0; i < 200; ++i) {
            char key[16];
            std::snprintf(key, sizeof key, "0000/%02d/%02d", i % 12 + 1, i % 28 + 1);
            vz::calendar::appendEvent(eventPath, key, "event text of a realistic length");
        }
        top.show();
        QApplication::processEvents();
    }
    ~Window()
    {
        std::remove(eventPath.c_str());
        ::rmdir(eventPath.substr(0, eventPath.rfind('/')).c_str());
    }

    void tick()
    {
        ++second;
        const vz::calendar::DateTimeParts local{2026, 12, 6, 9, (second / 60) % 60, second % 60, 0};
        vz::calendar::DateTimeParts utc = local;
        utc.hour = 0;
        clocks->showTime({local, utc});
        clocks->repaint();
    }
    void drawCalendar()
    {
        const vz::calendar::MonthStrip month = vz::calendar::monthStrip({2026, 1 + second % 12, 6});
        std::string line;
        vz::calendar::dayInfoLine(month, eventPath, line);
        strip->showMonth(month, QString::fromStdString(line));
        strip->repaint();
    }
};

Window *g_window = nullptr;

double threadMilliseconds()
{
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

void BM_ClockTick(benchmark::State &state)
{
    for (auto _ : state)
        g_window->tick();
}
BENCHMARK(BM_ClockTick)->Unit(benchmark::kMicrosecond);

void BM_DrawCalendar(benchmark::State &state)
{
    for (auto _ : state)
        g_window->drawCalendar();
}
BENCHMARK(BM_DrawCalendar)->Unit(benchmark::kMicrosecond);

void BM_MidnightTick(benchmark::State &state)
{
    for (auto _ : state) {
        g_window->tick();
        g_window->drawCalendar();
    }
}
BENCHMARK(BM_MidnightTick)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Window window;
    g_window = &window;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    // The figures the goal is stated in: 1000 ticks that draw both, each timed on its own,
    // by the wall clock and by the processor time of the thread (which leaves out the time
    // other programs on a busy machine take the processor away).
    std::vector<double> wall;
    std::vector<double> cpu;
    for (int i = 0; i < 1000; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = threadMilliseconds();
        window.tick();
        window.drawCalendar();
        cpu.push_back(threadMilliseconds() - cpuStart);
        wall.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    for (auto *figures : {&wall, &cpu}) {
        std::sort(figures->begin(), figures->end());
        std::printf("tick drawing clocks and calendar, %s: median %.3f ms, 99th percentile "
                    "%.3f ms, slowest %.3f ms (goal: under 2 ms)\n",
                    figures == &wall ? "wall clock" : "thread time", (*figures)[500],
                    (*figures)[990], figures->back());
    }
    g_window = nullptr;
    return 0;
}
