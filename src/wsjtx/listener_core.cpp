// SPDX-License-Identifier: GPL-3.0-or-later
#include "wsjtx/listener_core.h"

#include <algorithm>

namespace vz::wsjtx {

ListenerCore::Outcome ListenerCore::datagram(std::string_view bytes, std::int64_t nowMs)
{
    Outcome out;
    Decoded d = decode(bytes);
    if (!d.ok()) {
        ++m_dropped;
        note("破棄: " + d.error + " (" + std::to_string(bytes.size()) + " バイト)");
        return out;
    }
    if (auto *hb = std::get_if<Heartbeat>(&d.message)) {
        // A client that claims no schema at all still gets an answer in the one it spoke.
        const std::uint32_t schema =
            std::min({d.schema, std::max(hb->maxSchema, std::uint32_t{1}), kHighestSchema});
        out.reply = encodeHeartbeat({"VEZODovi", kHighestSchema, m_version, {}}, schema);
    } else if (auto *status = std::get_if<Status>(&d.message)) {
        out.status = std::move(*status);
    } else if (auto *logged = std::get_if<QsoLogged>(&d.message)) {
        note(logged->id + ": QSO Logged " + logged->dxCall);
        m_pairing.qsoLogged(*logged, nowMs);
    } else if (auto *adif = std::get_if<LoggedAdif>(&d.message)) {
        if (auto ready = m_pairing.loggedAdif(*adif)) {
            note(adif->id + ": Logged ADIF " + ready->callsign);
            out.ready.push_back(std::move(*ready));
        } else {
            note(adif->id + ": Logged ADIF without a record");
        }
    } else if (auto *close = std::get_if<Close>(&d.message)) {
        note(close->id + ": Close");
    }
    for (ReadyContact &c : m_pairing.expire(nowMs))
        out.ready.push_back(std::move(c));
    return out;
}

void ListenerCore::note(std::string line)
{
    ++m_noted;
    m_log.push_back(std::move(line));
    while (m_log.size() > kLogLines)
        m_log.pop_front();
}

} // namespace vz::wsjtx
