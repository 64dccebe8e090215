// SPDX-License-Identifier: GPL-3.0-or-later
// ADIF exchange of a 100,000-record log. Export (ADI in Shift_JIS, and ADX) against reading the
// log and writing the same number of bytes plainly, goal <= 3; import of the exported file into
// an empty log against reading that file and writing the log's bytes plainly, goal <= 4. Both
// sides write through the same temporary-file-and-rename path. The files written go to
// /dev/shm when there is one: flushing to a disk varies by hundreds of milliseconds from run to
// run and would hide what the conversion costs.
#include "synthetic_log.h"

#include "common/data_dir.h"
#include "common/progress.h"
#include "log/adif_import.h"
#include "log/prefix_table.h"

#include <cstdio>
#include <ctime>
#include <functional>
#include <string>

namespace {

constexpr std::int32_t kRecords = 100000;

// Processor time of the process, best of `runs`: the machine is shared, and wall time would
// measure the other jobs as much as this one.
double bestOf(int runs, const std::function<void()> &work)
{
    auto cpu = [] {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
    };
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        const double start = cpu();
        work();
        best = std::min(best, cpu() - start);
    }
    return best;
}

// Reads `from` whole and writes `bytes` bytes to `to` the way the export does.
void plainReadWrite(const std::string &from, const std::string &to, std::uint64_t bytes)
{
    const auto data = vz::files::readAll(from);
    const std::string out(bytes, 'x');
    vz::files::AtomicFileWriter writer(to);
    writer.write(out);
    writer.commit();
    if (!data)
        std::printf("cannot read %s\n", from.c_str());
}

} // namespace

int main()
{
    using namespace vz::log::adif;
    const std::string source = vz::bench::benchDataDir(kRecords);
    const std::string log = source + "BENCH.DAT";
    const std::string dir = vz::files::exists("/dev/shm") ? "/dev/shm/vezo-bench-adif-" : source;
    vz::log::PrefixTable table(source + "PreFix.CFG");
    table.refreshIfChanged();
    vz::NoProgress quiet;
    ExportOptions options;
    options.stationCallsign = "JA1ZZZ";
    options.ownJcc = "100110";
    options.currentYear = 2026;
    options.createdTimestamp = "20261208 000000";
    options.programVersion = "bench";

    for (const auto &[name, format, charset] :
         {std::tuple{"adi shift_jis", Format::Adi, Charset::ShiftJis},
          std::tuple{"adx", Format::Adx, Charset::Utf8}}) {
        options.format = format;
        options.charset = charset;
        const std::string out = dir + (format == Format::Adx ? "bench.adx" : "bench.adi");
        ExportSummary summary;
        const double exportSeconds =
            bestOf(5, [&] { summary = exportAdif(log, out, table, options, quiet); });
        const std::uint64_t bytes = vz::files::size(out).value_or(0);
        const double plain = bestOf(5, [&] { plainReadWrite(log, dir + "plain.out", bytes); });
        std::printf("export %s: %lld records, %.1f MB in %.1f ms; plain read + write of the same "
                    "bytes %.1f ms; ratio %.2f (goal <= 3)\n",
                    name, static_cast<long long>(summary.exported), bytes / 1e6,
                    exportSeconds * 1000, plain * 1000, exportSeconds / plain);

        const std::string target = dir + "IMPORT.DAT";
        ImportSummary imported;
        const double importSeconds = bestOf(5, [&] {
            std::remove(target.c_str());
            vz::files::createEmptyIfMissing(target);
            imported = importAdif(out, target, 1, table, {}, quiet);
        });
        const std::uint64_t logBytes = vz::files::size(target).value_or(0);
        const double plainImport =
            bestOf(5, [&] { plainReadWrite(out, dir + "plain.out", logBytes); });
        std::printf("import %s into an empty log: %lld records in %.1f ms; plain read + write "
                    "%.1f ms; ratio %.2f (goal <= 4)\n",
                    name, static_cast<long long>(imported.imported), importSeconds * 1000,
                    plainImport * 1000, importSeconds / plainImport);
    }
    for (const char *name : {"bench.adi", "bench.adx", "plain.out", "IMPORT.DAT"})
        std::remove((dir + name).c_str());
    return 0;
}
