// SPDX-License-Identifier: GPL-3.0-or-later
// Writing a log as ADIF: ADI (tagged text) or ADX (XML), one record per live contact, times
// in UTC, and for every text a standard field had to change the record's own text in a field
// of this program, so that reading the file back gives every record byte for byte.
#pragma once

#include "adif/adif_record.h"

#include <array>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vz {
class ProgressSink;
}

namespace vz::log {
class PrefixTable;
}

namespace vz::adif {

enum class Format { Adi, Adx };
// How non-ASCII texts go into an ADI file: left out (ADIF's own rule), or in UTF-8 or
// Shift_JIS with lengths counted in bytes, as Japanese logging programs read them.
// Windows1252 is read only: what Western programs write, taken when a file is neither UTF-8 nor
// Shift_JIS.
enum class Charset { Ascii, Utf8, ShiftJis, Windows1252 };

std::optional<Charset> charsetNamed(std::string_view name); // "ascii", "utf-8", "shift_jis"
std::string_view charsetName(Charset charset);
// ".adx" (any case) is ADX, everything else ADI.
Format formatForPath(std::string_view path);

struct ExportOptions
{
    Format format = Format::Adi;
    Charset charset = Charset::Ascii; // ADI only: ADX is always UTF-8
    std::int32_t from = 1;
    std::int32_t to = std::numeric_limits<std::int32_t>::max();
    std::string stationCallsign;
    std::string ownJcc; // the fixed JCC, or the mobile one while operating mobile
    // Contacts whose user mark holds it get QSL_RCVD "Y" (Shift_JIS; empty: none do), and the
    // same for LOTW_QSL_RCVD and EQSL_QSL_RCVD.
    std::string confirmationMark;
    std::string lotwMark;
    std::string eqslMark;
    int currentYear = 2000;       // no longer read: two-digit years fall in 1950-2049
    std::string createdTimestamp; // "YYYYMMDD HHMMSS", UTC
    std::string programVersion;
    // Decide this program's own fields by converting every record back, not only those whose
    // callsign fields would not come back as they are: slower, the same file (the tests
    // compare the two).
    bool convertEveryRecordBack = false;
    // When set, only the records it keeps (by number) are written: a LoTW upload writes the
    // contacts not yet sent. Called from two threads at once, so it only reads.
    std::function<bool(std::int32_t)> onlyRecords;
};

enum class ExportResult {
    Ok,
    LogUnreadable,
    WriteFailed, // the output file could not be written; nothing was put in its place
    // Refused before anything was read or written:
    OutputInDataFolder, // the output lies in the data folder, where the log itself is
    OutputNotRegular,   // the output is an existing folder, device, FIFO or socket
};

// Whether a file may be written as the ADIF output of the log at `logPath`: never into the log's
// data folder (links followed, names compared without letter case) and never over anything but
// a regular file. Ok when it may. The command line and the window ask before exportAdif.
ExportResult checkExportOutput(const std::string &logPath, const std::string &outPath);

struct ExportSummary
{
    ExportResult result = ExportResult::Ok;
    std::int64_t exported = 0;
    std::int64_t deleted = 0;
    // Records left out because their date or time cannot be read, with the reason.
    std::vector<std::pair<std::int32_t, std::string>> unreadable;
    // Texts an ASCII file cannot carry, and the records that had them.
    std::int64_t textsLeftOut = 0;
    std::vector<std::int32_t> leftOutRecords;
    // Frequencies that name no band and lie in none: written with neither FREQ nor BAND.
    std::vector<std::pair<std::int32_t, std::string>> noBand;
    // Modes ADIF has no mode for: written without MODE.
    std::vector<std::pair<std::int32_t, std::string>> noMode;
};

// The standard and own fields of one log record, or the reason it cannot be written.
struct RecordFields
{
    AdifRecord fields;
    std::optional<std::string> unreadable;
    int leftOut = 0;
    bool noBand = false; // the frequency named no band and lay in none
    bool noMode = false; // the mode has no ADIF mode
    // Texts made for this record, which its fields borrow.
    std::string radioCall;
    std::array<char, 12> onText{}; // "YYYYMMDDHHMM"
    std::array<char, 12> offText{};
    std::string qslFlag;
};
// Fills `out` (cleared first; reusing one keeps its buffers from record to record). The values
// are views of `record`, of `out` and of conversions this thread keeps: they hold until the
// next call on this thread, and while `record` lives.
void fieldsOfRecord(const QsoRecord &record, const PrefixTable &table, const ExportOptions &options,
                    RecordFields &out);

// Writes records [from, to] of `logPath` to `outPath` (replaced only when complete).
ExportSummary exportAdif(const std::string &logPath, const std::string &outPath,
                         const PrefixTable &table, const ExportOptions &options,
                         ProgressSink &progress);

} // namespace vz::adif
