// SPDX-License-Identifier: GPL-3.0-or-later
// Award progress, first step: one sequential pass over a log that notes, for every city (JCC),
// ward and district (JCG) code, whether it was worked and confirmed and by which records.
//
// The place of a contact is its portable JCC when the contact was portable (portable area a
// digit or "A"), else its fixed JCC. Four digits are a city, six a ward (which counts for its
// city, the first four digits, as well), five a district; the first two digits are the
// prefecture, 01 to 47. An empty place or "-" counts nowhere; any other text, and codes of
// other prefectures (the overseas places 48 and above), are no award place and only counted.
// Deleted records count nowhere. A contact is confirmed when its user mark holds the
// confirmation mark.
//
// Nothing of a record is kept past its turn: the pass holds only the table of codes.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vz {
class ProgressSink;
}

namespace vz::awards {

enum class AwardKind { City, Ward, District };

// The digits a code of each kind has.
constexpr std::size_t codeLength(AwardKind kind)
{
    return kind == AwardKind::City ? 4 : kind == AwardKind::Ward ? 6 : 5;
}

struct PlaceTally
{
    std::int32_t contacts = 0;
    std::int32_t firstRecord = 0;    // 1-based; 0 when not worked
    std::int32_t firstConfirmed = 0; // 1-based; 0 when not confirmed

    bool worked() const { return firstRecord != 0; }
    bool confirmed() const { return firstConfirmed != 0; }
};

// A code as the tally keeps it: its kind and its digits as a number.
struct AwardCode
{
    AwardKind kind = AwardKind::City;
    std::uint32_t value = 0;

    std::string text() const; // zero-padded to the kind's length
    int prefecture() const;   // the first two digits
};

// The award code a place text is, when it is one of an award place (01 to 47).
struct PlaceReading
{
    enum Kind {
        None,     // empty or "-"
        NotAward, // any other text that is not a code of 01 to 47
        Code,
    };
    Kind kind = None;
    AwardCode code;
};
PlaceReading readPlace(std::string_view place);

class AwardTally
{
public:
    AwardTally();

    // Notes one live contact, record number `recordNo`, at `code`.
    void add(AwardCode code, std::int32_t recordNo, bool confirmed);
    // Adds every ward's contacts to its city (the first four digits); the pass does it once at
    // its end rather than for every contact.
    void addWardsToCities();
    const PlaceTally *find(AwardCode code) const;
    // Every code of a kind that was worked, in code order.
    std::vector<std::pair<AwardCode, PlaceTally>> codes(AwardKind kind) const;

    std::int64_t liveContacts = 0;
    std::int64_t notCounted = 0; // live contacts whose place is a text but no award place
    std::int64_t noPlace = 0;    // live contacts without a place (empty or "-")

private:
    struct Slot
    {
        std::uint32_t key = 0; // 0: empty
        PlaceTally tally;      // with the key, 16 bytes: four slots to a cache line
    };
    Slot &slotOf(AwardCode code);
    static std::uint32_t keyOf(AwardCode code);
    // The slot holding `key`, or the empty one where it would go.
    std::size_t indexFor(std::uint32_t key) const;
    void grow();

    std::vector<Slot> m_slots;
    std::size_t m_used = 0;
};

enum class TallyResult {
    Ok,     // also for a missing log, which has nothing to count
    Failed, // the log could not be read to its end
};

// One pass over the log at `logPath`; a contact is confirmed when its user mark holds any of
// `marks` (Shift_JIS: the marks of the confirmations the operator counts). Progress runs from 0
// to the number of records.
TallyResult tallyAwards(const std::string &logPath, std::span<const std::string> marks,
                        ProgressSink &progress, AwardTally &tally);
// The same with one mark.
TallyResult tallyAwards(const std::string &logPath, std::string_view mark, ProgressSink &progress,
                        AwardTally &tally);

} // namespace vz::awards
