// SPDX-License-Identifier: GPL-3.0-or-later
// vezolog awards: the progress towards the city (JCC), ward and district (JCG) awards, per
// prefecture or, with --prefecture, per place; UTF-8, tab-separated.
#include "cli/commands.h"

#include "app/user_settings.h"
#include "awards/award_table.h"
#include "common/data_dir.h"
#include "common/progress.h"
#include "common/sjis.h"
#include "common/whole_number.h"

#include <optional>
#include <ostream>

namespace vz::cli {

namespace {

constexpr const char *kAwardsUsage =
    "usage: vezolog awards DATADIR CALLSIGN [--ward | --jcg] [--prefecture NN]\n"
    "                      [--confirmed-by card[,lotw][,eqsl]]\n"
    "       --confirmed-by: the confirmations counted, any of card, lotw and eqsl (card alone\n"
    "       unless given)\n";

// "card,lotw,eqsl", any non-empty choice of the three, each once.
std::optional<log::ConfirmedBy> parseConfirmedBy(const std::string &text)
{
    log::ConfirmedBy by{.card = false, .lotw = false, .eqsl = false};
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(',', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string_view name(text.data() + start, end - start);
        bool *choice = name == "card"   ? &by.card
                       : name == "lotw" ? &by.lotw
                       : name == "eqsl" ? &by.eqsl
                                        : nullptr;
        if (!choice || *choice)
            return std::nullopt;
        *choice = true;
        start = end + 1;
    }
    return by;
}

// 01 to 47, as the award table numbers them.
std::optional<int> parsePrefecture(const std::string &text)
{
    if (text.size() > 2)
        return std::nullopt;
    const auto value = parseWholeNumber(text, 1, awards::kPrefectureCount);
    if (!value)
        return std::nullopt;
    return static_cast<int>(*value);
}

std::string twoDigits(int n)
{
    return {static_cast<char>('0' + n / 10), static_cast<char>('0' + n % 10)};
}

} // namespace

const char *awardsUsage()
{
    return kAwardsUsage;
}

int runAwards(const Args &args, std::ostream &out, std::ostream &err)
{
    if (args.size() < 2) {
        err << kAwardsUsage;
        return 2;
    }
    std::optional<awards::AwardKind> kind;
    std::optional<int> prefecture;
    std::optional<log::ConfirmedBy> confirmedBy;
    for (std::size_t i = 2; i < args.size(); ++i) {
        const std::string &a = args[i];
        if ((a == "--ward" || a == "--jcg") && !kind) {
            kind = a == "--ward" ? awards::AwardKind::Ward : awards::AwardKind::District;
        } else if (a == "--prefecture" && !prefecture && i + 1 < args.size()) {
            prefecture = parsePrefecture(args[++i]);
            if (!prefecture) {
                err << "vezolog: not a prefecture number (01 to 47): " << args[i] << "\n";
                return 2;
            }
        } else if (a == "--confirmed-by" && !confirmedBy && i + 1 < args.size()) {
            confirmedBy = parseConfirmedBy(args[++i]);
            if (!confirmedBy) {
                err << "vezolog: --confirmed-by takes card, lotw and eqsl, separated by commas: "
                    << args[i] << "\n";
                return 2;
            }
        } else {
            err << kAwardsUsage;
            return 2;
        }
    }
    app::AppState user;
    if (const int status = enterCommand(needsOf("awards"), args[0], args[1], user, err))
        return status;
    awards::AwardTally tally;
    NoProgress quiet;
    const std::vector<std::string> marks =
        app::confirmationMarks(user.settings, confirmedBy.value_or(log::ConfirmedBy{}));
    if (awards::tallyAwards(user.logPath, marks, quiet, tally) != awards::TallyResult::Ok) {
        err << "vezolog: cannot read " << user.logPath << "\n";
        return 1;
    }
    const awards::AwardTable table = awards::buildAwardTable(
        kind.value_or(awards::AwardKind::City), tally, awards::loadMasterPlaces(user.dataDir));
    if (prefecture) {
        for (const awards::AwardPlace &place : table.row(*prefecture).places) {
            out << place.code << '\t'
                << (place.inMaster ? sjis::toUtf8(place.name) : std::string("マスタに無し")) << '\t'
                << (place.tally.worked() ? 1 : 0) << '\t' << (place.tally.confirmed() ? 1 : 0)
                << '\t' << place.tally.firstRecord << '\n';
        }
        return 0;
    }
    for (const awards::PrefectureRow &row : table.rows)
        out << twoDigits(row.prefecture) << '\t' << awards::prefectureName(row.prefecture) << '\t'
            << row.worked << '\t' << row.confirmed << '\t' << row.total << '\n';
    out << "total\t\t" << table.worked << '\t' << table.confirmed << '\t' << table.total << '\n';
    out << "not counted\t\t" << tally.notCounted << '\n';
    return 0;
}

} // namespace vz::cli
