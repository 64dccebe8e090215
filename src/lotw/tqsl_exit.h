// SPDX-License-Identifier: GPL-3.0-or-later
// What a run of TQSL came to, from its exit status and its last lines, and the message the
// operator reads about it (UTF-8).
#pragma once

#include <string>
#include <string_view>

namespace vz::lotw {

enum class TqslOutcome {
    Done,             // 0: every contact signed and sent (or written)
    NothingNew,       // 8: every contact was a duplicate or outside the certificate's dates
    SomeNew,          // 9: some were sent, the others duplicates or outside those dates
    NoSignature,      // 8 or 9 while TQSL says it aborted signing: no usable certificate
    Refused,          // 2: LoTW refused the upload
    NoConnection,     // 11: LoTW could not be reached
    SyntaxOrLocation, // 10: a command TQSL did not take, or a station location it does not have
    OtherError,       // any other status: TQSL's own error
    TimedOut,         // still running at the time limit, and stopped
    NotInstalled,     // no tqsl program to run
    NotStarted,       // tqsl is there but could not be started
};

struct TqslRun
{
    bool started = false;
    bool notFound = false;
    bool timedOut = false;
    int exitStatus = -1; // -1 when killed by a signal or not run
    std::string output;  // standard output and error together
};

TqslOutcome outcomeOf(const TqslRun &run);

// Whether the contacts given to TQSL count as sent: TQSL has them now (done, or duplicates of
// what it signed before).
inline bool marksSent(TqslOutcome outcome)
{
    return outcome == TqslOutcome::Done || outcome == TqslOutcome::NothingNew ||
           outcome == TqslOutcome::SomeNew;
}

struct MessageDetails
{
    std::string location;     // the station location TQSL was given
    long long contacts = 0;   // contacts in the file given to TQSL
    int timeLimitSeconds = 0; // for TimedOut
    int exitStatus = -1;      // for OtherError
    std::string signedFile;   // when signing to a file instead of uploading
};

// The message for an outcome, without TQSL's own lines.
std::string outcomeMessage(TqslOutcome outcome, const MessageDetails &details);

// The last `count` non-blank lines of TQSL's output, for showing under the message.
std::string lastLines(std::string_view output, int count = 5);

// How to install TQSL on Debian, for the message when it is missing.
inline constexpr const char *kInstallHint = "sudo apt install trustedqsl";

} // namespace vz::lotw
