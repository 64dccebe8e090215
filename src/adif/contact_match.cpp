// SPDX-License-Identifier: GPL-3.0-or-later
#include "adif/contact_match.h"

#include "adif/adif_fields.h"
#include "adif/typed_memo.h"
#include "log/qso_record.h"

#include <array>
#include <functional>
#include <mutex>
#include <optional>
#include <unordered_set>

namespace vz::adif {

namespace {

struct ModeKey
{
    std::string_view mode;
    std::string_view submode;
};

// Mode texts ADIF does not know, kept for the program's life: few per log.
std::string_view kept(std::string text)
{
    static std::mutex lock;
    static std::unordered_set<std::string> texts;
    const std::lock_guard<std::mutex> guard(lock);
    return *texts.insert(std::move(text)).first;
}

ModeKey modeKeyOf(std::string_view text)
{
    std::string upper = upperAscii(text);
    if (upper.empty() || upper == "-")
        return {};
    if (const auto pair = modeOf(upper)) {
        // USB and LSB are SSB as a contact's mode.
        if (pair->mode == "SSB")
            return {pair->mode, {}};
        return {pair->mode, pair->submode};
    }
    return {kept(std::move(upper)), {}};
}

std::string_view bandKey(std::string_view text)
{
    thread_local TypedMemo<std::string_view> bands;
    return bands.of(text, [](std::string_view t) { return bandOfTyped(t).value_or(""); });
}

ModeKey modeKey(std::string_view text)
{
    thread_local TypedMemo<ModeKey> modes;
    return modes.of(text, modeKeyOf);
}

} // namespace

ContactIdentity contactIdentity(std::string_view call, std::int64_t minute,
                                std::string_view bandOrFrequency, std::string_view mode)
{
    ContactIdentity id;
    id.call = upperAscii(call);
    id.minute = minute;
    id.band = bandKey(bandOrFrequency);
    const ModeKey m = modeKey(mode);
    id.mode = m.mode;
    id.submode = m.submode;
    return id;
}

bool logContactIdentity(const log::QsoRecord &record, ContactIdentity &out)
{
    using log::Field;
    // The one century window of the log's two-digit years: 1950 to 2049.
    const auto date = parseLogDate(record.field(Field::QsoDate), 2049);
    const auto time = parseLogTime(record.field(Field::StartTime));
    if (!date || !time)
        return false;
    out.call = adifCallOf(record.field(Field::Callsign), record.field(Field::PortableArea),
                          record.field(Field::PortableForm));
    for (char &c : out.call)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    out.minute = minutesOf(date->year, date->month, date->day, *time);
    out.band = bandKey(record.field(Field::Frequency));
    const ModeKey m = modeKey(record.field(Field::Mode));
    out.mode = m.mode;
    out.submode = m.submode;
    return true;
}

bool sameContact(const ContactIdentity &a, const ContactIdentity &b)
{
    return a.minute == b.minute && sameStationBandMode(a, b);
}

bool sameBand(const ContactIdentity &a, const ContactIdentity &b)
{
    return a.band.empty() || b.band.empty() || a.band == b.band;
}

bool sameStationBandMode(const ContactIdentity &a, const ContactIdentity &b)
{
    if (a.call != b.call || !sameBand(a, b))
        return false;
    if (a.mode.empty() || b.mode.empty())
        return true;
    if (a.mode != b.mode)
        return false;
    return a.submode.empty() || b.submode.empty() || a.submode == b.submode;
}

std::size_t contactHash(const ContactIdentity &contact)
{
    return std::hash<std::string>{}(contact.call) ^
           (static_cast<std::size_t>(contact.minute) * 0x9E3779B97F4A7C15ULL);
}

} // namespace vz::adif
