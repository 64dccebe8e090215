// SPDX-License-Identifier: GPL-3.0-or-later
#include "lotw/mark_use.h"

#include "common/sjis.h"
#include "log/confirmation_mark.h"

#include <tuple>

namespace vz::lotw {

std::vector<MarkInUse> unusedMarksHeld(const std::string &logPath,
                                       const app::UserSettings &settings)
{
    std::vector<MarkInUse> held;
    for (const auto &[service, mark, inFile] :
         {std::tuple{std::string_view("LoTW"), &settings.lotwMark, settings.lotwMarkInFile},
          std::tuple{std::string_view("eQSL"), &settings.eqslMark, settings.eqslMarkInFile}}) {
        if (inFile)
            continue;
        const auto count = log::contactsHoldingMark(logPath, *mark);
        if (count && *count > 0)
            held.push_back({service, *mark, *count});
    }
    return held;
}

std::string markInUseText(const MarkInUse &use)
{
    return std::string(use.service) + " の確認マーク「" + sjis::toUtf8(use.mark) +
           "」をユーザ設定マークに含む交信がすでに " + std::to_string(use.contacts) +
           " 件あります。これらも確認済みに数えられます";
}

} // namespace vz::lotw
