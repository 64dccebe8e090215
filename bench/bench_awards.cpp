// SPDX-License-Identifier: GPL-3.0-or-later
// The award progress pass over a 1,000,000-record log (every place of the JCC master, a share
// portable and confirmed) against one plain sequential read of the same file. Goal: ratio
// <= 1.5.
#include "synthetic_log.h"

#include "awards/award_tally.h"
#include "common/progress.h"
#include "log/confirmation_mark.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>

namespace {

constexpr std::int32_t kRecords = 1000000;

// Made once under the temporary folder, beside the other benchmarks' logs.
std::string awardsLog()
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / "vezo-bench-awards";
    fs::create_directories(dir);
    const std::string log = (dir / "AWARDS.DAT").string();
    std::error_code error;
    if (fs::file_size(log, error) != static_cast<std::uintmax_t>(kRecords) * 254) {
        vz::bench::SyntheticLogOptions options;
        options.records = kRecords;
        options.masterPlaces = true;
        if (!vz::bench::writeSyntheticLog(log, options))
            std::fprintf(stderr, "cannot write %s\n", log.c_str());
    }
    return log;
}

double tallySeconds(const std::string &log, vz::awards::AwardTally &tally)
{
    vz::NoProgress quiet;
    const auto start = std::chrono::steady_clock::now();
    vz::awards::tallyAwards(log, vz::log::kDefaultConfirmationMark, quiet, tally);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_PlainRead(benchmark::State &state)
{
    const std::string log = awardsLog();
    for (auto _ : state)
        benchmark::DoNotOptimize(vz::bench::plainReadSeconds(log, 1));
}
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond);

void BM_AwardTally(benchmark::State &state)
{
    const std::string log = awardsLog();
    vz::awards::AwardTally tally;
    for (auto _ : state)
        benchmark::DoNotOptimize(tallySeconds(log, tally));
    state.counters["live"] = static_cast<double>(tally.liveContacts);
}
BENCHMARK(BM_AwardTally)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    // The figure the goal is stated in: best of seven each, in elapsed time and, since a
    // shared machine stretches elapsed time at random, in processor time as well.
    const std::string log = awardsLog();
    const auto cpuNow = [] {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
    };
    double read = 1e9;
    double readCpu = 1e9;
    double pass = 1e9;
    double passCpu = 1e9;
    vz::awards::AwardTally tally;
    for (int i = 0; i < 7; ++i) {
        double cpu = cpuNow();
        read = std::min(read, vz::bench::plainReadSeconds(log, 1));
        readCpu = std::min(readCpu, cpuNow() - cpu);
        cpu = cpuNow();
        pass = std::min(pass, tallySeconds(log, tally));
        passCpu = std::min(passCpu, cpuNow() - cpu);
    }
    std::printf("award progress pass over %d records: %.1f ms; plain read: %.1f ms; "
                "ratio %.2f (goal <= 1.5)\n",
                kRecords, pass * 1000, read * 1000, pass / read);
    std::printf("processor time: pass %.1f ms; plain read %.1f ms; ratio %.2f\n", passCpu * 1000,
                readCpu * 1000, passCpu / readCpu);
    return 0;
}
