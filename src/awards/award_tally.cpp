// SPDX-License-Identifier: GPL-3.0-or-later
#include "awards/award_tally.h"

#include "common/file_io.h"
#include "common/progress.h"
#include "common/sjis.h"
#include "log/confirmation_mark.h"
#include "log/qso_record.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace vz::awards {

using namespace vz::log;

namespace {

// Records per read (about a quarter of a megabyte): few calls, yet the chunk and the table of
// codes stay in the processor's cache together while the chunk is counted.
constexpr std::int32_t kRecordsPerChunk = 1024;
constexpr std::int32_t kProgressEvery = 8192;
// A log holds a few thousand places at most; the table starts large enough for that.
constexpr std::size_t kInitialSlots = 4096;

std::string_view fieldText(const char *record, Field f)
{
    const FieldSpec &place = fieldSpec(f);
    return fieldTextAt(record + place.offset, place.width);
}

bool readFully(int fd, char *buffer, std::size_t want, off_t at)
{
    return files::readFullAt(fd, buffer, want, static_cast<std::uint64_t>(at)) ==
           static_cast<ssize_t>(want);
}

// The place of a record as readPlace reads it: the portable JCC when the portable area is a
// digit or "A" (as the contact dialog and the ADIF export take it), else the fixed JCC. The
// usual texts, digits ended by a NUL, by a shorter way: every record of the log comes here.
PlaceReading placeOf(const char *record)
{
    const char *area = record + fieldSpec(Field::PortableArea).offset;
    const bool portable =
        area[1] == '\0' && ((area[0] >= '0' && area[0] <= '9') || area[0] == 'A' || area[0] == 'a');
    const FieldSpec &jccField = fieldSpec(portable ? Field::PortableJcc : Field::FixedJcc);
    const char *text = record + jccField.offset;
    std::uint32_t value = 0;
    std::size_t length = 0;
    while (length < jccField.width && text[length] >= '0' && text[length] <= '9')
        value = value * 10 + static_cast<std::uint32_t>(text[length++] - '0');
    if (length >= 4 && length <= 6 && (length == jccField.width || text[length] == '\0')) {
        const int prefecture = (text[0] - '0') * 10 + (text[1] - '0');
        PlaceReading reading;
        if (prefecture < 1 || prefecture > 47) {
            reading.kind = PlaceReading::NotAward;
            return reading;
        }
        reading.kind = PlaceReading::Code;
        reading.code = {length == 4   ? AwardKind::City
                        : length == 6 ? AwardKind::Ward
                                      : AwardKind::District,
                        value};
        return reading;
    }
    if (length == 0 && text[0] == '\0')
        return {};
    return readPlace(fieldTextAt(text, jccField.width)); // blanks, "-", other texts
}

// The earlier of two record numbers, 0 standing for none.
std::int32_t earlier(std::int32_t a, std::int32_t b)
{
    return a == 0 ? b : b == 0 ? a : std::min(a, b);
}

} // namespace

std::string AwardCode::text() const
{
    std::string digits(codeLength(kind), '0');
    std::uint32_t v = value;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it, v /= 10)
        *it = static_cast<char>('0' + v % 10);
    return digits;
}

int AwardCode::prefecture() const
{
    std::uint32_t divisor = 1;
    for (std::size_t i = 2; i < codeLength(kind); ++i)
        divisor *= 10;
    return static_cast<int>(value / divisor);
}

PlaceReading readPlace(std::string_view place)
{
    PlaceReading reading;
    const std::string_view text = sjis::trimBlanks(place);
    if (text.empty() || text == kEmptyMark)
        return reading;
    reading.kind = PlaceReading::NotAward;
    AwardKind kind;
    switch (text.size()) {
    case 4:
        kind = AwardKind::City;
        break;
    case 5:
        kind = AwardKind::District;
        break;
    case 6:
        kind = AwardKind::Ward;
        break;
    default:
        return reading;
    }
    std::uint32_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return reading;
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
    }
    const int prefecture = (text[0] - '0') * 10 + (text[1] - '0');
    if (prefecture < 1 || prefecture > 47)
        return reading;
    reading.kind = PlaceReading::Code;
    reading.code = {kind, value};
    return reading;
}

AwardTally::AwardTally() : m_slots(kInitialSlots) {}

std::uint32_t AwardTally::keyOf(AwardCode code)
{
    // The kind above the digits (at most 999999, 20 bits); never 0.
    return (static_cast<std::uint32_t>(code.kind) + 1) << 24 | code.value;
}

std::size_t AwardTally::indexFor(std::uint32_t key) const
{
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = (key * 0x9E3779B1u) >> 7 & mask;; i = (i + 1) & mask) {
        const Slot &s = m_slots[i];
        if (s.key == key || s.key == 0)
            return i;
    }
}

