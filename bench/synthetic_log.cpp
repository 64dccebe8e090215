// SPDX-License-Identifier: GPL-3.0-or-later
#include "synthetic_log.h"

#include "awards/award_table.h"
#include "common/data_dir.h"
#include "common/file_io.h"
#include "common/sjis.h"
#include "log/confirmation_mark.h"
#include "log/qso_record.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <vector>

namespace vz::bench {

namespace {

using log::Field;

std::string sj(const char *utf8)
{
    return sjis::fromUtf8(utf8).value();
}

struct City
{
    std::string name;
    const char *jcc;
};

const std::vector<City> &cities()
{
    static const std::vector<City> list{
        {sj("千代田区"), "100101"}, {sj("横浜市鶴見区"), "110101"}, {sj("千葉市"), "1201"},
        {sj("さいたま市"), "1301"}, {sj("名古屋市"), "2001"},       {sj("大阪市"), "2501"},
        {sj("広島市"), "3501"},     {sj("高松市"), "3601"},         {sj("福岡市"), "4001"},
        {sj("仙台市"), "0601"},     {sj("札幌市"), "0101"},         {sj("金沢市"), "3001"},
        {sj("長野市"), "0901"},     {sj("那覇市"), "4701"},         {sj("亀田郡"), "01006"},
    };
    return list;
}

const std::array<const char *, 12> kForeign{"W1AW",  "K6ABC",  "VK2XYZ", "DL1ABC",
                                            "BV2AA", "HL1XYZ", "UA3ABC", "VE3XYZ",
                                            "G4ABC", "F5ABC",  "BY1AA",  "ZL2AB"};
const std::array<const char *, 10> kBands{"7",   "14",  "21",  "28",   "50",
                                          "144", "430", "3.5", "1200", "18"};
const std::array<const char *, 8> kModes{"SSB", "CW", "FM", "FT8", "RTTY", "AM", "PACKET", "SSTV"};

std::string suffix(std::mt19937 &rng, int letters)
{
    std::string s;
    for (int i = 0; i < letters; ++i)
        s += static_cast<char>('A' + rng() % 26);
    return s;
}

std::string callsign(std::mt19937 &rng)
{
    // The two stations the history benchmark looks up appear now and then.
    const unsigned roll = rng() % 1000;
    if (roll < 2)
        return kCommonCall;
    if (roll < 3)
        return kRareCall;
    if (roll < 110)
        return std::string(kForeign[rng() % kForeign.size()]);
    if (roll < 140)
        return "7K" + std::to_string(1 + rng() % 4) + suffix(rng, 3); // special-prefix table
    if (roll < 150)
        return "8J" + std::to_string(rng() % 10) + suffix(rng, 2);
    // Area weights: 1 (Kanto) far the busiest, 0 and 9 the rarest.
    static const std::array<int, 10> weights{2, 40, 10, 14, 6, 4, 8, 7, 5, 2};
    int pick = static_cast<int>(rng() % 98);
    int area = 0;
    while (pick >= weights[area])
        pick -= weights[area++];
    const char *second = "AEFGHIJKLMNOPQRS";
    return std::string("J") + second[rng() % 16] + std::to_string(area) + suffix(rng, 3);
}

// Every award place of the shipped master, in an order of popularity fixed by the seed.
std::vector<City> masterCities(std::uint32_t seed)
{
    static std::vector<awards::MasterPlace> places;
    if (places.empty())
        places = awards::loadMasterPlaces(DataDir(std::string(VEZO_SOURCE_DATA) + "/"));
    std::vector<City> out;
    for (const awards::MasterPlace &p : places)
        if (awards::readPlace(p.code).kind == awards::PlaceReading::Code)
            out.push_back({p.name, p.code.c_str()});
    // Cities since merged: numbers no master lists.
    for (const char *gone : {"0180", "1080", "2580", "4080"})
        out.push_back({sj("（合併）"), gone});
    std::shuffle(out.begin(), out.end(), std::mt19937(seed));
    return out;
}

} // namespace

bool writeSyntheticLog(const std::string &path, const SyntheticLogOptions &options)
{
    std::mt19937 rng(options.seed);
    const std::string name = sj("山田");
    const std::string remark = sj("またよろしく");
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = true;
    const std::vector<City> places =
        options.masterPlaces ? masterCities(options.seed) : std::vector<City>();
    const std::string confirmed(log::kDefaultConfirmationMark);
    for (std::int32_t i = 0; i < options.records && ok; ++i) {
        log::QsoRecord record;
        const bool deleted = std::uniform_real_distribution<>(0, 1)(rng) < options.deletedShare;
        if (deleted) {
            record = log::buildDeletedRecord(rng() % 2 == 0);
        } else {
            log::FieldTexts t;
            const City &city = cities()[rng() % cities().size()];
            char date[16];
            char time[16];
            std::snprintf(date, sizeof date, "%02d/%02d/%02d", static_cast<int>(rng() % 30),
                          static_cast<int>(1 + rng() % 12), static_cast<int>(1 + rng() % 28));
            std::snprintf(time, sizeof time, "%02d:%02d", static_cast<int>(rng() % 24),
                          static_cast<int>(rng() % 60));
            t[static_cast<int>(Field::Callsign)] = callsign(rng);
            t[static_cast<int>(Field::QsoDate)] = date;
            t[static_cast<int>(Field::StartTime)] = time;
            t[static_cast<int>(Field::FixedQth)] = city.name;
            t[static_cast<int>(Field::FixedJcc)] = city.jcc;
            t[static_cast<int>(Field::OpName)] = name;
            t[static_cast<int>(Field::HisRst)] = "59";
            t[static_cast<int>(Field::MyRst)] = "57";
            t[static_cast<int>(Field::Frequency)] = kBands[rng() % kBands.size()];
            t[static_cast<int>(Field::Mode)] = kModes[rng() % kModes.size()];
            t[static_cast<int>(Field::Power)] = "50W";
            t[static_cast<int>(Field::UserMark)] = rng() % 10 == 0 ? "B" : "";
            t[static_cast<int>(Field::Remarks)] = remark;
            t[static_cast<int>(Field::EndTime)] = time;
            // Stations abroad have no JCC.
            const char first = t[static_cast<int>(Field::Callsign)][0];
            if (!places.empty() && (first == 'J' || first == '7' || first == '8')) {
                // Popular places far more often than rare ones: u^3 over the shuffled list.
                const double u = std::uniform_real_distribution<>(0, 1)(rng);
                const City &place = places[static_cast<std::size_t>(u * u * u * places.size())];
                const bool portable = rng() % 10 == 0;
                const Field qth = portable ? Field::PortableQth : Field::FixedQth;
                const Field jcc = portable ? Field::PortableJcc : Field::FixedJcc;
                t[static_cast<int>(qth)] = place.name;
                t[static_cast<int>(jcc)] = place.jcc;
                if (portable)
                    t[static_cast<int>(Field::PortableArea)] = std::to_string(rng() % 10);
                const unsigned card = rng() % 9;
                t[static_cast<int>(Field::UserMark)] = card < 2    ? confirmed
                                                       : card == 2 ? "B" + confirmed
                                                       : card == 3 ? "B"
                                                                   : "";
            }
            record = log::buildRecord(t, rng() % 3 == 0, true);
        }
        ok = std::fwrite(record.bytes.data(), 1, log::kRecordSize, f) == log::kRecordSize;
    }
    ok = std::fclose(f) == 0 && ok;
    return ok;
}

std::string benchDataDir(std::int32_t records, double deletedShare)
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() /
                         ("vezo-bench-" + std::to_string(records) + "-" +
                          std::to_string(static_cast<int>(deletedShare * 1000))) /
                         "Data";
    fs::create_directories(dir);
    const std::string log = (dir / "BENCH.DAT").string();
    if (files::size(log).value_or(0) != static_cast<std::uint64_t>(records) * log::kRecordSize) {
        SyntheticLogOptions options;
        options.records = records;
        options.deletedShare = deletedShare;
        if (!writeSyntheticLog(log, options))
            std::fprintf(stderr, "cannot write %s\n", log.c_str());
    }
    const fs::path prefix = dir / "PreFix.CFG";
    if (!fs::exists(prefix))
        fs::copy_file(fs::path(VEZO_SOURCE_DATA) / "PreFix.CFG", prefix);
    return dir.string() + "/";
}

double plainReadSeconds(const std::string &path, int runs)
{
    double best = 1e9;
    std::vector<char> buffer(1 << 22);
    for (int r = 0; r < runs; ++r) {
        const auto start = std::chrono::steady_clock::now();
        std::FILE *f = std::fopen(path.c_str(), "rb");
        if (!f)
            return 0;
        std::size_t total = 0;
        while (const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), f))
            total += n;
        std::fclose(f);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
        if (total == 0)
            break;
    }
    return best;
}

} // namespace vz::bench
