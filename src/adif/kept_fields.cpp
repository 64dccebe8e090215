// SPDX-License-Identifier: GPL-3.0-or-later
#include "adif/kept_fields.h"

#include "adif/adif_fields.h"
#include "adif/adif_reader.h"
#include "adif/adif_record.h"
#include "common/file_io.h"
#include "common/file_lock.h"
#include "common/progress.h"

#include <sys/stat.h>
#include <unistd.h>

namespace vz::adif {

namespace {

constexpr std::string_view kHeader = "Fields of contacts that the log has no room for\n"
                                     "<ADIF_VER:5>3.1.4 <PROGRAMID:8>VEZODovi <EOH>\n";

std::string_view valueOf(const AdifRecord &record, std::string_view name)
{
    return record.find(name).value_or(std::string_view());
}

} // namespace

std::string keptFieldsPath(const std::string &logPath, const std::string &userCallsign)
{
    const auto slash = logPath.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : logPath.substr(0, slash);
    return folder + '/' + userCallsign + ".fields.adi";
}

bool appendAdiUnderLock(const std::string &path, std::string_view header, std::string_view text)
{
    // Under the file's lock, so that two programs appending at once never mix two records or
    // write the header twice.
    FileLock lock;
    if (lock.acquire(path, LockMode::Exclusive, kRecordLockWait, true) != LockResult::Ok)
        return false;
    struct stat st
    {
    };
    if (::fstat(lock.fd(), &st) != 0)
        return false;
    std::string bytes;
    if (st.st_size == 0)
        bytes = header;
    bytes += text;
    return files::writeAllAt(lock.fd(), bytes, static_cast<std::uint64_t>(st.st_size)) &&
           ::fsync(lock.fd()) == 0;
}

bool adifContactIdentity(const AdifRecord &record, ContactIdentity &out)
{
    const auto date = parseAdifDate(valueOf(record, "QSO_DATE"));
    const auto time = parseAdifTime(valueOf(record, "TIME_ON"));
    if (!date || !time)
        return false;
    const std::string_view band = valueOf(record, "BAND");
    const std::string_view submode = valueOf(record, "SUBMODE");
    out = contactIdentity(valueOf(record, "CALL"),
                          minutesOf(date->year, date->month, date->day, *time),
                          band.empty() ? valueOf(record, "FREQ") : band,
                          submode.empty() ? valueOf(record, "MODE") : submode);
    return true;
}

bool keepFields(const std::string &path, std::string_view adif)
{
    std::string text;
    NoProgress quiet;
    parseAdif(
        adif,
        [&](AdifRecord &record, Charset) {
            if (!text.empty())
                return;
            std::string kept;
            for (const std::string_view name : kKeptFieldNames) {
                // The file is read as ASCII by the export; other texts have no place here.
                const std::string_view value = valueOf(record, name);
                if (isAscii(value))
                    addField(kept, name, value);
            }
            if (kept.empty())
                return;
            const std::string_view freq = valueOf(record, "FREQ");
            std::string_view band = valueOf(record, "BAND");
            if (band.empty())
                if (const auto mhz = frequencyMhz(freq))
                    band = bandOf(*mhz).value_or("");
            for (const std::string_view name : {"CALL", "QSO_DATE", "TIME_ON"})
                addField(text, name, valueOf(record, name));
            addField(text, "BAND", band);
            addField(text, "MODE", valueOf(record, "MODE"));
            addField(text, "SUBMODE", valueOf(record, "SUBMODE"));
            text += kept + "<EOR>\n";
        },
        quiet);
    return text.empty() || appendAdiUnderLock(path, kHeader, text);
}

void KeptFields::load(const std::string &path)
{
    m_byContact.clear();
    const std::optional<std::string> bytes = files::readAll(path);
    if (!bytes)
        return;
    NoProgress quiet;
    parseAdif(
        *bytes,
        [&](AdifRecord &record, Charset) {
            ContactIdentity id;
            if (!adifContactIdentity(record, id))
                return;
            KeptList list;
            for (const std::string_view name : kKeptFieldNames)
                if (const auto value = record.find(name); value && !value->empty())
                    list.emplace_back(std::string(name), std::string(*value));
            if (!list.empty())
                m_byContact.emplace(std::move(id), std::move(list));
        },
        quiet);
}

const KeptList *KeptFields::find(const ContactIdentity &contact) const
{
    const auto found = m_byContact.find(contact);
    return found == m_byContact.end() ? nullptr : &found->second;
}

} // namespace vz::adif