void AwardTally::grow()
{
    std::vector<Slot> old(m_slots.size() * 2);
    old.swap(m_slots);
    for (const Slot &s : old)
        if (s.key != 0)
            m_slots[indexFor(s.key)] = s;
}

AwardTally::Slot &AwardTally::slotOf(AwardCode code)
{
    const std::uint32_t key = keyOf(code);
    Slot *s = &m_slots[indexFor(key)];
    if (s->key == 0) {
        if ((m_used + 1) * 2 > m_slots.size()) {
            grow();
            s = &m_slots[indexFor(key)];
        }
        s->key = key;
        ++m_used;
    }
    return *s;
}

void AwardTally::add(AwardCode code, std::int32_t recordNo, bool confirmed)
{
    PlaceTally &t = slotOf(code).tally;
    ++t.contacts;
    if (t.firstRecord == 0)
        t.firstRecord = recordNo;
    if (confirmed && t.firstConfirmed == 0)
        t.firstConfirmed = recordNo;
}

void AwardTally::addWardsToCities()
{
    for (const auto &[ward, w] : codes(AwardKind::Ward)) {
        PlaceTally &city = slotOf({AwardKind::City, ward.value / 100}).tally;
        city.contacts += w.contacts;
        city.firstRecord = earlier(city.firstRecord, w.firstRecord);
        city.firstConfirmed = earlier(city.firstConfirmed, w.firstConfirmed);
    }
}

const PlaceTally *AwardTally::find(AwardCode code) const
{
    const Slot &s = m_slots[indexFor(keyOf(code))];
    return s.key == 0 ? nullptr : &s.tally;
}

std::vector<std::pair<AwardCode, PlaceTally>> AwardTally::codes(AwardKind kind) const
{
    std::vector<std::pair<AwardCode, PlaceTally>> out;
    const std::uint32_t tag = (static_cast<std::uint32_t>(kind) + 1) << 24;
    for (const Slot &s : m_slots)
        if (s.key != 0 && (s.key & 0xFF000000u) == tag)
            out.emplace_back(AwardCode{kind, s.key & 0x00FFFFFFu}, s.tally);
    std::sort(out.begin(), out.end(),
              [](const auto &a, const auto &b) { return a.first.value < b.first.value; });
    return out;
}

TallyResult tallyAwards(const std::string &logPath, std::string_view mark, ProgressSink &progress,
                        AwardTally &tally)
{
    const std::string marks[] = {std::string(mark)};
    return tallyAwards(logPath, marks, progress, tally);
}

TallyResult tallyAwards(const std::string &logPath, std::span<const std::string> marks,
                        ProgressSink &progress, AwardTally &tally)
{
    tally = AwardTally();
    const int fd = ::open(logPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? TallyResult::Ok : TallyResult::Failed;
    const UniqueFd closer(fd);
    const off_t size = ::lseek(fd, 0, SEEK_END);
    if (size < 0)
        return TallyResult::Failed;
    const auto count = static_cast<std::int32_t>(
        std::min<off_t>(size / static_cast<off_t>(kRecordSize), INT32_MAX));
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);

    progress.begin(count);
    std::vector<char> chunk(static_cast<std::size_t>(std::min(count, kRecordsPerChunk)) *
                            kRecordSize);
    TallyResult result = TallyResult::Ok;
    for (std::int32_t i = 0; i < count;) {
        const std::int32_t n = std::min(kRecordsPerChunk, count - i);
        if (!readFully(fd, chunk.data(), static_cast<std::size_t>(n) * kRecordSize,
                       static_cast<off_t>(i) * static_cast<off_t>(kRecordSize))) {
            result = TallyResult::Failed;
            break;
        }
        for (std::int32_t k = 0; k < n; ++k, ++i) {
            if (i % kProgressEvery == 0)
                progress.advance(i);
            const char *record = chunk.data() + static_cast<std::size_t>(k) * kRecordSize;
            if (record[0] == '-' && record[1] == '\0') // deleted
                continue;
            ++tally.liveContacts;
            const PlaceReading place = placeOf(record);
            if (place.kind == PlaceReading::None) {
                ++tally.noPlace;
                continue;
            }
            if (place.kind == PlaceReading::NotAward) {
                ++tally.notCounted;
                continue;
            }
            const std::string_view userMark = fieldText(record, Field::UserMark);
            const bool confirmed =
                std::any_of(marks.begin(), marks.end(), [&](const std::string &mark) {
                    return holdsConfirmationMark(userMark, mark);
                });
            tally.add(place.code, i + 1, confirmed);
        }
    }
    // A ward counts for its city as well.
    tally.addWardsToCities();
    progress.end();
    return result;
}

} // namespace vz::awards
