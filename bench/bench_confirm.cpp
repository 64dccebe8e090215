// SPDX-License-Identifier: GPL-3.0-or-later
// LoTW confirmations laid on a log: 100,000 confirmations (a LoTW report made from the log's own
// contacts, one in ten changed so that it is found nowhere) matched against a 1,000,000-contact
// log, against one plain read of both files (each read whole, as bench_adif reads them); goal
// <= 2. The matching is measured as a dry run
// (everything but the writes); the run that writes the marks and flushes the log is printed
// beside it, each run on a fresh copy of the log.
#include "synthetic_log.h"

#include "adif/adif_export.h"
#include "common/file_io.h"
#include "common/progress.h"
#include "log/prefix_table.h"
#include "log/qso_record.h"
#include "lotw/confirmation_matching.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

namespace {

constexpr std::int32_t kLogRecords = 1000000;
constexpr std::int32_t kConfirmations = 100000;

double seconds(const std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The report LoTW would send for every tenth contact of the log.
std::string lotwReport(const std::string &logPath, const vz::log::PrefixTable &table)
{
    const auto log = vz::files::readAll(logPath);
    std::string out = "ARRL Logbook of the World Status Report\n<PROGRAMID:4>LoTW\n<EOH>\n";
    if (!log)
        return out;
    vz::adif::ExportOptions options;
    vz::adif::RecordFields fields;
    vz::log::QsoRecord record;
    const auto add = [&](std::string_view name, std::string_view value) {
        out +=
            "<" + std::string(name) + ":" + std::to_string(value.size()) + ">" + std::string(value);
    };
    std::int32_t made = 0;
    const std::size_t count = log->size() / vz::log::kRecordSize;
    for (std::size_t n = 0; n < count && made < kConfirmations; n += 10) {
        std::copy_n(log->data() + n * vz::log::kRecordSize, vz::log::kRecordSize,
                    record.bytes.data());
        if (record.isDeleted())
            continue;
        vz::adif::fieldsOfRecord(record, table, options, fields);
        if (fields.unreadable)
            continue;
        ++made;
        add("APP_LoTW_OWNCALL", "JA1ZZZ");
        for (const char *name : {"CALL", "BAND", "MODE", "SUBMODE", "QSO_DATE", "TIME_ON"}) {
            auto value = fields.fields.find(name);
            // One in ten is of a band the log does not have.
            if (made % 10 == 0 && std::string_view(name) == "BAND")
                value = "2190m";
            if (value)
                add(name, *value);
        }
        add("APP_LoTW_MODEGROUP", "DATA");
        add("QSL_RCVD", "Y");
        out += "<EOR>\n";
    }
    return out;
}

} // namespace

int main()
{
    const std::string dir = vz::bench::benchDataDir(kLogRecords);
    const std::string log = dir + "BENCH.DAT";
    const std::string work = dir + "CONFIRM.DAT";
    const std::string report = dir + "lotwreport.adi";
    vz::log::PrefixTable table(dir + "PreFix.CFG");
    table.refreshIfChanged();
    {
        vz::files::AtomicFileWriter writer(report);
        writer.write(lotwReport(log, table));
        writer.commit();
    }
    std::filesystem::copy_file(log, work, std::filesystem::copy_options::overwrite_existing);

    constexpr int kRuns = 5;
    vz::NoProgress quiet;
    vz::lotw::ConfirmOptions options;
    options.ownCallsign = "JA1ZZZ";
    options.lotwMark = "L";
    options.eqslMark = "E";
    options.dryRun = true;
    double matching = 1e9;
    vz::lotw::ConfirmSummary summary;
    for (int i = 0; i < kRuns; ++i) {
        const auto start = std::chrono::steady_clock::now();
        summary = vz::lotw::applyConfirmations(report, work, table, options, quiet);
        matching = std::min(matching, seconds(start));
    }
    // The plain read as the ADIF benchmark takes it: each file read whole, as the program reads
    // its files; and, beside it, a stream through a small buffer that never leaves the cache.
    double plain = 1e9;
    for (int i = 0; i < kRuns; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const auto a = vz::files::readAll(work);
        const auto b = vz::files::readAll(report);
        plain = std::min(plain, seconds(start));
        if (!a || !b)
            std::printf("cannot read the files\n");
    }
    const double streamed =
        vz::bench::plainReadSeconds(work, kRuns) + vz::bench::plainReadSeconds(report, kRuns);
    std::printf("%lld confirmations (%.1f MB) against %d contacts (%.1f MB): confirmed %lld, "
                "not found %lld\n",
                static_cast<long long>(summary.confirmations),
                static_cast<double>(vz::files::size(report).value_or(0)) / 1e6, kLogRecords,
                static_cast<double>(vz::files::size(work).value_or(0)) / 1e6,
                static_cast<long long>(summary.confirmed),
                static_cast<long long>(summary.notFound));
    std::printf("  matching %.1f ms; plain read of both files %.1f ms; ratio %.2f (goal <= 2)\n",
                matching * 1000, plain * 1000, matching / plain);
    std::printf("  (both files streamed through a 4 MB buffer: %.1f ms, ratio %.2f)\n",
                streamed * 1000, matching / streamed);

    // Where the time goes: the same file against an empty log is the reading of the file alone.
    const std::string empty = dir + "EMPTY.DAT";
    vz::files::AtomicFileWriter(empty).commit();
    double fileAlone = 1e9;
    for (int i = 0; i < kRuns; ++i) {
        const auto start = std::chrono::steady_clock::now();
        vz::lotw::applyConfirmations(report, empty, table, options, quiet);
        fileAlone = std::min(fileAlone, seconds(start));
    }
    std::remove(empty.c_str());
    std::printf("  of which reading the confirmations: %.1f ms\n", fileAlone * 1000);

    options.dryRun = false;
    double applying = 1e9;
    for (int i = 0; i < 3; ++i) {
        std::filesystem::copy_file(log, work, std::filesystem::copy_options::overwrite_existing);
        const auto start = std::chrono::steady_clock::now();
        summary = vz::lotw::applyConfirmations(report, work, table, options, quiet);
        applying = std::min(applying, seconds(start));
    }
    std::printf("  matching and writing %lld marks, flushed: %.1f ms (ratio %.2f)\n",
                static_cast<long long>(summary.newly), applying * 1000, applying / plain);
    std::remove(work.c_str());
    std::remove(report.c_str());
    return 0;
}
