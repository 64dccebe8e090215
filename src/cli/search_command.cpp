// SPDX-License-Identifier: GPL-3.0-or-later
// vezolog search: the item and area searches of the result list, printed as lines of the
// list's twelve columns (UTF-8, tab-separated); the notices the window would show go to
// standard error.
#include "cli/commands.h"

#include "app/session.h"
#include "common/callsign.h"
#include "common/printable.h"
#include "common/progress.h"
#include "common/sjis.h"
#include "common/whole_number.h"
#include "log/area_index.h"
#include "log/prefix_table.h"
#include "log/search.h"

#include <array>
#include <optional>
#include <ostream>

namespace vz::cli {

namespace {

constexpr const char *kUsage =
    "usage: vezolog search DATADIR CALLSIGN (--area N | --item ITEM [KEY]) [--reference CALL]\n"
    "       ITEM: call jcc freq mode date name mark (with KEY), unissued (without)\n";

struct ItemName
{
    const char *name;
    log::SearchItem item;
};

constexpr std::array<ItemName, log::kItemCount> kItems{{
    {"call", log::SearchItem::Callsign},
    {"jcc", log::SearchItem::Jcc},
    {"freq", log::SearchItem::Frequency},
    {"mode", log::SearchItem::Mode},
    {"date", log::SearchItem::Date},
    {"name", log::SearchItem::Name},
    {"mark", log::SearchItem::Mark},
    {"unissued", log::SearchItem::Unissued},
}};

struct Request
{
    std::optional<int> area;
    std::optional<log::SearchItem> item;
    std::string key; // UTF-8 as given
    std::string reference;
};

// Reads the options after DATADIR and CALLSIGN; false on anything it does not understand.
bool parseRequest(const Args &args, Request &request)
{
    for (std::size_t i = 2; i < args.size(); ++i) {
        const std::string &a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--area" && hasValue && !request.area && !request.item) {
            if (const auto area = parseWholeNumber(args[++i], 0, log::kAreaCount - 1))
                request.area = static_cast<int>(*area);
            if (!request.area)
                return false;
        } else if (a == "--item" && hasValue && !request.area && !request.item) {
            const std::string &name = args[++i];
            for (const ItemName &n : kItems)
                if (name == n.name)
                    request.item = n.item;
            if (!request.item)
                return false;
            if (*request.item != log::SearchItem::Unissued) {
                if (i + 1 >= args.size() || args[i + 1].empty())
                    return false;
                request.key = args[++i];
            }
        } else if (a == "--reference" && hasValue && request.reference.empty()) {
            request.reference = args[++i];
        } else {
            return false;
        }
    }
    return request.area || request.item;
}

// Prints each row as one line and each pass's outcome on the error stream.
class PrintingObserver final : public log::SearchObserver
{
public:
    PrintingObserver(std::ostream &out, std::ostream &err) : m_out(out), m_err(err) {}

    void addRow(const log::ResultRow &row) override
    {
        m_line.clear();
        for (std::size_t c = 0; c < log::kResultColumns; ++c) {
            if (c > 0)
                m_line += '\t';
            m_line += printable(row.cells[c]);
        }
        m_out << sjis::toUtf8(m_line) << '\n';
    }
    void passStarting(const log::SearchLog &) override {}
    void passFinished(const log::SearchLog &searched, const log::PassResult &result) override
    {
        if (result.status == log::PassStatus::ReadFailed) {
            m_err << "vezolog: cannot read " << searched.path << "\n";
            m_failed = true;
        } else if (result.status == log::PassStatus::NoMatch) {
            m_err << log::noticeText(log::SearchNotice::NoMatch) << "\n";
        }
    }
    bool failed() const { return m_failed; }

private:
    std::ostream &m_out;
    std::ostream &m_err;
    std::string m_line;
    bool m_failed = false;
};

bool buildIndex(const std::string &path, log::PrefixTable &table, log::AreaIndex &index,
                std::ostream &err)
{
    NoProgress quiet;
    if (log::buildAreaIndex(path, table, quiet, index) == log::IndexResult::Ok)
        return true;
    err << "vezolog: cannot read " << path << "\n";
    return false;
}

} // namespace

const char *searchUsage()
{
    return kUsage;
}

int runSearch(const Args &args, std::ostream &out, std::ostream &err)
{
    Request request;
    if (args.size() < 3 || !parseRequest(args, request)) {
        err << kUsage;
        return 2;
    }
    if (!request.reference.empty() && !isValidOwnCallsign(request.reference)) {
        err << "vezolog: not a callsign (A-Z and 0-9, 1 to 10 characters): " << request.reference
            << "\n";
        return 2;
    }
    app::AppState user;
    if (const int status = enterCommand(needsOf("search"), args[0], args[1], user, err))
        return status;
    if (!readPrefixTable(user, err))
        return 1;
    log::PrefixTable &table = user.prefixTable;
    log::SearchPlan plan;
    if (request.area) {
        plan = log::planAreaSearch(*request.area);
    } else {
        const std::optional<std::string> key = sjis::fromUtf8(request.key);
        if (!key) {
            err << "vezolog: the key holds characters a log cannot store: " << request.key << "\n";
            return 2;
        }
        plan = log::planItemSearch(*request.item, log::upperCaseKey(*key), table);
    }

    log::SearchLog own{user.logPath, nullptr, {}};
    std::optional<log::SearchLog> reference;
    if (!request.reference.empty())
        reference = log::SearchLog{app::userFilePath(user, request.reference, ".DAT"), nullptr,
                                   request.reference};

    // Only the searches that read through the area index need it built.
    log::AreaIndex ownIndex;
    log::AreaIndex referenceIndex;
    if (plan.throughArea) {
        if (!buildIndex(own.path, table, ownIndex, err))
            return 1;
        own.index = &ownIndex;
        if (reference) {
            if (!buildIndex(reference->path, table, referenceIndex, err))
                return 1;
            reference->index = &referenceIndex;
        }
    }
    if (request.area) {
        if (const auto refusal = log::checkAreaSearch(ownIndex, *request.area)) {
            err << log::noticeText(*refusal) << "\n";
            return 0;
        }
    }

    PrintingObserver printer(out, err);
    NoProgress quiet;
    log::runSearch(plan, own, reference, printer, quiet);
    out.flush();
    return printer.failed() ? 1 : 0;
}

} // namespace vz::cli
