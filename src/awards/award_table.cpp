// SPDX-License-Identifier: GPL-3.0-or-later
#include "awards/award_table.h"

#include "common/sjis.h"
#include "places/jcc_master.h"

#include <unordered_set>

namespace vz::awards {

namespace {

constexpr std::array<std::string_view, kPrefectureCount> kPrefectureNames{
    "北海道", "青森県",   "岩手県",   "秋田県", "山形県", "宮城県",   "福島県", "新潟県",
    "長野県", "東京都",   "神奈川県", "千葉県", "埼玉県", "茨城県",   "栃木県", "群馬県",
    "山梨県", "静岡県",   "岐阜県",   "愛知県", "三重県", "京都府",   "滋賀県", "奈良県",
    "大阪府", "和歌山県", "兵庫県",   "富山県", "福井県", "石川県",   "岡山県", "島根県",
    "山口県", "鳥取県",   "広島県",   "香川県", "徳島県", "愛媛県",   "高知県", "福岡県",
    "佐賀県", "長崎県",   "熊本県",   "大分県", "宮崎県", "鹿児島県", "沖縄県",
};

// The wards of Tokyo's special-ward area, 1001xx, have no city record of their own.
constexpr std::string_view kTokyoWardsCode = "1001";

std::string sj(std::string_view utf8)
{
    return sjis::fromUtf8(utf8).value_or(std::string());
}

// The name of a city the master lists only through its wards: the first ward's name up to
// its "市" ("浜松市中区" gives "浜松市"), or the whole name when it has none.
std::string cityNameOfWards(std::string_view code, std::string_view wardName)
{
    if (code == kTokyoWardsCode)
        return sj("東京都区部");
    const std::string city = sj("市");
    for (std::size_t pos = 0; pos + city.size() <= wardName.size();) {
        if (wardName.compare(pos, city.size(), city) == 0)
            return std::string(wardName.substr(0, pos + city.size()));
        pos += sjis::isLeadByte(static_cast<unsigned char>(wardName[pos])) ? 2 : 1;
    }
    return std::string(wardName);
}

bool isDigits(std::string_view text)
{
    for (const char c : text)
        if (c < '0' || c > '9')
            return false;
    return !text.empty();
}

} // namespace

std::string_view prefectureName(int prefecture)
{
    if (prefecture < 1 || prefecture > kPrefectureCount)
        return {};
    return kPrefectureNames[static_cast<std::size_t>(prefecture - 1)];
}

std::vector<MasterPlace> loadMasterPlaces(const DataDir &dataDir)
{
    std::vector<MasterPlace> places;
    for (int area = 0; area < places::kMasterAreaCount; ++area) {
        const places::MasterRecords file =
            places::readMasterFile(places::masterFilePath(dataDir, area));
        for (const places::JccMasterRecord &r : file.records)
            places.push_back(
                {std::string(sjis::trimBlanks(r.jccNumber())), std::string(r.cityName())});
    }
    return places;
}

AwardTable buildAwardTable(AwardKind kind, const AwardTally &tally,
                           const std::vector<MasterPlace> &master)
{
    AwardTable table;
    table.kind = kind;
    for (int p = 1; p <= kPrefectureCount; ++p)
        table.rows[static_cast<std::size_t>(p - 1)].prefecture = p;

    const std::size_t length = codeLength(kind);
    // Cities the master lists by a record of their own; the others come in through their wards.
    std::unordered_set<std::string> cityRecords;
    if (kind == AwardKind::City)
        for (const MasterPlace &m : master)
            if (m.code.size() == 4 && isDigits(m.code))
                cityRecords.insert(m.code);

    std::unordered_set<std::string> listed;
    const auto addPlace = [&](std::string code, std::string name) {
        const PlaceReading reading = readPlace(code);
        if (reading.kind != PlaceReading::Code || reading.code.kind != kind ||
            !listed.insert(code).second)
            return;
        AwardPlace place;
        place.code = std::move(code);
        place.name = std::move(name);
        if (const PlaceTally *t = tally.find(reading.code))
            place.tally = *t;
        table.rows[static_cast<std::size_t>(reading.code.prefecture() - 1)].places.push_back(
            std::move(place));
    };
    for (const MasterPlace &m : master) {
        if (m.code.size() == length) {
            addPlace(m.code, m.name);
        } else if (kind == AwardKind::City && m.code.size() == 6 && isDigits(m.code)) {
            const std::string city = m.code.substr(0, 4);
            if (!cityRecords.contains(city))
                addPlace(city, cityNameOfWards(city, m.name));
        }
    }
    for (PrefectureRow &row : table.rows)
        row.total = static_cast<int>(row.places.size());
    // Worked codes the master does not list, in code order.
    for (const auto &[code, t] : tally.codes(kind)) {
        std::string text = code.text();
        if (listed.contains(text))
            continue;
        AwardPlace place;
        place.code = std::move(text);
        place.inMaster = false;
        place.tally = t;
        table.rows[static_cast<std::size_t>(code.prefecture() - 1)].places.push_back(
            std::move(place));
    }
    for (PrefectureRow &row : table.rows) {
        for (const AwardPlace &place : row.places) {
            row.worked += place.tally.worked() ? 1 : 0;
            row.confirmed += place.tally.confirmed() ? 1 : 0;
        }
        table.worked += row.worked;
        table.confirmed += row.confirmed;
        table.total += row.total;
    }
    return table;
}

} // namespace vz::awards
