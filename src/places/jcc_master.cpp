// SPDX-License-Identifier: GPL-3.0-or-later
#include "places/jcc_master.h"

#include "common/data_dir.h"
#include "common/file_io.h"
#include "common/sjis.h"
#include "log/call_area.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace vz::places {

namespace {

struct Span
{
    std::size_t offset;
    std::size_t width;
};

constexpr std::array<Span, 6> kTexts{{
    {0, 8},  // JccNumber
    {8, 25}, // CityName
    {33, 4}, // ShortCode
    {37, 4}, // AreaMark
    {41, 3}, // LatHemisphere
    {50, 2}, // LonHemisphere
}};

constexpr std::array<std::size_t, 6> kNumbers{44, 46, 48, 52, 54, 56};

bool readWhole(int fd, std::string &out)
{
    char chunk[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        out.append(chunk, static_cast<std::size_t>(got));
    }
}

} // namespace

std::string_view JccMasterRecord::text(MasterText f) const
{
    const Span &s = kTexts[static_cast<std::size_t>(f)];
    const std::string_view raw(bytes.data() + s.offset, s.width);
    return raw.substr(0, raw.find('\0'));
}

void JccMasterRecord::setText(MasterText f, std::string_view sjis)
{
    const Span &s = kTexts[static_cast<std::size_t>(f)];
    const std::string_view cut = sjis::cutToWidth(sjis, s.width - 1);
    std::memset(bytes.data() + s.offset, 0, s.width);
    std::memcpy(bytes.data() + s.offset, cut.data(), cut.size());
}

std::int16_t JccMasterRecord::number(MasterNumber f) const
{
    const std::size_t at = kNumbers[static_cast<std::size_t>(f)];
    const auto lo = static_cast<unsigned char>(bytes[at]);
    const auto hi = static_cast<unsigned char>(bytes[at + 1]);
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(lo | (hi << 8)));
}

void JccMasterRecord::setNumber(MasterNumber f, std::int16_t value)
{
    const std::size_t at = kNumbers[static_cast<std::size_t>(f)];
    const auto u = static_cast<std::uint16_t>(value);
    bytes[at] = static_cast<char>(u & 0xFF);
    bytes[at + 1] = static_cast<char>(u >> 8);
}

std::array<double, 6> JccMasterRecord::position() const
{
    std::array<double, 6> p{};
    for (std::size_t i = 0; i < p.size(); ++i)
        p[i] = number(static_cast<MasterNumber>(i));
    return p;
}

std::string masterFileName(int area)
{
    if (area == 10)
        return "Master10.cty";
    return "Master0" + std::to_string(area) + ".cty";
}

std::string masterFilePath(const DataDir &dataDir, int area)
{
    return dataDir.path(masterFileName(area));
}

MasterRecords readMasterFile(const std::string &path)
{
    MasterRecords out;
    const int fd = files::openRegularForReading(path);
    if (fd < 0) {
        out.result = errno == ENOENT ? MasterRead::Missing : MasterRead::Failed;
        return out;
    }
    std::string bytes;
    const bool ok = readWhole(fd, bytes);
    ::close(fd);
    if (!ok) {
        out.result = MasterRead::Failed;
        return out;
    }
    const std::size_t count = bytes.size() / kMasterRecordSize;
    out.records.resize(count);
    for (std::size_t i = 0; i < count; ++i)
        std::memcpy(out.records[i].bytes.data(), bytes.data() + i * kMasterRecordSize,
                    kMasterRecordSize);
    out.result = MasterRead::Ok;
    return out;
}

MasterRecords findByShortCode(const std::string &path, std::string_view shortCode)
{
    MasterRecords all = readMasterFile(path);
    MasterRecords hits;
    hits.result = all.result;
    for (const JccMasterRecord &r : all.records)
        if (r.shortCode() == shortCode)
            hits.records.push_back(r);
    return hits;
}

MasterRecords findByJccNumber(const DataDir &dataDir, std::string_view jcc)
{
    MasterRecords all = readMasterFile(masterFilePath(dataDir, log::jccAreaOf(jcc)));
    MasterRecords found;
    found.result = all.result;
    for (const JccMasterRecord &r : all.records)
        if (r.jccNumber() == jcc) {
            found.records.push_back(r);
            break;
        }
    return found;
}

} // namespace vz::places
