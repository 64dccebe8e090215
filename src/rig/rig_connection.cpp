// SPDX-License-Identifier: GPL-3.0-or-later
#include "rig/rig_connection.h"

#include <hamlib/rig.h>

#include <algorithm>
#include <clocale>
#include <cstdarg>
#include <dlfcn.h>
#include <mutex>
#include <string>
#include <tuple>

namespace vz::rig {

namespace {

int silent(enum rig_debug_level_e, rig_ptr_t, const char *, va_list)
{
    return RIG_OK;
}

// Hamlib keeps its list of open radios in a process-wide table that it does not guard: making,
// opening, closing and releasing a radio take turns (on the workers' threads, never the
// window's). Reading from an open radio does not touch the table.
std::mutex &tablesMutex()
{
    static std::mutex m;
    return m;
}

std::string describe(int code)
{
    // Hamlib indexes its table of texts with the code unchecked: a daemon may answer any
    // number (RPRT -2147483648), and only Hamlib's own codes have a text.
    const long long magnitude = code < 0 ? -static_cast<long long>(code) : code;
    if (magnitude >= RIG_EEND)
        return "unknown error";
    std::string text = rigerror2(code);
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text.empty() ? "error " + std::to_string(code) : text;
}

bool setConf(RIG *rig, const char *name, const std::string &value)
{
    const token_t token = rig_token_lookup(rig, name);
    return token != RIG_CONF_END && rig_set_conf(rig, token, value.c_str()) == RIG_OK;
}

void closeAndCleanUp(RIG *rig, bool opened)
{
    std::lock_guard lock(tablesMutex());
    if (opened)
        rig_close(rig);
    rig_cleanup(rig);
}

} // namespace

// Hamlib reads its table of error texts at the code a radio or a daemon sends, unchecked, and
// does so itself inside rig_open and the reads (rigctld may answer RPRT -2147483648). This
// definition takes the place of Hamlib's for the whole process, Hamlib's own calls included,
// and hands on only the codes its table holds.
namespace {

bool isHamlibCode(int errnum)
{
    const long long magnitude = errnum < 0 ? -static_cast<long long>(errnum) : errnum;
    return magnitude < RIG_EEND;
}

using ErrorText = const char *(*)(int);

ErrorText hamlibs(const char *name)
{
    return reinterpret_cast<ErrorText>(::dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" const char *rigerror(int errnum)
{
    static const ErrorText next = hamlibs("rigerror");
    return isHamlibCode(errnum) && next ? next(errnum) : "unknown error";
}

extern "C" const char *rigerror2(int errnum)
{
    static const ErrorText next = hamlibs("rigerror2");
    return isHamlibCode(errnum) && next ? next(errnum) : "unknown error";
}

void prepareHamlib()
{
    static std::once_flag once;
    std::call_once(once, [] {
        // Hamlib's network client switches LC_NUMERIC to "C" around its parsing and back to a
        // name that the switch itself has freed unless the category already is "C" (a
        // use-after-free under ja_JP.UTF-8 or C.UTF-8), and it does so from the reading
        // thread. With "C" set here first, both switches change nothing. The windows format
        // numbers through Qt's own locale, and decimal points are what the fields want.
        std::setlocale(LC_NUMERIC, "C");
        rig_set_debug(RIG_DEBUG_NONE);
        rig_set_debug_callback(silent, nullptr);
        rig_load_all_backends();
    });
}

std::unique_ptr<RigConnection> RigConnection::open(const RigTarget &target, std::string &error)
{
    prepareHamlib();
    RIG *rig = nullptr;
    {
        std::lock_guard lock(tablesMutex());
        rig = rig_init(static_cast<rig_model_t>(target.model));
    }
    if (!rig) {
        error = "unknown model " + std::to_string(target.model);
        return nullptr;
    }
    if ((!target.port.empty() && !setConf(rig, "rig_pathname", target.port)) ||
        (target.speed > 0 && !setConf(rig, "serial_speed", std::to_string(target.speed)))) {
        error = "invalid port or speed";
        closeAndCleanUp(rig, false);
        return nullptr;
    }
    // Every reading asks the radio: a remembered value would hide a change of band, or a
    // radio that has gone.
    rig_set_cache_timeout_ms(rig, HAMLIB_CACHE_ALL, 0);
    int code = RIG_OK;
    {
        std::lock_guard lock(tablesMutex());
        code = rig_open(rig);
    }
    if (code != RIG_OK) {
        error = describe(code);
        closeAndCleanUp(rig, false);
        return nullptr;
    }
    return std::unique_ptr<RigConnection>(new RigConnection(rig));
}

RigConnection::~RigConnection()
{
    closeAndCleanUp(m_rig, true);
}

ReadOutcome RigConnection::read()
{
    ReadOutcome out;
    freq_t frequency = 0;
    if (const int code = rig_get_freq(m_rig, RIG_VFO_CURR, &frequency); code != RIG_OK) {
        out.error = describe(code);
        return out; // Hamlib may fill in a remembered value on failure: it is not used
    }
    rmode_t mode = RIG_MODE_NONE;
    pbwidth_t width = 0;
    const int code = rig_get_mode(m_rig, RIG_VFO_CURR, &mode, &width);
    if (code != RIG_OK && code != -RIG_ENAVAIL && code != -RIG_ENIMPL) {
        out.error = describe(code);
        return out;
    }
    out.ok = true;
    out.reading.frequencyHz = frequency;
    if (code == RIG_OK && mode != RIG_MODE_NONE)
        out.reading.mode = rig_strrmode(mode);
    return out;
}

ReadOutcome readOnce(const RigTarget &target)
{
    ReadOutcome out;
    const auto connection = RigConnection::open(target, out.error);
    if (!connection)
        return out;
    return connection->read();
}

bool isKnownModel(int model)
{
    prepareHamlib();
    std::lock_guard lock(tablesMutex());
    return model > 0 && rig_get_caps(static_cast<rig_model_t>(model)) != nullptr;
}

std::vector<RigModel> rigModels()
{
    prepareHamlib();
    std::vector<RigModel> models;
    // The backends were all loaded once: the list is only read from now on.
    rig_list_foreach(
        [](const rig_caps *caps, rig_ptr_t data) {
            auto *list = static_cast<std::vector<RigModel> *>(data);
            list->push_back({static_cast<int>(caps->rig_model),
                             caps->mfg_name ? caps->mfg_name : "",
                             caps->model_name ? caps->model_name : ""});
            return 1; // go on
        },
        &models);
    std::sort(models.begin(), models.end(), [](const RigModel &a, const RigModel &b) {
        return std::tie(a.manufacturer, a.name, a.model) <
               std::tie(b.manufacturer, b.name, b.model);
    });
    return models;
}

} // namespace vz::rig
