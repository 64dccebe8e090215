// SPDX-License-Identifier: GPL-3.0-or-later
// LoTW's report of confirmations (lotwreport.adi): the request for the confirmations received
// since a date, telling a whole report from LoTW's error page or a body cut off on the way, and
// the date the next request starts from.
#pragma once

#include <string>
#include <string_view>

namespace vz::lotw {

inline constexpr const char *kDefaultReportAddress =
    "https://lotw.arrl.org/lotwuser/lotwreport.adi";

// RFC 3986 percent-encoding: every byte but the unreserved letters, digits and -._~ as %XX.
std::string percentEncoded(std::string_view text);

// The address asking for the confirmations received since `since` ("YYYY-MM-DD" or
// "YYYY-MM-DD HH:MM:SS"; empty: every confirmation), with the login and password. An address
// that carries a query already gets the parameters after an '&'.
std::string reportRequestAddress(std::string_view address, std::string_view user,
                                 std::string_view password, std::string_view since);

enum class ReportKind {
    Report,        // a whole report, ending in <APP_LoTW_EOF>
    CutOff,        // the start of a report without its end marker
    WrongPassword, // LoTW's page for a user name or password it does not know
    NotReport,     // anything else: an error or maintenance page
};

ReportKind reportKind(std::string_view body);

// True for "YYYY-MM-DD" and "YYYY-MM-DD HH:MM:SS" with plausible numbers.
bool isSinceDate(std::string_view text);

// Where the next request starts: the report's APP_LoTW_LASTQSL (when LoTW left it out, the latest
// APP_LoTW_RXQSL of its records), never earlier than `previous`; `previous` when the report
// names no date. LoTW returns confirmations received on or after the date, so the last one
// comes again next time and is counted as already confirmed: nothing between is lost.
std::string nextSinceDate(std::string_view body, std::string_view previous);

// The number of records of a report (<EOR> marks after the header).
long long reportRecordCount(std::string_view body);

// The password travels in the address: only https, or plain http to this machine (tests).
bool isSafeReportAddress(std::string_view address);

// Japanese messages (UTF-8) for a download that gave no report.
std::string reportKindMessage(ReportKind kind);

} // namespace vz::lotw
