// SPDX-License-Identifier: GPL-3.0-or-later
#include "wsjtx/logged_contact.h"

#include "adif/adif_fields.h"
#include "adif/adif_reader.h"
#include "adif/adif_record.h"
#include "common/progress.h"
#include "rig/rig_fields.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace vz::wsjtx {

namespace {

std::string upper(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](char c) {
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    });
    return out;
}

// "YYYYMMDD" and "HHMMSS" of a UTC time.
std::pair<std::string, std::string> adifDateTime(const WireDateTime &t)
{
    const auto seconds = t.unixSeconds();
    if (!seconds)
        return {};
    const std::int64_t days = *seconds >= 0 ? *seconds / 86400 : (*seconds - 86399) / 86400;
    const std::int64_t rest = *seconds - days * 86400;
    // Civil date from days since 1970 (Howard Hinnant's algorithm).
    const std::int64_t z = days + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const std::int64_t day = doy - (153 * mp + 2) / 5 + 1;
    const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    if (year < 1 || year > 9999)
        return {};
    char date[16];
    char time[16];
    std::snprintf(date, sizeof date, "%04d%02d%02d", static_cast<int>(year),
                  static_cast<int>(month), static_cast<int>(day));
    std::snprintf(time, sizeof time, "%02d%02d%02d", static_cast<int>(rest / 3600),
                  static_cast<int>(rest / 60 % 60), static_cast<int>(rest % 60));
    return {date, time};
}

// MODE and SUBMODE as ADIF spells them: FT4 is a submode of MFSK.
std::pair<std::string, std::string> adifMode(std::string_view mode)
{
    const std::string m = upper(mode);
    if (m == "FT4")
        return {"MFSK", "FT4"};
    return {m, {}};
}

std::string frequencyMhz(double hertz)
{
    return rig::frequencyFieldText(hertz);
}

// The key a 5 and a 12 of one contact share: call and start date and time to the minute.
std::string pairingKey(std::string_view call, std::string_view date, std::string_view time)
{
    return upper(call) + '|' + std::string(date) + '|' + std::string(time.substr(0, 4));
}

} // namespace

std::string adifForQsoLogged(const QsoLogged &m)
{
    std::string out;
    const auto [onDate, onTime] = adifDateTime(m.timeOn);
    const auto [offDate, offTime] = adifDateTime(m.timeOff);
    const auto [mode, submode] = adifMode(m.mode);
    adif::addField(out, "CALL", m.dxCall);
    adif::addField(out, "QSO_DATE", onDate);
    adif::addField(out, "TIME_ON", onTime);
    adif::addField(out, "QSO_DATE_OFF", offDate);
    adif::addField(out, "TIME_OFF", offTime);
    adif::addField(out, "FREQ", frequencyMhz(static_cast<double>(m.txFrequency)));
    adif::addField(out, "MODE", mode);
    adif::addField(out, "SUBMODE", submode);
    adif::addField(out, "RST_SENT", m.reportSent);
    adif::addField(out, "RST_RCVD", m.reportReceived);
    adif::addField(out, "TX_PWR", m.txPower);
    adif::addField(out, "NAME", m.name);
    adif::addField(out, "COMMENT", m.comments);
    adif::addField(out, "GRIDSQUARE", m.dxGrid);
    adif::addField(out, "OPERATOR", m.operatorCall);
    adif::addField(out, "STATION_CALLSIGN", m.myCall);
    adif::addField(out, "MY_GRIDSQUARE", m.myGrid);
    adif::addField(out, "STX_STRING", m.exchangeSent);
    adif::addField(out, "SRX_STRING", m.exchangeReceived);
    adif::addField(out, "PROP_MODE", m.propagationMode);
    out += "<EOR>\n";
    return out;
}

std::optional<std::string> adifForLoggedAdif(std::string_view adif)
{
    std::optional<std::string> out;
    NoProgress progress;
    adif::parseAdif(
        adif,
        [&](adif::AdifRecord &record, adif::Charset) {
            if (out)
                return;
            std::string text;
            for (std::size_t i = 0; i < record.size(); ++i) {
                const std::string_view name = record.name(i);
                std::string value(record.value(i));
                if (name == "FREQ") {
                    char *end = nullptr;
                    const double mhz = std::strtod(value.c_str(), &end);
                    if (end != value.c_str())
                        if (std::string shown = frequencyMhz(mhz * 1e6); !shown.empty())
                            value = shown;
                }
                adif::addField(text, name, value);
            }
            text += "<EOR>\n";
            out = std::move(text);
        },
        progress);
    return out;
}

void ContactPairing::qsoLogged(const QsoLogged &m, std::int64_t nowMs)
{
    const auto [date, time] = adifDateTime(m.timeOn);
    m_held.push_back({{m.id, m.dxCall, adifForQsoLogged(m)},
                      m.id + '|' + pairingKey(m.dxCall, date, time),
                      nowMs + kHoldMs});
}

std::optional<ReadyContact> ContactPairing::loggedAdif(const LoggedAdif &m)
{
    std::optional<ReadyContact> ready;
    std::string key;
    NoProgress progress;
    adif::parseAdif(
        m.adif,
        [&](adif::AdifRecord &record, adif::Charset) {
            if (ready)
                return;
            const std::string_view call = record.find("CALL").value_or(std::string_view());
            key = m.id + '|' +
                  pairingKey(call, record.find("QSO_DATE").value_or(std::string_view()),
                             record.find("TIME_ON").value_or(std::string_view()));
            ready = ReadyContact{m.id, std::string(call), {}};
        },
        progress);
    if (!ready)
        return std::nullopt;
    ready->adif = adifForLoggedAdif(m.adif).value_or(std::string());
    const auto match =
        std::find_if(m_held.begin(), m_held.end(), [&](const Held &h) { return h.key == key; });
    if (match != m_held.end())
        m_held.erase(match);
    return ready;
}

std::vector<ReadyContact> ContactPairing::expire(std::int64_t nowMs)
{
    std::vector<ReadyContact> out;
    std::erase_if(m_held, [&](Held &h) {
        if (h.dueMs > nowMs)
            return false;
        out.push_back(std::move(h.contact));
        return true;
    });
    return out;
}

std::vector<ReadyContact> ContactPairing::flush()
{
    return expire(std::numeric_limits<std::int64_t>::max());
}

std::optional<std::int64_t> ContactPairing::nextDue() const
{
    if (m_held.empty())
        return std::nullopt;
    return std::min_element(m_held.begin(), m_held.end(),
                            [](const Held &a, const Held &b) { return a.dueMs < b.dueMs; })
        ->dueMs;
}

} // namespace vz::wsjtx
