// SPDX-License-Identifier: GPL-3.0-or-later
#include "wsjtx/contact_registration.h"

#include "adif/kept_fields.h"
#include "common/progress.h"
#include "log/log_file.h"

namespace vz::wsjtx {

namespace {

std::string folderOf(const std::string &path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

} // namespace

RegistrationResult registerContact(const ReadyContact &contact, const std::string &logPath,
                                   const log::PrefixTable &table,
                                   const adif::ImportOptions &options)
{
    RegistrationResult out;
    // The same mapping, duplicate rule and locked append as an ADIF file's contacts.
    NoProgress progress;
    const std::int32_t next = log::recordCount(logPath) + 1;
    const adif::ImportSummary summary =
        adif::importAdifText(contact.adif, logPath, next, table, options, progress);
    if (summary.result != adif::ImportResult::Ok) {
        out.reason = summary.result == adif::ImportResult::NoRecord ? "ADIF の記録がありません"
                     : summary.result == adif::ImportResult::LogBusy
                         ? "ほかのプログラムがログを使用中です"
                         : "ログに書き込めません";
        if (summary.result == adif::ImportResult::NoRecord)
            out.outcome = Registration::Refused;
        return out;
    }
    if (!summary.refused.empty()) {
        out.outcome = Registration::Refused;
        out.reason = summary.refused.front().what;
        return out;
    }
    if (summary.duplicates > 0) {
        out.outcome = Registration::Duplicate;
        return out;
    }
    if (summary.imported != 1 || summary.areas.empty()) {
        out.reason = "ログに書き込めません";
        return out;
    }
    out.outcome = Registration::Registered;
    out.recordNo = summary.firstRecordNo;
    out.area = summary.areas.front();
    for (const adif::ImportIssue &change : summary.changed)
        out.reason += (out.reason.empty() ? "" : ", ") + change.what;
    if (!options.ownCallsign.empty() &&
        !adif::keepFields(adif::keptFieldsPath(logPath, options.ownCallsign), contact.adif))
        out.reason += std::string(out.reason.empty() ? "" : ", ") + "グリッド等を " +
                      adif::keptFieldsPath(logPath, options.ownCallsign) + " に保存できません";
    return out;
}

std::string unloggedPath(const std::string &logPath, const std::string &userCallsign)
{
    return folderOf(logPath) + '/' + userCallsign + ".wsjtx-unlogged.adi";
}

bool keepUnlogged(const std::string &path, const ReadyContact &contact)
{
    return adif::appendAdiUnderLock(path,
                                    "Contacts heard from WSJT-X that could not be logged\n"
                                    "<ADIF_VER:5>3.1.4 <PROGRAMID:8>VEZODovi <EOH>\n",
                                    contact.adif);
}

std::string registrationLine(const ReadyContact &contact, const RegistrationResult &result)
{
    switch (result.outcome) {
    case Registration::Registered:
        return contact.callsign + " を No." + std::to_string(result.recordNo) + " に登録しました" +
               (result.reason.empty() ? "" : " (" + result.reason + ")");
    case Registration::Duplicate:
        return contact.callsign + " は登録済みです";
    case Registration::Refused:
        return contact.callsign + " を登録できません: " + result.reason;
    case Registration::WriteFailed:
        break;
    }
    return contact.callsign + " を登録できません: " + result.reason;
}

} // namespace vz::wsjtx
