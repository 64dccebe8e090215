// SPDX-License-Identifier: GPL-3.0-or-later
// vezolog rig: reads the radio once, the user's or the one the options name, and prints the
// frequency and mode fields the contact dialog would show (tab-separated; an empty text is a
// field the dialog would leave as it is).
#include "cli/commands.h"

#include "common/sjis.h"
#include "common/whole_number.h"
#include "rig/rig_connection.h"
#include "rig/rig_fields.h"
#include "rig/rig_settings.h"

#include <charconv>
#include <chrono>
#include <future>
#include <limits>
#include <optional>
#include <ostream>
#include <thread>

namespace vz::cli {

namespace {

constexpr const char *kUsage =
    "usage: vezolog rig DATADIR CALLSIGN [--model N [--port PORT] [--speed BAUD]]\n"
    "       without --model: the radio set in the user's personal information\n"
    "       a rigctld: --model 2 --port HOST:PORT\n";

std::optional<int> parsePositive(const std::string &text)
{
    const auto value = parseWholeNumber(text, 1, std::numeric_limits<int>::max());
    if (!value)
        return std::nullopt;
    return static_cast<int>(*value);
}

struct Options
{
    std::optional<int> model;
    std::optional<std::string> port;
    std::optional<int> speed;
};

bool parseOptions(const Args &args, Options &options)
{
    for (std::size_t i = 2; i < args.size(); i += 2) {
        if (i + 1 >= args.size())
            return false;
        const std::string &name = args[i];
        const std::string &value = args[i + 1];
        if (name == "--model" && !options.model)
            options.model = parsePositive(value);
        else if (name == "--port" && !options.port)
            options.port = value;
        else if (name == "--speed" && !options.speed)
            options.speed = parsePositive(value);
        else
            return false;
        if ((name == "--model" && !options.model) || (name == "--speed" && !options.speed))
            return false;
    }
    // A port or a speed belongs to a model named beside it.
    return options.model || (!options.port && !options.speed);
}

// A daemon that answers a byte at a time restarts Hamlib's per-read timeout with every byte:
// the command itself gives up after this long in all.
constexpr std::chrono::seconds kOverallLimit{5};

// Reads on a thread of its own; past `limit` the command goes on without it (the thread ends
// whenever Hamlib gives up, touching only what it shares with nobody else).
rig::ReadOutcome readWithin(const rig::RigTarget &target, std::chrono::seconds limit)
{
    std::packaged_task<rig::ReadOutcome()> task([target] { return rig::readOnce(target); });
    std::future<rig::ReadOutcome> result = task.get_future();
    std::thread(std::move(task)).detach();
    if (result.wait_for(limit) == std::future_status::ready)
        return result.get();
    rig::ReadOutcome late;
    late.error = "no answer within " + std::to_string(limit.count()) + " s";
    return late;
}

} // namespace

const char *rigUsage()
{
    return kUsage;
}

int runRig(const Args &args, std::ostream &out, std::ostream &err)
{
    Options options;
    if (args.size() < 2 || !parseOptions(args, options)) {
        err << kUsage;
        return 2;
    }
    if (options.model && !rig::isKnownModel(*options.model)) {
        err << "vezolog: Hamlib knows no radio model " << *options.model << "\n";
        return 2;
    }
    app::AppState user;
    if (const int status = enterCommand(needsOf("rig"), args[0], args[1], user, err))
        return status;
    const std::string &settingsPath = user.settingsPath;
    const rig::RigSettings settings = rig::readRigSettings(settingsPath);
    std::optional<rig::RigTarget> target;
    if (options.model)
        target =
            rig::RigTarget{*options.model, options.port.value_or(""), options.speed.value_or(0)};
    else
        target = rig::targetOf(settings);
    if (!target) {
        err << "vezolog: no radio is set for " << args[1] << " (" << settingsPath << ")\n";
        return 1;
    }
    const rig::ReadOutcome outcome = readWithin(*target, kOverallLimit);
    if (!outcome.ok) {
        err << "vezolog: the radio does not answer: " << outcome.error << "\n";
        return 1;
    }
    out << rig::frequencyFieldText(outcome.reading.frequencyHz) << '\t'
        << sjis::toUtf8(rig::modeFieldText(outcome.reading.mode, settings.dataMode)) << '\n';
    return 0;
}

} // namespace vz::cli
