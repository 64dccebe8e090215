// SPDX-License-Identifier: GPL-3.0-or-later
#include "lotw/report_settings.h"

#include "common/profile_file.h"
#include "lotw/lotw_report.h"

#include <optional>

namespace vz::lotw {

namespace {

constexpr const char *kSection = "LoTW";
constexpr const char *kUser = "User";
constexpr const char *kAddress = "ReportAddress";
constexpr const char *kSince = "QslSince";

} // namespace

ReportSettings readReportSettings(const std::string &settingsPath)
{
    ReportSettings s;
    s.address = kDefaultReportAddress;
    const auto file = ProfileFile::load(settingsPath);
    if (!file)
        return s;
    s.user = file->text(kSection, kUser, "");
    s.address = file->text(kSection, kAddress, kDefaultReportAddress);
    if (s.address.empty())
        s.address = kDefaultReportAddress;
    s.since = file->text(kSection, kSince, "");
    if (!isSinceDate(s.since))
        s.since.clear();
    return s;
}

bool writeReportAccount(const std::string &settingsPath, const std::string &user,
                        const std::string &address)
{
    auto file = ProfileFile::load(settingsPath);
    if (!file)
        return false; // never replace a file that could not be read
    bool changed = false;
    const std::optional<std::string> oldUser = file->value(kSection, kUser);
    if (oldUser.value_or("") != user) {
        file->set(kSection, kUser, user);
        changed = true;
    }
    const std::optional<std::string> oldAddress = file->value(kSection, kAddress);
    const std::string shown =
        oldAddress && !oldAddress->empty() ? *oldAddress : kDefaultReportAddress;
    if (shown != address && (oldAddress || address != kDefaultReportAddress)) {
        file->set(kSection, kAddress, address);
        changed = true;
    }
    return !changed || file->save(settingsPath);
}

bool writeReportSince(const std::string &settingsPath, const std::string &since)
{
    auto file = ProfileFile::load(settingsPath);
    if (!file)
        return false;
    if (file->value(kSection, kSince).value_or("") == since)
        return true;
    file->set(kSection, kSince, since);
    return file->save(settingsPath);
}

} // namespace vz::lotw
