// SPDX-License-Identifier: GPL-3.0-or-later
#include "adif/adif_export.h"
#include "adif/adif_fields.h"
#include "adif/adif_import.h"
#include "adif/contact_match.h"
#include "log/log_file.h"
#include "log/prefix_table.h"
#include "log/radio_call.h"

#include "common/file_io.h"
#include "common/progress.h"
#include "common/sjis.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <array>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <sys/resource.h>
#include <tuple>

using namespace vz;
using namespace vz::log;
using namespace vz::adif;
using vz::test::sj;
using vz::test::TempDir;

namespace {

constexpr int kYear = 2026;

ExportOptions options(Format format, Charset charset)
{
    ExportOptions o;
    o.format = format;
    o.charset = charset;
    o.stationCallsign = "JA1ZZZ";
    o.ownJcc = "100110";
    o.currentYear = kYear;
    o.createdTimestamp = "20261208 010203";
    o.programVersion = "0.1";
    return o;
}

// 1,000 contacts of every kind the log meets: Japanese names and cities, portable and foreign
// stations, every mode spelling, typed frequencies and powers, empty fields in both forms,
// pending and printed cards.
std::string variedLog(int count)
{
    static const std::array<const char *, 8> names{
        "山田太郎", "佐藤", "John", "-", "", "ﾀﾅｶ", "O'Brien & Co", "鈴木花子さん"};
    static const std::array<const char *, 6> cities{"千代田区", "札幌市中央区", "那覇市",
                                                    "-",        "Honolulu",     "横浜市西区<港>"};
    static const std::array<const char *, 6> jccs{"100101", "0101", "4701", "-", "", "12345"};
    static const std::array<const char *, 22> modes{
        "J3E", "A3J", "A3E", "A3",  "F3E", "F3",   "A1A",   "A1",  "USB",  "LSB", "SSB",
        "CW",  "FM",  "AM",  "FT8", "FT4", "RTTY", "PSK31", "F2A", "C4FM", "-",   "OLIVIA"};
    static const std::array<const char *, 10> freqs{"7.050",   "7050", "430", "1200", "144.12",
                                                    "21.2MHz", "-",    "abc", "",     "3.5"};
    static const std::array<const char *, 7> powers{"10W", "50", "1kW", "QRP", "-", "0.5W", ""};
    static const std::array<const char *, 6> calls{"JA1", "JH3", "7K1", "W1", "8J3", "JR6"};
    std::mt19937 rng(7);
    std::string log;
    for (int i = 0; i < count; ++i) {
        FieldTexts t;
        const std::string prefix = calls[static_cast<std::size_t>(i) % calls.size()];
        t[0] = prefix + std::string(1, static_cast<char>('A' + i % 26)) +
               std::string(1, static_cast<char>('A' + (i / 26) % 26)) +
               (prefix.size() == 2 ? "X" : "");
        switch (i % 7) {
        case 1:
            t[1] = std::to_string(i % 10);
            break;
        case 2:
            t[1] = std::to_string(i % 10);
            t[2] = "AM";
            break;
        case 3:
            t[1] = "A";
            t[2] = "KH6";
            break;
        case 4:
            t[2] = "P"; // a form without an area
            break;
        case 5:
            t[1] = "A"; // abroad without a form: empty, or "-" when empty texts are marked
            break;
        default:
            break;
        }
        const int day = i % 28 + 1;
        const int month = i / 28 % 12 + 1;
        const int year = i % 3 == 0 ? 5 : (i % 3 == 1 ? 26 : 98);
        char text[32];
        std::snprintf(text, sizeof text, "%02d/%02d/%02d", year, month, day);
        t[3] = i % 50 == 7
                   ? std::to_string(year) + "/" + std::to_string(month) + "/" + std::to_string(day)
                   : text;
        const int minute = static_cast<int>(rng() % 1440);
        std::snprintf(text, sizeof text, i % 40 == 3 ? "%02d%02d" : "%02d:%02d", minute / 60,
                      minute % 60);
        t[4] = text;
        t[5] = sj(cities[rng() % cities.size()]);
        t[6] = jccs[rng() % jccs.size()];
        t[7] = sj(cities[rng() % cities.size()]);
        t[8] = jccs[rng() % jccs.size()];
        t[9] = sj(names[rng() % names.size()]);
        t[10] = i % 5 == 0 ? "599" : "59";
        t[11] = i % 9 == 0 ? "" : "57";
        t[12] = freqs[rng() % freqs.size()];
        t[13] = modes[static_cast<std::size_t>(i) % modes.size()];
        t[14] = powers[rng() % powers.size()];
        t[15] = i % 4 == 0 ? "MARK" + std::to_string(i % 3) : "";
        t[16] = i % 6 == 0 ? sj("またよろしく") : (i % 6 == 1 ? "TNX QSO" : "");
        t[17] = i % 8 == 0 ? sj("ＱＳＬはビューロー経由") : "";
        t[18] = i % 7 == 2 ? sj("富士山頂") : "";
        const int end = (minute + static_cast<int>(rng() % 30)) % 1440; // some past midnight
        std::snprintf(text, sizeof text, "%02d:%02d", end / 60, end % 60);
        t[19] = i % 11 == 0 ? "" : text;
        QsoRecord r = buildRecord(t, i % 3 == 0, i % 13 != 5);
        if (i % 97 == 0)
            r.bytes[kQslFlagOffset] = 2; // a flag byte written by something else
        log.append(r.bytes.data(), kRecordSize);
    }
    return log;
}

std::string recordAt(const std::string &log, std::size_t n)
{
    return log.substr((n - 1) * kRecordSize, kRecordSize);
}

ImportSummary importInto(const TempDir &dir, const std::string &adif, const std::string &log,
                         const ImportOptions &o = {})
{
    dir.write("in.adi", adif);
    PrefixTable table(dir.file("PreFix.CFG"));
    table.refreshIfChanged();
    NoProgress quiet;
    if (!files::exists(dir.file(log)))
        dir.write(log, "");
    return importAdif(dir.file("in.adi"), dir.file(log), recordCount(dir.file(log)) + 1, table, o,
                      quiet);
}

std::vector<QsoRecord> recordsOf(const std::string &log)
{
    std::vector<QsoRecord> out(log.size() / kRecordSize);
    for (std::size_t i = 0; i < out.size(); ++i)
        std::copy_n(log.data() + i * kRecordSize, kRecordSize, out[i].bytes.data());
    return out;
}

} // namespace

TEST(AdifFields, BandsModesPowerAndCallsigns)
{
    EXPECT_EQ(bandOf(7.05), "40m");
    EXPECT_EQ(bandOf(430), "70cm");
    EXPECT_EQ(bandOf(1295), "23cm");
    EXPECT_FALSE(bandOf(1200));
    EXPECT_DOUBLE_EQ(*frequencyMhz("7050"), 7.05); // kHz typed
    EXPECT_DOUBLE_EQ(*frequencyMhz("144.12MHz"), 144.12);
    EXPECT_DOUBLE_EQ(*frequencyMhz("1200"), 1200);
    EXPECT_FALSE(frequencyMhz("abc"));
    EXPECT_EQ(modeOf("J3E")->mode, "SSB");
    EXPECT_EQ(modeOf("a1")->mode, "CW");
    EXPECT_EQ(modeOf("LSB")->submode, "LSB");
    EXPECT_EQ(modeOf("FT4")->mode, "MFSK");
    EXPECT_FALSE(modeOf("F2A"));
    EXPECT_TRUE(isModePair("MFSK", "FT4"));
    EXPECT_FALSE(isModePair("SSB", "FT4"));
    EXPECT_DOUBLE_EQ(*powerWatts("1kW"), 1000);
    EXPECT_DOUBLE_EQ(*powerWatts("500mW"), 0.5);
    EXPECT_FALSE(powerWatts("QRP"));

    // The callsign as the card shows it splits back into what the operator entered.
    for (const auto &[area, form] :
         {std::pair{"3", "-"}, std::pair{"2", "AM"}, std::pair{"A", "KH6"}, std::pair{"-", "-"}}) {
        const CallParts parts = splitRadioCall(vz::log::toRadioCall("JX1XXX", area, form));
        EXPECT_EQ(parts.callsign + " " + parts.area + " " + parts.form,
                  std::string("JX1XXX ") + area + " " + form);
    }
    // Letters are upper-cased, never the second byte of a double-byte character ("ヂ" is
    // 0x83 0x61, and 0x61 is "a").
    EXPECT_EQ(upperShiftJis("ssb" + sj("ヂ") + "x"), "SSB" + sj("ヂ") + "X");
    const CallParts abroad = splitRadioCall("kh6/ja1abc");
    EXPECT_EQ(abroad.callsign, "JA1ABC");
    EXPECT_EQ(abroad.area, "A");
    EXPECT_EQ(abroad.form, "KH6");
    const CallParts mobile = splitRadioCall("JA1ABC/2/AM");
    EXPECT_EQ(mobile.area, "2");
    EXPECT_EQ(mobile.form, "AM");

    // Two-digit years: one window, 1950-2049, whatever the year is now.
    EXPECT_EQ(parseLogDate("26/12/31", kYear)->year, 2026);
    EXPECT_EQ(parseLogDate("27/01/01", kYear)->year, 2027);
    EXPECT_EQ(parseLogDate("49/12/31", kYear)->year, 2049);
    EXPECT_EQ(parseLogDate("50/01/01", kYear)->year, 1950);
    EXPECT_FALSE(parseLogDate("05/13/01", kYear));
    EXPECT_FALSE(parseLogTime("24:00"));
    // The dialog's own "yy/mm/dd" and "hh:mm" are read by a shorter way than other spellings;
    // both ways must agree on every value, valid or not.
    const auto two = [](int v) { return std::string{char('0' + v / 10), char('0' + v % 10)}; };
    for (int y = 0; y < 100; ++y)
        for (int m = 0; m <= 13; ++m)
            for (int d = 0; d <= 32; ++d) {
                const auto quick = parseLogDate(two(y) + "/" + two(m) + "/" + two(d), kYear);
                const auto other = parseLogDate(two(y) + "-" + two(m) + "-" + two(d), kYear);
                ASSERT_EQ(quick.has_value(), other.has_value()) << y << " " << m << " " << d;
                if (quick) {
                    ASSERT_TRUE(quick->year == other->year && quick->month == other->month &&
                                quick->day == other->day);
                }
            }
    for (int h = 0; h <= 25; ++h)
        for (int m = 0; m <= 61; ++m)
            ASSERT_EQ(parseLogTime(two(h) + ":" + two(m)),
                      parseLogTime(" " + two(h) + ":" + two(m)));
    EXPECT_FALSE(parseLogDate("2a/01/01", kYear));
    EXPECT_FALSE(parseLogTime("1a:00"));
}

// Every record comes back byte for byte from ADX and from ADI in Shift_JIS and UTF-8.
TEST(AdifRoundTrip, ThousandVariedContactsComeBackByteForByte)
{
    TempDir dir;
    dir.installPrefixTable();
    const std::string original = variedLog(1000);
    dir.write("JA1ZZZ.DAT", original);
    PrefixTable table(dir.file("PreFix.CFG"));
    table.refreshIfChanged();
    NoProgress quiet;
    const std::array<std::pair<std::string, ExportOptions>, 3> runs{{
        {"out.adx", options(Format::Adx, Charset::Utf8)},
        {"out.adi", options(Format::Adi, Charset::ShiftJis)},
        {"out8.adi", options(Format::Adi, Charset::Utf8)},
    }};
    for (const auto &[name, o] : runs) {
        SCOPED_TRACE(name);
        const ExportSummary exported =
            exportAdif(dir.file("JA1ZZZ.DAT"), dir.file(name), table, o, quiet);
        ASSERT_EQ(exported.result, ExportResult::Ok);
        ASSERT_EQ(exported.exported, 1000) << summaryText(exported);
        EXPECT_EQ(exported.textsLeftOut, 0);
        dir.write("EMPTY.DAT", "");
        const ImportSummary imported = importInto(dir, dir.read(name), "EMPTY.DAT");
        ASSERT_EQ(imported.result, ImportResult::Ok);
        EXPECT_EQ(imported.imported, 1000) << summaryText(imported, false);
        EXPECT_TRUE(imported.ignoredFields.empty()) << summaryText(imported, false);
        const std::string back = dir.read("EMPTY.DAT");
        ASSERT_EQ(back.size(), original.size());
        for (std::size_t n = 1; n <= 1000; ++n)
            ASSERT_EQ(recordAt(back, n), recordAt(original, n)) << "record " << n;
    }
}

// The exporter decides this program's own fields directly for records whose callsign fields
// come back as they are; converting every record back must give the very same file.
TEST(AdifExport, OwnFieldsDecidedDirectlyAsAFullConversionDecidesThem)
{
    TempDir dir;
    dir.installPrefixTable();
    std::string log = variedLog(1000);
    const std::array<std::array<const char *, 5>, 7> odd{{
        {"JA1ABC", "1900/1/1", "05:00", " ", "07:00"}, // UTC falls in 1899
        {"JA1ABC", "26-01-02", "0930", "", "0900"},    // end before start
        {"ja1abc", "26/01/03", "10:00", "-", "25:00"}, // lower case, end unreadable
        {"W1AW/P", "26/01/04", "11:00", "-", "-"},
        {"JA1ABCD", "26/01/05", "12:00", "-", "-"}, // too long to come back
        {"", "26/01/06", "13:00", "-", "-"},
        {"JA1ABC", "26/01/07", "14:00", "-", "14:10"},
    }};
    for (const auto &[call, date, start, name, end] : odd) {
        FieldTexts t;
        t[0] = call;
        t[3] = date;
        t[4] = start;
        t[9] = name;
        t[19] = end;
        for (const bool markEmpty : {true, false})
            log.append(buildRecord(t, false, markEmpty).bytes.data(), kRecordSize);
    }
    log.append(log.substr(0, kRecordSize)); // a record whose texts have blanks around them
    std::copy_n(" 59", 3,
                log.end() - static_cast<std::ptrdiff_t>(kRecordSize) +
                    static_cast<std::ptrdiff_t>(fieldSpec(Field::HisRst).offset));
    dir.write("L.DAT", log);
    PrefixTable table(dir.file("PreFix.CFG"));
    NoProgress quiet;
    for (const auto &[format, charset] :
         {std::pair{Format::Adx, Charset::Utf8}, std::pair{Format::Adi, Charset::ShiftJis},
          std::pair{Format::Adi, Charset::Ascii}}) {
        ExportOptions direct = options(format, charset);
        ExportOptions converted = direct;
        converted.convertEveryRecordBack = true;
        exportAdif(dir.file("L.DAT"), dir.file("direct"), table, direct, quiet);
        exportAdif(dir.file("L.DAT"), dir.file("converted"), table, converted, quiet);
        EXPECT_TRUE(dir.read("direct") == dir.read("converted")) << charsetName(charset);
    }
}

TEST(AdifExport, TimesInUtcForJapaneseStationsAndTextsLeftOutOfAscii)
{
    TempDir dir;
    dir.installPrefixTable();
    FieldTexts t;
    t[0] = "JA1ABC";
    t[3] = "26/01/01";
    t[4] = "08:30";
    t[9] = sj("山田");
    t[19] = "09:10";
    std::string log(buildRecord(t, true, true).bytes.data(), kRecordSize);
    t[0] = "W1AW";
    t[3] = "26/01/01";
    t[4] = "23:50";
    t[19] = "00:10";
    t[9] = "Hiram";
    log.append(buildRecord(t, false, true).bytes.data(), kRecordSize);
    t[3] = "yesterday";
    log.append(buildRecord(t, false, true).bytes.data(), kRecordSize);
    log.append(buildDeletedRecord(false).bytes.data(), kRecordSize);
    dir.write("L.DAT", log);
    PrefixTable table(dir.file("PreFix.CFG"));
    NoProgress quiet;
    const ExportSummary s = exportAdif(dir.file("L.DAT"), dir.file("o.adi"), table,
                                       options(Format::Adi, Charset::Ascii), quiet);
    EXPECT_EQ(s.exported, 2);
    EXPECT_EQ(s.deleted, 1);
    ASSERT_EQ(s.unreadable.size(), 1u);
    EXPECT_EQ(s.unreadable[0].first, 3);
    EXPECT_EQ(s.textsLeftOut, 2); // NAME and its own copy
    EXPECT_EQ(s.leftOutRecords, std::vector<std::int32_t>{1});
    const std::string adi = dir.read("o.adi");
    // JST 2026-01-01 08:30 is UTC 2025-12-31 23:30; the end falls on the next UTC day.
    EXPECT_NE(adi.find("<QSO_DATE:8>20251231 <TIME_ON:4>2330 <QSO_DATE_OFF:8>20260101 "
                       "<TIME_OFF:4>0010"),
              std::string::npos);
    EXPECT_NE(adi.find("<QSL_SENT:1>Q <QSL_SENT_VIA:1>B"), std::string::npos);
    EXPECT_NE(adi.find("<MY_CNTY:6>100110 <MY_STATE:2>10"), std::string::npos);
    // Abroad is already UTC; the end past midnight moves the end date.
    EXPECT_NE(
        adi.find("<CALL:4>W1AW <QSO_DATE:8>20260101 <TIME_ON:4>2350 <QSO_DATE_OFF:8>20260102"),
        std::string::npos);
    EXPECT_EQ(adi.find("山田"), std::string::npos);
}

// The written ADI is what ADIF asks: exact lengths, valid dates and times, BAND matching FREQ,
// MODE/SUBMODE pairs of ADIF's table.
TEST(AdifExport, AdiOutputValidates)
{
    TempDir dir;
    dir.installPrefixTable();
    dir.write("L.DAT", variedLog(1000));
    PrefixTable table(dir.file("PreFix.CFG"));
    NoProgress quiet;
    for (const Charset charset : {Charset::Ascii, Charset::ShiftJis}) {
        ASSERT_EQ(exportAdif(dir.file("L.DAT"), dir.file("o.adi"), table,
                             options(Format::Adi, charset), quiet)
                      .result,
                  ExportResult::Ok);
        const std::string adi = dir.read("o.adi");
        const std::size_t eoh = adi.find("<EOH>");
        ASSERT_NE(eoh, std::string::npos);
        std::size_t pos = adi.find('<', eoh + 5);
        std::map<std::string, std::string> record;
        int records = 0;
        while (pos != std::string::npos) {
            const std::size_t close = adi.find('>', pos);
            const std::string tag = adi.substr(pos + 1, close - pos - 1);
            if (tag == "EOR") {
                ++records;
                const auto freq = record.find("FREQ");
                const auto band = record.find("BAND");
                // A band-only contact (a band's name in the log) has BAND and no FREQ.
                if (band != record.end() && freq != record.end()) {
                    EXPECT_TRUE(bandHolds(band->second, std::stod(freq->second)))
                        << freq->second << " " << band->second;
                }
                if (band != record.end()) {
                    EXPECT_TRUE(bandAsTyped(band->second)) << band->second;
                }
                if (record.count("MODE")) {
                    EXPECT_TRUE(isModePair(record["MODE"], record["SUBMODE"])) << record["MODE"];
                }
                EXPECT_FALSE(record.count("SUBMODE") && !record.count("MODE"));
                for (const char *d : {"QSO_DATE", "QSO_DATE_OFF"})
                    if (record.count(d)) {
                        EXPECT_TRUE(parseAdifDate(record[d])) << record[d];
                    }
                for (const char *t : {"TIME_ON", "TIME_OFF"})
                    if (record.count(t)) {
                        EXPECT_TRUE(parseAdifTime(record[t])) << record[t];
                    }
                EXPECT_TRUE(record.count("QSO_DATE") && record.count("TIME_ON"));
                record.clear();
                pos = adi.find('<', close);
                continue;
            }
            const std::size_t colon = tag.find(':');
            ASSERT_NE(colon, std::string::npos) << tag;
            const std::size_t length = std::stoul(tag.substr(colon + 1));
            const std::string value = adi.substr(close + 1, length);
            // Exact: the value is followed by the separator and the next tag, nothing else.
            ASSERT_EQ(adi.substr(close + 1 + length, 2), " <") << tag;
            if (charset == Charset::Ascii) {
                EXPECT_TRUE(isAscii(value)) << tag;
            }
            record[tag.substr(0, colon)] = value;
            pos = close + 1 + length + 1;
        }
        EXPECT_EQ(records, 1000);
    }
}

TEST(AdifImport, RealWorldShapes)
{
    TempDir dir;
    dir.installPrefixTable();
    // Header-less, mixed-case names, comments between fields, type letters, <eor>, a field
    // over two lines, UTF-8 text with byte-counted lengths, and fields with no place here.
    const std::string utf8 =
        "<call:6>JA1ABC <Qso_Date:8:D>20260101 <time_on:6>233000\n"
        "worked him on the long path <FREQ:5>7.050 <mode:3>SSB <SUBMODE:3>LSB\n"
        "<NAME:6>山田 <QTH:12>千代田区 <cnty:6>100101 <Comment:12>line1\r\nline2"
        "<SIG:4>POTA <SIG_INFO:6>JA-001 <TX_PWR:3>100 <qsl_sent:1>Q <eor>\n"
        "<CALL:8>kh6/w1aw <QSO_DATE:8>20260102 <TIME_ON:4>0100 <TIME_OFF:4>0130"
        " <BAND:3>20m <MODE:2>CW <SIG:4>SOTA <EOR>\n";
    const ImportSummary s = importInto(dir, utf8, "L.DAT");
    ASSERT_EQ(s.result, ImportResult::Ok);
    EXPECT_EQ(s.file.charset, Charset::Utf8);
    EXPECT_FALSE(s.file.lengthsInCharacters);
    EXPECT_EQ(s.imported, 2) << summaryText(s, false);
    EXPECT_EQ(s.ignoredFields.at("SIG"), 2);
    EXPECT_EQ(s.ignoredFields.at("SIG_INFO"), 1);
    const std::vector<QsoRecord> r = recordsOf(dir.read("L.DAT"));
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0].field(Field::Callsign), "JA1ABC");
    EXPECT_EQ(r[0].field(Field::QsoDate), "26/01/02"); // UTC 23:30 is 08:30 JST next day
    EXPECT_EQ(r[0].field(Field::StartTime), "08:30");
    EXPECT_EQ(r[0].field(Field::OpName), sj("山田"));
    EXPECT_EQ(r[0].field(Field::FixedQth), sj("千代田区"));
    EXPECT_EQ(r[0].field(Field::FixedJcc), "100101");
    EXPECT_EQ(r[0].field(Field::Mode), "LSB");
    EXPECT_EQ(r[0].field(Field::Frequency), "7.050");
    EXPECT_EQ(r[0].field(Field::Power), "100W");
    EXPECT_EQ(r[0].field(Field::Remarks), "line1\r\nline2");
    EXPECT_EQ(r[0].field(Field::EndTime), "-");
    EXPECT_TRUE(r[0].qslPending());
    EXPECT_EQ(r[1].field(Field::Callsign), "W1AW");
    EXPECT_EQ(r[1].field(Field::PortableArea), "A");
    EXPECT_EQ(r[1].field(Field::PortableForm), "KH6");
    EXPECT_EQ(r[1].field(Field::StartTime), "01:00"); // abroad stays UTC
    EXPECT_EQ(r[1].field(Field::EndTime), "01:30");
    EXPECT_EQ(r[1].field(Field::Frequency), "14"); // BAND 20m alone: the Japanese band name
    EXPECT_EQ(r[1].field(Field::Remarks), "-");
    EXPECT_FALSE(r[1].qslPending());

    // Shift_JIS bytes, and lengths counted in characters by a program that confused the two.
    const std::string shiftJis =
        "<CALL:6>JH3XYZ<QSO_DATE:8>20250505<TIME_ON:4>0300<NAME:4>" + sj("佐藤") + "<EOR>";
    const ImportSummary s2 = importInto(dir, shiftJis, "M.DAT");
    EXPECT_EQ(s2.file.charset, Charset::ShiftJis);
    const std::string counted = "<CALL:6>JH3XYZ<QSO_DATE:8>20250505<TIME_ON:4>0300<NAME:2>佐藤"
                                "<QTH:3>大阪市<EOR>";
    const ImportSummary s3 = importInto(dir, counted, "N.DAT");
    EXPECT_TRUE(s3.file.lengthsInCharacters);
    for (const char *log : {"M.DAT", "N.DAT"}) {
        const std::vector<QsoRecord> m = recordsOf(dir.read(log));
        ASSERT_EQ(m.size(), 1u) << log;
        EXPECT_EQ(m[0].field(Field::OpName), sj("佐藤"));
        EXPECT_EQ(m[0].field(Field::QsoDate), "25/05/05");
        EXPECT_EQ(m[0].field(Field::StartTime), "12:00");
    }
    EXPECT_EQ(recordsOf(dir.read("N.DAT"))[0].field(Field::FixedQth), sj("大阪市"));

    // The first record reads without a split in bytes, wrongly; the second shows the file counts
    // characters, and the import starts over rather than keep the first reading.
    const std::string late = "<CALL:6>JH3XYZ<QSO_DATE:8>20250505<TIME_ON:4>0300<NAME:2>" +
                             sj("佐藤") + "<EOR><CALL:6>JH3XYY<QSO_DATE:8>20250505" +
                             "<TIME_ON:4>0300<NAME:1>" + sj("佐") + "<EOR>";
    const ImportSummary s4 = importInto(dir, late, "O.DAT");
    EXPECT_TRUE(s4.file.lengthsInCharacters);
    EXPECT_EQ(s4.read, 2);
    const std::vector<QsoRecord> o = recordsOf(dir.read("O.DAT"));
    ASSERT_EQ(o.size(), 2u);
    EXPECT_EQ(o[0].field(Field::OpName), sj("佐藤"));
    EXPECT_EQ(o[1].field(Field::OpName), sj("佐"));
}

TEST(AdifImport, RefusesCutsDuplicatesStrictAndDryRun)
{
    TempDir dir;
    dir.installPrefixTable();
    const std::string adi =
        "<CALL:6>JA1ABC<QSO_DATE:8>20260101<TIME_ON:4>0000<EOR>"
        "<CALL:6>JA1ABC<QSO_DATE:8>20260101<TIME_ON:4>0000<EOR>"    // duplicate
        "<CALL:9>JA1ABCDEF<QSO_DATE:8>20260101<TIME_ON:4>0000<EOR>" // callsign too long
        "<CALL:6>JA2ABC<QSO_DATE:8>2026013<TIME_ON:4>0000<EOR>"     // no date
        "<CALL:6>JA3ABC<QSO_DATE:8>20260101<EOR>"                   // no start time
        "<QSO_DATE:8>20260101<TIME_ON:4>0000<EOR>"                  // no callsign
        "<CALL:6>JA4ABC<QSO_DATE:8>20260101<TIME_ON:4>0000<NAME:20>ABCDEFGHIJKLMNOPQRST<EOR>"
        "<CALL:6>JA5ABC<QSO_DATE:8>20260101<TIME_ON:4>0000<NAME:5>Jos\xC3\xA9<EOR>";
    const ImportSummary dry = importInto(dir, adi, "L.DAT", {false, true});
    EXPECT_EQ(dry.imported, 3);
    EXPECT_EQ(dir.read("L.DAT").size(), 0u);
    const ImportSummary strict = importInto(dir, adi, "L.DAT", {true, true});
    EXPECT_EQ(strict.imported, 1);
    EXPECT_EQ(strict.refused.size(), 6u);

    const ImportSummary s = importInto(dir, adi, "L.DAT");
    EXPECT_EQ(s.read, 8);
    EXPECT_EQ(s.imported, 3);
    EXPECT_EQ(s.duplicates, 1);
    ASSERT_EQ(s.refused.size(), 4u);
    EXPECT_EQ(s.refused[0].adifRecord, 3);
    ASSERT_EQ(s.changed.size(), 2u);
    EXPECT_EQ(s.changed[0].adifRecord, 7);
    const std::vector<QsoRecord> r = recordsOf(dir.read("L.DAT"));
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[1].field(Field::OpName), "ABCDEFGHIJKLMN"); // cut to 14 bytes
    EXPECT_EQ(r[2].field(Field::OpName), "Jos?");
    EXPECT_EQ(s.firstRecordNo, 1);
    EXPECT_EQ(s.lastRecordNo, 3);
    // Importing again finds every contact in the log already.
    const ImportSummary again = importInto(dir, adi, "L.DAT");
    EXPECT_EQ(again.imported, 0);
    EXPECT_EQ(again.duplicates, 4);
}

// A large file is read in two stretches at once. Whatever the file, that must give what
// one pass gives: the same records in the same order, a contact of the second stretch that
// repeats one of the first skipped (with what its conversion would have changed), refusals and
// cuts listed at their place in the file.
TEST(AdifImport, TwoStretchesAtOnceImportAsOnePass)
{
    TempDir dir;
    dir.installPrefixTable();
    const auto bothWays = [&](const std::string &adif, const char *what) {
        SCOPED_TRACE(what);
        dir.write("ONE.DAT", "");
        dir.write("TWO.DAT", "");
        ImportOptions onePass;
        onePass.splitFrom = adif.size() + 1;
        ImportOptions split;
        split.splitFrom = 0;
        const ImportSummary one = importInto(dir, adif, "ONE.DAT", onePass);
        const ImportSummary two = importInto(dir, adif, "TWO.DAT", split);
        EXPECT_EQ(dir.read("TWO.DAT"), dir.read("ONE.DAT"));
        EXPECT_EQ(summaryText(two, false), summaryText(one, false));
        EXPECT_EQ(two.areas, one.areas);
        return two;
    };

    // An exported log with contacts that are refused, cut or repeated in both stretches.
    dir.write("JA1ZZZ.DAT", variedLog(1000));
    PrefixTable table(dir.file("PreFix.CFG"));
    table.refreshIfChanged();
    NoProgress quiet;
    exportAdif(dir.file("JA1ZZZ.DAT"), dir.file("out.adi"), table,
               options(Format::Adi, Charset::ShiftJis), quiet);
    const std::string exported = dir.read("out.adi");
    const std::string odd = "<CALL:6>JA1QQQ<QSO_DATE:8>20260101<TIME_ON:4>0000<EOR>\n"
                            "<QSO_DATE:8>20260101<TIME_ON:4>0000<NAME:3>Bob<EOR>\n"
                            "<CALL:6>JA1QQR<QSO_DATE:8>20260101<TIME_ON:4>0000<NAME:20>" +
                            std::string(20, 'N') + "<SIG:4>POTA<EOR>\n";
    const std::size_t body = exported.find("<EOH>") + 6;
    const std::string mixed = exported.substr(0, body) + odd + exported.substr(body) + odd +
                              "<call:6>JA1QQS<qso_date:8>20260101<time_on:4>0000<NAME:20>" +
                              std::string(20, 'M') + "<eor>";
    const ImportSummary s = bothWays(mixed, "exported log");
    EXPECT_EQ(s.read, 1007);
    EXPECT_EQ(s.imported, 1003);
    EXPECT_EQ(s.duplicates, 2);
    ASSERT_EQ(s.refused.size(), 2u);
    EXPECT_EQ(s.refused[1].adifRecord, 1005);
    ASSERT_EQ(s.changed.size(), 2u)
        << summaryText(s, false); // the repeated JA1QQR's cut is not listed
    EXPECT_EQ(s.changed[1].adifRecord, 1007);
    EXPECT_EQ(s.ignoredFields.at("SIG"), 2);

    // The first "<EOR>" past the middle lies inside a comment: no split there.
    const std::string comment = std::string(1500, 'x') +
                                "<EOR><CALL:6>JA9FAK<QSO_DATE:8>20260101<TIME_ON:4>0000<EOR>" +
                                std::string(500, 'y');
    const std::string inText = "<CALL:6>JA1AAA<QSO_DATE:8>20260101<TIME_ON:4>0000<EOR>"
                               "<CALL:6>JA1AAB<QSO_DATE:8>20260101<TIME_ON:4>0000<COMMENT:" +
                               std::to_string(comment.size()) + ">" + comment +
                               "<EOR><CALL:6>JA1AAC<QSO_DATE:8>20260101<TIME_ON:4>0000<EOR>";
    EXPECT_EQ(bothWays(inText, "split inside a text").imported, 3);
    EXPECT_EQ(dir.read("TWO.DAT").find("JA9FAK"), std::string::npos);

    // ADX splits where a record element starts, but not at one inside a CDATA section.
    exportAdif(dir.file("JA1ZZZ.DAT"), dir.file("out.adx"), table,
               options(Format::Adx, Charset::Utf8), quiet);
    EXPECT_EQ(bothWays(dir.read("out.adx"), "exported ADX").imported, 1000);
    const std::string contact = "<QSO_DATE>20260101</QSO_DATE><TIME_ON>0000</TIME_ON>";
    const std::string inCdata =
        "<?xml version=\"1.0\"?><ADX><RECORDS><RECORD><CALL>JA1AAA</CALL>" + contact +
        "</RECORD><RECORD><CALL>JA1AAB</CALL>" + contact + "<COMMENT><![CDATA[" +
        std::string(1500, 'x') + "<RECORD><CALL>JA9FAK</CALL>" + contact + "</RECORD>" +
        std::string(500, 'y') + "]]></COMMENT></RECORD><RECORD><CALL>JA1AAC</CALL>" + contact +
        "</RECORD></RECORDS></ADX>";
    EXPECT_EQ(bothWays(inCdata, "split inside a CDATA section").imported, 3);

    // Only the second stretch shows that the lengths count characters.
    std::string counted;
    for (int i = 0; i < 40; ++i)
        counted += "<CALL:6>JA1B" + std::to_string(10 + i) +
                   "X<QSO_DATE:8>20260101<TIME_ON:4>0000" +
                   (i < 30 ? std::string("<NAME:3>Ken") : std::string("<NAME:2>佐藤")) + "<EOR>\n";
    const ImportSummary c = bothWays(counted, "lengths in characters");
    EXPECT_TRUE(c.file.lengthsInCharacters);
    EXPECT_EQ(recordsOf(dir.read("TWO.DAT"))[39].field(Field::OpName), sj("佐藤"));
}

TEST(AdifImport, AFailedWriteLeavesTheLogAsItWas)
{
    TempDir dir;
    dir.installPrefixTable();
    const std::string before = variedLog(20);
    dir.write("L.DAT", before);
    dir.write("F.DAT", variedLog(500));
    PrefixTable table(dir.file("PreFix.CFG"));
    NoProgress quiet;
    ASSERT_EQ(exportAdif(dir.file("F.DAT"), dir.file("x.adx"), table,
                         options(Format::Adx, Charset::Utf8), quiet)
                  .result,
              ExportResult::Ok);
    // A file-size limit stands in for a full disk: the write stops part-way.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = before.size() + 100 * kRecordSize;
    setrlimit(RLIMIT_FSIZE, &small);
    const ImportSummary s = importAdif(dir.file("x.adx"), dir.file("L.DAT"), 21, table, {}, quiet);
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(s.result, ImportResult::WriteFailed);
    EXPECT_EQ(s.imported, 0);
    EXPECT_EQ(dir.read("L.DAT"), before);
}

// ADX as other programs write it: comments, entities and character references, CDATA, empty
// elements, lower-case names, other programs' own fields; and an ADX declared Shift_JIS.
TEST(AdifImport, AdxShapes)
{
    TempDir dir;
    dir.installPrefixTable();
    const std::string adx =
        "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- from another logger -->\n"
        "<ADX><HEADER><ADIF_VER>3.1.7</ADIF_VER></HEADER><RECORDS>\n"
        "<RECORD><call>ja1abc</call><QSO_DATE>20260101</QSO_DATE><TIME_ON>000000</TIME_ON>\n"
        "  <!-- a note --><NAME_INTL>&#x5C71;&#30000; &amp; Co</NAME_INTL>"
        "<COMMENT><![CDATA[<b>73</b>]]></COMMENT><NOTES/>\n"
        "  <APP PROGRAMID=\"OtherLog\" FIELDNAME=\"Rating\" TYPE=\"N\">5</APP>"
        "<USERDEF FIELDNAME=\"EPC\">1</USERDEF></RECORD>\n"
        "<RECORD><CALL>JA2XYZ</CALL><QSO_DATE>20260101</QSO_DATE><TIME_ON>0100</TIME_ON>"
        "</RECORD></RECORDS></ADX>\n";
    const ImportSummary s = importInto(dir, adx, "L.DAT");
    EXPECT_EQ(s.file.format, Format::Adx);
    EXPECT_EQ(s.imported, 2) << summaryText(s, false);
    EXPECT_EQ(s.ignoredFields.at("APP_OTHERLOG_RATING"), 1);
    EXPECT_EQ(s.ignoredFields.at("USERDEF_EPC"), 1);
    const std::vector<QsoRecord> r = recordsOf(dir.read("L.DAT"));
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0].field(Field::Callsign), "JA1ABC");
    EXPECT_EQ(r[0].field(Field::OpName), sj("山田 & Co"));
    EXPECT_EQ(r[0].field(Field::Remarks), "<b>73</b>");
    EXPECT_EQ(r[0].field(Field::Memo), "-");
    EXPECT_EQ(r[0].field(Field::StartTime), "09:00");

    const std::string declaredShiftJis = "<?xml version='1.0' encoding='Shift_JIS'?><ADX><RECORDS>"
                                         "<RECORD><CALL>JA3AAA</CALL><QSO_DATE>20260101</QSO_DATE>"
                                         "<TIME_ON>0100</TIME_ON><QTH>" +
                                         sj("京都市") + "</QTH></RECORD></RECORDS></ADX>";
    importInto(dir, declaredShiftJis, "M.DAT");
    ASSERT_EQ(recordsOf(dir.read("M.DAT")).size(), 1u);
    EXPECT_EQ(recordsOf(dir.read("M.DAT"))[0].field(Field::FixedQth), sj("京都市"));
}

// This program's own fields win over standard ones another program may have edited; a file
// from elsewhere converts back to the forms an operator types.
TEST(AdifImport, OwnFieldsTakePrecedenceAndConversionsBack)
{
    PrefixTable table;
    AdifRecord a;
    a.add("CALL", "JA1ABC/3");
    a.add("QSO_DATE", "20251231");
    a.add("TIME_ON", "1500");
    a.add("TIME_OFF", "1530");
    a.add("FREQ", "14.0745000");
    a.add("MODE", "MFSK");
    a.add("SUBMODE", "FT4");
    a.add("TX_PWR", "0.5");
    a.add("QTH", "Osaka");
    a.add("CNTY", "2501");
    a.add("QSL_SENT", "R");
    a.add("APP_VEZODOVI_MODE", "F1B");
    a.add("APP_VEZODOVI_FIXED_QTH", "");
    Conversion c = toLogRecord(a, table);
    ASSERT_FALSE(c.refusal);
    EXPECT_EQ(c.area, 3); // the portable area, not the callsign's
    EXPECT_EQ(c.record.field(Field::PortableArea), "3");
    EXPECT_EQ(c.record.field(Field::QsoDate), "26/01/01"); // 15:00 UTC is midnight JST
    EXPECT_EQ(c.record.field(Field::StartTime), "00:00");
    EXPECT_EQ(c.record.field(Field::EndTime), "00:30");
    EXPECT_EQ(c.record.field(Field::Frequency), "14.0745");
    EXPECT_EQ(c.record.field(Field::Mode), "F1B");
    EXPECT_EQ(c.record.field(Field::Power), "0.5W");
    EXPECT_EQ(c.record.field(Field::PortableQth), "Osaka"); // portable: the portable pair
    EXPECT_EQ(c.record.field(Field::PortableJcc), "2501");
    EXPECT_EQ(c.record.field(Field::FixedQth), ""); // an empty own text: all zero, no mark
    EXPECT_EQ(c.record.field(Field::FixedJcc), "-");
    EXPECT_TRUE(c.record.qslPending());

    // A station abroad keeps UTC.
    a.clear();
    a.add("CALL", "VK2ABC");
    a.add("QSO_DATE", "20251231");
    a.add("TIME_ON", "1500");
    c = toLogRecord(a, table);
    EXPECT_EQ(c.area, 10);
    EXPECT_EQ(c.record.field(Field::QsoDate), "25/12/31");
    EXPECT_EQ(c.record.field(Field::StartTime), "15:00");
}

// Damaged files never crash the reader nor produce a record it cannot log: bytes of valid ADI
// and ADX files are overwritten, cut and duplicated at random.
namespace {

// A record's fields as one text, to compare what two readings hand on.
std::string flat(const AdifRecord &r)
{
    std::string out;
    for (std::size_t i = 0; i < r.size(); ++i)
        out += std::string(r.name(i)) + "=" + std::string(r.value(i)) + "\x1F";
    return out + "\x1E";
}

} // namespace

TEST(AdifImport, DamagedFilesAreReadSafely)
{
    TempDir dir;
    dir.installPrefixTable();
    dir.write("L.DAT", variedLog(30));
    PrefixTable table(dir.file("PreFix.CFG"));
    NoProgress quiet;
    std::vector<std::string> sources;
    for (const auto &[name, format, charset] : {std::tuple{"a.adi", Format::Adi, Charset::ShiftJis},
                                                std::tuple{"a.adx", Format::Adx, Charset::Utf8}}) {
        exportAdif(dir.file("L.DAT"), dir.file(name), table, options(format, charset), quiet);
        sources.push_back(dir.read(name));
    }
    std::mt19937 rng(11);
    const std::string noise = "<>:/&;#![]EOR\xE3\x81\x82\x82\xA0\x00 9";
    for (int round = 0; round < 400; ++round) {
        std::string bytes = sources[static_cast<std::size_t>(round) % sources.size()];
        for (int k = 0; k < 8; ++k) {
            // The first damage falls near the middle, where a reading in two stretches splits.
            const std::size_t at =
                k == 0 ? (bytes.size() / 2 + rng() % 200) % bytes.size() : rng() % bytes.size();
            switch (rng() % 3) {
            case 0:
                bytes[at] = noise[rng() % noise.size()];
                break;
            case 1:
                bytes.erase(at, rng() % 40);
                break;
            default:
                bytes.insert(at, bytes.substr(rng() % bytes.size(), rng() % 40));
                break;
            }
        }
        int records = 0;
        std::string onePass;
        parseAdif(
            bytes,
            [&](AdifRecord &r, Charset) {
                const Conversion c = toLogRecord(r, table);
                if (!c.refusal) {
                    EXPECT_FALSE(c.record.field(Field::Callsign).empty());
                    EXPECT_FALSE(c.record.isDeleted());
                }
                onePass += flat(r);
                ++records;
            },
            quiet, [&] { onePass.clear(); });
        EXPECT_LE(records, 200);
        // Read in two stretches, a damaged file still gives what one pass gives.
        std::array<std::string, 2> stretches;
        const auto stretch = [&](std::string &into) {
            return StretchHandler{[&into](AdifRecord &r, Charset) { into += flat(r); },
                                  [&into] { into.clear(); }};
        };
        parseAdifInTwo(bytes, stretch(stretches[0]), stretch(stretches[1]), quiet, 0);
        ASSERT_EQ(stretches[0] + stretches[1], onePass) << "round " << round;
    }
}

// Each length is read in bytes when that ends its value cleanly, in characters only when the
// byte reading does not: one wrong length in a file spoils neither the other records nor the
// other fields of its own. A length neither reading ends cleanly is reported where it stands,
// and under strict import refuses its contact.
TEST(AdifImport, LengthsAreDecidedFieldByField)
{
    TempDir dir;
    dir.installPrefixTable();
    dir.write("JA1ZZZ.DAT", variedLog(37));
    PrefixTable table(dir.file("PreFix.CFG"));
    NoProgress quiet;
    exportAdif(dir.file("JA1ZZZ.DAT"), dir.file("own.adi"), table,
               options(Format::Adi, Charset::Utf8), quiet);
    const std::string own = dir.read("own.adi");
    const ImportSummary alone = importInto(dir, own, "REF.DAT");
    ASSERT_EQ(alone.imported, 37) << summaryText(alone, false);

    const std::string bad = "<CALL:6>JA1XYZ<QSO_DATE:8>20260101<TIME_ON:4>0000<NAME:3>山田"
                            "<QTH:4>Kobe<QSL_SENT:1>Y<EOR>\n";
    // A byte-order mark before the file counts in the byte positions named.
    for (const auto &[split, head] :
         {std::pair{false, ""}, std::pair{true, ""}, std::pair{false, "\xEF\xBB\xBF"}}) {
        SCOPED_TRACE(std::string(split ? "two stretches" : "one pass") +
                     (*head ? ", byte-order mark" : ""));
        ImportOptions o;
        o.splitFrom = split ? 0 : std::size_t{1} << 30;
        dir.write("MIX.DAT", "");
        const ImportSummary s = importInto(dir, head + own + bad, "MIX.DAT", o);
        EXPECT_EQ(s.file.charset, Charset::Utf8);
        EXPECT_FALSE(s.file.lengthsInCharacters);
        EXPECT_EQ(s.imported, 38) << summaryText(s, false);
        const std::string mixed = dir.read("MIX.DAT");
        EXPECT_EQ(mixed.substr(0, 37 * kRecordSize), dir.read("REF.DAT"));
        const std::vector<QsoRecord> r = recordsOf(mixed);
        ASSERT_EQ(r.size(), 38u);
        EXPECT_EQ(r[37].field(Field::OpName), sj("山")); // the three bytes the length gave
        EXPECT_EQ(r[37].field(Field::FixedQth), "Kobe");
        ASSERT_FALSE(s.changed.empty());
        EXPECT_EQ(s.changed.back().adifRecord, 38);
        const std::string at =
            std::to_string(std::string_view(head).size() + own.size() + bad.find("<NAME") + 1);
        EXPECT_EQ(s.changed.back().what,
                  "NAME (" + at + " バイト目) の長さが値の終わりに合いません");

        o.strict = true;
        o.dryRun = true;
        const ImportSummary strict = importInto(dir, own + bad, "NONE.DAT", o);
        ASSERT_FALSE(strict.refused.empty());
        EXPECT_EQ(strict.refused.back().adifRecord, 38);
        EXPECT_NE(strict.refused.back().what.find("NAME ("), std::string::npos);
    }

    // Characters counted in one field only: that field in characters, the others in bytes.
    const std::string mixedCounts = "<CALL:6>JA1XYZ<QSO_DATE:8>20260101<TIME_ON:4>0000"
                                    "<NAME:2>山田 <QTH:9>千代田<COMMENT:6>日本<EOR>";
    const ImportSummary m = importInto(dir, mixedCounts, "CNT.DAT");
    EXPECT_TRUE(m.file.lengthsInCharacters);
    EXPECT_TRUE(m.changed.empty()) << summaryText(m, false);
    const std::vector<QsoRecord> c = recordsOf(dir.read("CNT.DAT"));
    ASSERT_EQ(c.size(), 1u);
    EXPECT_EQ(c[0].field(Field::OpName), sj("山田"));
    EXPECT_EQ(c[0].field(Field::FixedQth), sj("千代田"));
    EXPECT_EQ(c[0].field(Field::Remarks), sj("日本"));
}

// A file neither UTF-8 nor Shift_JIS is what Western programs write: Windows-1252, converted,
// with what Shift_JIS cannot hold listed as ever.
TEST(AdifImport, Windows1252FilesAreConverted)
{
    TempDir dir;
    dir.installPrefixTable();
    const std::string latin = "<CALL:6>F5ABCD<QSO_DATE:8>20260101<TIME_ON:4>1200"
                              "<NAME:4>And\xE9<QTH:5>Paris<FREQ:5>14.01<COMMENT:4>a\x85"
                              "b\xD7<EOR>";
    const ImportSummary s = importInto(dir, latin, "L.DAT");
    EXPECT_EQ(s.file.charset, Charset::Windows1252);
    EXPECT_NE(summaryText(s, false).find("文字コード windows-1252"), std::string::npos);
    ASSERT_EQ(s.imported, 1) << summaryText(s, false);
    const std::vector<QsoRecord> r = recordsOf(dir.read("L.DAT"));
    EXPECT_EQ(r[0].field(Field::OpName), "And?");
    EXPECT_EQ(r[0].field(Field::FixedQth), "Paris");
    EXPECT_EQ(r[0].field(Field::Frequency), "14.01");
    EXPECT_EQ(r[0].field(Field::Remarks), sj("a…b×"));
    ASSERT_EQ(s.changed.size(), 1u);
    EXPECT_EQ(s.changed[0].what, "NAME の Shift_JIS にない文字を ? にしました");
}

// A file that ends inside a contact (a length past its end, an element never closed) gives
// the contacts before that one; that one is not logged and is named, read alike in one pass
// or two stretches.
TEST(AdifImport, CutOffContactsAreNotLogged)
{
    TempDir dir;
    dir.installPrefixTable();
    const std::string contact = "<QSO_DATE:8>20260101<TIME_ON:4>0000";
    const std::string two =
        "<CALL:6>JA1AAA" + contact + "<EOR>\n<CALL:6>JA1AAB" + contact + "<EOR>\n";
    // Records after a wrong length: read on, each its own contact.
    std::string after;
    for (int i = 0; i < 20; ++i)
        after += "<CALL:6>JA1B" + std::to_string(10 + i) + contact + "<EOR>\n";
    const std::string adx = "<?xml version=\"1.0\"?><ADX><RECORDS>"
                            "<RECORD><CALL>JA1AAA</CALL><QSO_DATE>20260101</QSO_DATE>"
                            "<TIME_ON>0000</TIME_ON></RECORD>\n"
                            "<RECORD><CALL>JA1AAB</CALL><QSO_DATE>20260101</QSO_DATE>"
                            "<TIME_ON>0000</TIME_ON></RECORD>\n";
    const struct
    {
        const char *what;
        std::string bytes;
        std::size_t cutAt; // where the contact not logged starts
    } cases[] = {
        {"ADI cut inside a value", two + "<CALL:6>JA1CCC" + contact + "<NAME:10>Tar", two.size()},
        {"ADI length swallowing the rest", two + "<CALL:6>JA1CCC<NAME:99999999>Ta<EOR>" + after,
         two.size()},
        {"ADI length of more digits than fit",
         two + "<CALL:6>JA1CCC<NAME:999999999999999999999999>Ta<EOR>" + after, two.size()},
        {"ADI length of twenty nines",
         two + "<CALL:6>JA1CCC<NAME:99999999999999999999>Ta<EOR>" + after, two.size()},
        {"ADI length that would wrap round to 2", // 2^64 + 2
         two + "<CALL:6>JA1CCC<NAME:18446744073709551618>Ta<EOR>" + after, two.size()},
        {"ADX cut inside an element", adx + "<RECORD><CALL>JA1CCC</CALL><NAME>Ta", adx.size()},
        {"ADX element never closed",
         adx + "<RECORD><CALL>JA1CCC</CALL><NAME>Ta</RECORD>" +
             std::string("<RECORD><CALL>JA1DDD</CALL></RECORD></RECORDS></ADX>"),
         adx.size()},
        {"ADX record never closed", adx + "<RECORD><CALL>JA1CCC</CALL>  ", adx.size()},
    };
    for (const auto &c : cases) {
        for (const std::size_t splitFrom : {std::size_t{1} << 30, std::size_t{0}}) {
            SCOPED_TRACE(std::string(c.what) + (splitFrom == 0 ? ", two stretches" : ""));
            ImportOptions o;
            o.splitFrom = splitFrom;
            dir.write("L.DAT", "");
            const ImportSummary s = importInto(dir, c.bytes, "L.DAT", o);
            const std::int64_t readOn = c.bytes.ends_with(after) ? 20 : 0;
            EXPECT_EQ(s.file.cutOff, readOn == 0);
            EXPECT_EQ(s.imported, 2 + readOn) << summaryText(s, false);
            EXPECT_EQ(s.read, 3 + readOn);
            ASSERT_EQ(s.refused.size(), 1u);
            EXPECT_EQ(s.refused[0].adifRecord, 3);
            EXPECT_EQ(s.refused[0].callsign, "JA1CCC");
            EXPECT_EQ(s.refused[0].what, "ファイルが途中で切れています (" +
                                             std::to_string(c.cutAt + 1) +
                                             " バイト目から): 取り込みません");
            EXPECT_EQ(dir.read("L.DAT").size(), static_cast<std::size_t>(2 + readOn) * kRecordSize);
        }
    }
}

// A failed import on a log whose last record was torn by a crash puts back the torn bytes it
// wrote over, byte for byte.
TEST(AdifImport, AFailedWriteKeepsATornTail)
{
    TempDir dir;
    dir.installPrefixTable();
    const std::string before = variedLog(20) + std::string("JA9TORN partial record\0\x01", 25);
    dir.write("L.DAT", before);
    std::string adi;
    for (int i = 0; i < 300; ++i)
        adi += std::string("<CALL:6>JA2") + static_cast<char>('A' + i / 26) +
               static_cast<char>('A' + i % 26) + "X<QSO_DATE:8>20260101<TIME_ON:4>0000<EOR>";
    dir.write("in.adi", adi);
    PrefixTable table(dir.file("PreFix.CFG"));
    NoProgress quiet;
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = before.size() + 100 * kRecordSize;
    setrlimit(RLIMIT_FSIZE, &small);
    const ImportSummary s = importAdif(dir.file("in.adi"), dir.file("L.DAT"),
                                       recordCount(dir.file("L.DAT")) + 1, table, {}, quiet);
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(s.result, ImportResult::WriteFailed);
    EXPECT_EQ(dir.read("L.DAT"), before);
}

// Dates and times with blanks around them, times of every length, the last half-width katakana
// byte of a Shift_JIS file, a frequency of 0.
TEST(AdifImport, ValueShapesAtTheirEdges)
{
    TempDir dir;
    dir.installPrefixTable();
    const struct
    {
        const char *fields;
        Field field;
        const char *logged; // nullptr: refused
        const char *end = "<EOR>";
    } cases[] = {
        {"<QSO_DATE:10> 20260101 <TIME_ON:4>0000", Field::QsoDate, "26/01/01"},
        {"<QSO_DATE:8>20260101<TIME_ON:6> 0930 ", Field::StartTime, "18:30"},
        {"<QSO_DATE:8>20260101<TIME_ON:6>123456", Field::StartTime, "21:34"},
        {"<QSO_DATE:8>20260101<TIME_ON:1>1", Field::StartTime, nullptr},
        {"<QSO_DATE:8>20260101<TIME_ON:3>123", Field::StartTime, nullptr},
        {"<QSO_DATE:8>20260101<TIME_ON:5>12345", Field::StartTime, nullptr},
        {"<QSO_DATE:8>20260101<TIME_ON:4>0000<MODE:4> CW ", Field::Mode, "CW"},
        {"<QSO_DATE:8>20260101<TIME_ON:4>0000<FREQ:1>0", Field::Frequency, "0"},
        {"<QSO_DATE:8>20260101<TIME_ON:4>0000<NAME:2>\xA1\xDF", Field::OpName, "\xA1\xDF"},
        // The last value ends with the file itself: whole, not cut off.
        {"<QSO_DATE:8>20260101<TIME_ON:4>0000<NAME:4>Taro", Field::OpName, "Taro", ""},
    };
    int n = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.fields);
        const std::string log = "L" + std::to_string(n++) + ".DAT";
        const ImportSummary s =
            importInto(dir, std::string("<CALL:6>JA1ABC") + c.fields + c.end, log);
        if (!c.logged) {
            EXPECT_EQ(s.refused.size(), 1u);
            EXPECT_EQ(dir.read(log).size(), 0u);
            continue;
        }
        ASSERT_EQ(s.imported, 1) << summaryText(s, false);
        EXPECT_FALSE(s.file.cutOff);
        EXPECT_EQ(recordsOf(dir.read(log))[0].field(c.field), c.logged);
    }
    // A file whose first byte is half-width katakana is read as Shift_JIS.
    EXPECT_EQ(importInto(dir, "\xB1<CALL:6>JA1ABC<QSO_DATE:8>20260101<TIME_ON:4>0000<EOR>", "K.DAT")
                  .file.charset,
              Charset::ShiftJis);
}

namespace {

// Checks what the progress bar is told: one begin, positions that never run back nor past the
// maximum, and one end after them.
class CheckedProgress final : public ProgressSink
{
public:
    void begin(std::int64_t maximum) override
    {
        ++begins;
        this->maximum = maximum;
        EXPECT_EQ(ends, 0) << "begun after its end";
    }
    void advance(std::int64_t position) override
    {
        EXPECT_EQ(begins, 1) << "advanced before its begin";
        EXPECT_EQ(ends, 0) << "advanced after its end";
        EXPECT_GE(position, last);
        EXPECT_LE(position, maximum);
        last = position;
        ++advances;
    }
    void end() override { ++ends; }

    int begins = 0;
    int advances = 0;
    int ends = 0;
    std::int64_t maximum = 0;
    std::int64_t last = 0;
};

} // namespace

// Every exchange ends its progress as it began it, whether it reads in one pass or two.
TEST(AdifProgress, EveryPassBeginsAdvancesAndEnds)
{
    TempDir dir;
    dir.installPrefixTable();
    dir.write("JA1ZZZ.DAT", variedLog(9000));
    PrefixTable table(dir.file("PreFix.CFG"));
    for (const Format format : {Format::Adi, Format::Adx}) {
        SCOPED_TRACE(format == Format::Adx ? "ADX" : "ADI");
        const std::string out = dir.file(format == Format::Adx ? "o.adx" : "o.adi");
        CheckedProgress exported;
        exportAdif(dir.file("JA1ZZZ.DAT"), out, table, options(format, Charset::ShiftJis),
                   exported);
        EXPECT_EQ(exported.begins, 1);
        EXPECT_EQ(exported.ends, 1);
        EXPECT_EQ(exported.last, 9000);
        for (const std::size_t splitFrom : {std::size_t{1} << 30, std::size_t{0}}) {
            CheckedProgress imported;
            ImportOptions o;
            o.dryRun = true;
            o.splitFrom = splitFrom;
            const ImportSummary s = importAdif(out, dir.file("NEW.DAT"), 1, table, o, imported);
            EXPECT_EQ(s.read, 9000);
            EXPECT_EQ(imported.begins, 1);
            EXPECT_GT(imported.advances, 0);
            EXPECT_EQ(imported.ends, 1);
        }
    }
}

// The last digit of each range: month and day 09, 19:59, in the log's and the file's forms.
TEST(AdifFields, DatesAndTimesAtTheEndsOfTheirDigits)
{
    const struct
    {
        const char *log;
        const char *adif;
        int year, month, day;
    } dates[] = {
        {"26/09/09", "20260909", 2026, 9, 9},
        {"99/09/19", "19990919", 1999, 9, 19},
        {"00/01/01", "20000101", 2000, 1, 1},
    };
    for (const auto &d : dates) {
        const auto fromLog = parseLogDate(d.log, kYear);
        const auto fromAdif = parseAdifDate(d.adif);
        ASSERT_TRUE(fromLog && fromAdif) << d.log;
        EXPECT_EQ(std::tie(fromLog->year, fromLog->month, fromLog->day),
                  std::tie(d.year, d.month, d.day))
            << d.log;
        EXPECT_EQ(std::tie(fromAdif->year, fromAdif->month, fromAdif->day),
                  std::tie(d.year, d.month, d.day))
            << d.adif;
    }
    EXPECT_EQ(parseLogTime("19:59"), 19 * 60 + 59);
    EXPECT_EQ(parseLogTime("09:09"), 9 * 60 + 9);
    EXPECT_EQ(parseAdifTime("0959"), 9 * 60 + 59);
    EXPECT_EQ(parseAdifTime("195959"), 19 * 60 + 59);
    EXPECT_FALSE(parseLogDate("26/0:/09", kYear));
    EXPECT_FALSE(parseAdifDate("2026090:"));
}

// An export that fills the disk (a file-size limit here) leaves the earlier output as it was,
// no temporary file behind, and a summary that claims no records written.
TEST(AdifExport, AFullDiskKeepsTheEarlierOutputAndClaimsNothing)
{
    TempDir dir;
    dir.installPrefixTable();
    dir.write("L.DAT", variedLog(2000));
    dir.write("out.adi", "the earlier export");
    PrefixTable table(dir.file("PreFix.CFG"));
    NoProgress quiet;
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 64 * 1024;
    setrlimit(RLIMIT_FSIZE, &small);
    const ExportSummary s = exportAdif(dir.file("L.DAT"), dir.file("out.adi"), table,
                                       options(Format::Adi, Charset::ShiftJis), quiet);
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(s.result, ExportResult::WriteFailed);
    EXPECT_EQ(summaryText(s), "ADIFファイルに書き込めませんでした\n");
    EXPECT_EQ(dir.read("out.adi"), "the earlier export");
    for (const auto &entry : std::filesystem::directory_iterator(dir.dataDir()))
        EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos);
}

// A received card is the confirmation mark in the user mark: QSL_RCVD "Y" out, the mark back
// in; the log comes back byte for byte, also where the mark sits inside a longer one.
TEST(AdifConfirmation, ReceivedCardsGoOutAsQslRcvdAndComeBackByteForByte)
{
    TempDir dir;
    dir.installPrefixTable();
    const std::array<std::string, 6> marks{sj("受"), sj("QSL受済"),        "-", "A",
                                           "",       "ABCDEFGH" + sj("受")};
    std::string original;
    for (std::size_t i = 0; i < marks.size(); ++i) {
        FieldTexts t;
        t[0] = "JA1AA" + std::string(1, static_cast<char>('A' + i));
        t[3] = "26/01/02";
        t[4] = "10:00";
        t[15] = marks[i];
        const QsoRecord r = buildRecord(t, false, i != 4);
        original.append(r.bytes.data(), kRecordSize);
    }
    dir.write("JA1ZZZ.DAT", original);
    PrefixTable table(dir.file("PreFix.CFG"));
    table.refreshIfChanged();
    NoProgress quiet;
    ImportOptions in;
    in.confirmationMark = sj("受");
    for (const Charset charset : {Charset::ShiftJis, Charset::Utf8}) {
        ExportOptions o = options(Format::Adi, charset);
        o.confirmationMark = sj("受");
        ASSERT_EQ(exportAdif(dir.file("JA1ZZZ.DAT"), dir.file("out.adi"), table, o, quiet).result,
                  ExportResult::Ok);
        const std::string adi = dir.read("out.adi");
        std::size_t received = 0;
        for (std::size_t at = 0; (at = adi.find("<QSL_RCVD:1>Y", at)) != std::string::npos; ++at)
            ++received;
        EXPECT_EQ(received, 3u);
        dir.write("EMPTY.DAT", "");
        const ImportSummary s = importInto(dir, adi, "EMPTY.DAT", in);
        EXPECT_TRUE(s.changed.empty()) << summaryText(s, false);
        EXPECT_TRUE(s.ignoredFields.empty()) << summaryText(s, false);
        EXPECT_EQ(dir.read("EMPTY.DAT"), original);
    }
    // An ASCII file cannot carry the mark itself; QSL_RCVD brings it back.
    ExportOptions ascii = options(Format::Adi, Charset::Ascii);
    ascii.confirmationMark = sj("受");
    ASSERT_EQ(exportAdif(dir.file("JA1ZZZ.DAT"), dir.file("a.adi"), table, ascii, quiet).result,
              ExportResult::Ok);
    dir.write("EMPTY.DAT", "");
    importInto(dir, dir.read("a.adi"), "EMPTY.DAT", in);
    EXPECT_EQ(recordsOf(dir.read("EMPTY.DAT"))[0].field(Field::UserMark), sj("受"));
}

TEST(AdifConfirmation, ImportAddsTheMarkWhenAbsentAndReportsWhenItDoesNotFit)
{
    TempDir dir;
    dir.installPrefixTable();
    const auto contact = [](const char *call, const std::string &extra) {
        return std::string("<CALL:6>") + call + "<QSO_DATE:8>20260101<TIME_ON:4>0100" + extra +
               "<EOR>\n";
    };
    const auto own = [](const std::string &mark) {
        return "<APP_VEZODOVI_USER_MARK:" + std::to_string(mark.size()) + ">" + mark;
    };
    const std::string adif = "<EOH>\n" + contact("JA1AAA", "<QSL_RCVD:1>Y") +
                             contact("JA1AAB", own("AB") + "<qsl_rcvd:1>y") +
                             contact("JA1AAC", own("X" + sj("受") + "Y") + "<QSL_RCVD:1>Y") +
                             contact("JA1AAD", own("ABCDEFGHI") + "<QSL_RCVD:1>Y") +
                             contact("JA1AAE", "<QSL_RCVD:1>N");
    const std::array<std::string, 5> expected{sj("受"), "AB" + sj("受"), "X" + sj("受") + "Y",
                                              "ABCDEFGHI", "-"};
    ImportOptions in;
    in.confirmationMark = sj("受");
    const ImportSummary s = importInto(dir, adif, "L.DAT", in);
    ASSERT_EQ(s.imported, 5) << summaryText(s, false);
    const std::vector<QsoRecord> r = recordsOf(dir.read("L.DAT"));
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(r[i].field(Field::UserMark), expected[i]) << i;
    ASSERT_EQ(s.changed.size(), 1u);
    EXPECT_EQ(s.changed[0].callsign, "JA1AAD");
    EXPECT_NE(summaryText(s, false).find("受領確認マーク"), std::string::npos);
    EXPECT_TRUE(s.ignoredFields.empty());

    // Without a mark nothing is added.
    const ImportSummary plain = importInto(dir, adif, "M.DAT");
    EXPECT_EQ(recordsOf(dir.read("M.DAT"))[0].field(Field::UserMark), "-");
    EXPECT_TRUE(plain.changed.empty());
}

namespace {

// One ADI contact at minute `m` of 2026-03-01 UTC.
std::string contactAt(int m, const std::string &fields)
{
    const std::string time{static_cast<char>('0' + m / 600 % 3),
                           static_cast<char>('0' + m / 60 % 10),
                           static_cast<char>('0' + m % 60 / 10), static_cast<char>('0' + m % 10)};
    return "<QSO_DATE:8>20260301<TIME_ON:4>" + time + fields + "<EOR>\n";
}

std::string field(const std::string &name, const std::string &value)
{
    return "<" + name + ":" + std::to_string(value.size()) + ">" + value;
}

// The standard fields of each record of a written file, in the file's order.
std::vector<std::map<std::string, std::string>> recordsOfFile(const std::string &bytes)
{
    std::vector<std::map<std::string, std::string>> out;
    NoProgress quiet;
    parseAdif(
        bytes,
        [&out](AdifRecord &r, Charset) {
            auto &m = out.emplace_back();
            for (std::size_t i = 0; i < r.size(); ++i)
                m.emplace(std::string(r.name(i)), std::string(r.value(i)));
        },
        quiet);
    return out;
}

std::string callFields(const QsoRecord &r)
{
    return std::string(r.field(Field::Callsign)) + " " + std::string(r.field(Field::PortableArea)) +
           " " + std::string(r.field(Field::PortableForm));
}

} // namespace

// Files of other programs: every designator form and order, band-only contacts under ADIF and
// Japanese names, long modes and submodes. Each is logged as the record can hold it, or
// refused, and export gives back the same CALL, BAND and MODE/SUBMODE.
TEST(AdifWorldFiles, CallsBandsAndModesSurviveImportAndExport)
{
    struct Case
    {
        std::string in;     // fields after date and time
        std::string stored; // callsign, area, form; then frequency and mode; "" when refused
        std::string call;   // CALL written back
        std::string band;   // BAND written back ("" none)
        std::string freq;   // FREQ written back ("" none)
        std::string mode;   // MODE / SUBMODE written back
    };
    const std::vector<Case> cases{
        {field("CALL", "ON4RO/P") + field("BAND", "40m") + field("MODE", "CW"), "ON4RO - P|7|CW",
         "ON4RO/P", "40m", "", "CW/"},
        {field("CALL", "W1AW/QRP") + field("FREQ", "14.074000") + field("BAND", "20m") +
             field("MODE", "FT8"),
         "W1AW - QRP|14.074|FT8", "W1AW/QRP", "20m", "14.074", "FT8/"},
        {field("CALL", "MM0VIK/MM") + field("BAND", "2m") + field("MODE", "FM"),
         "MM0VIK - MM|144|FM", "MM0VIK/MM", "2m", "", "FM/"},
        {field("CALL", "DL/JA1ABC") + field("BAND", "70cm") + field("MODE", "DIGITALVOICE") +
             field("SUBMODE", "DSTAR"),
         "JA1ABC A DL|430|DSTAR", "DL/JA1ABC", "70cm", "", "DIGITALVOICE/DSTAR"},
        {field("CALL", "DU3/WA7WJR") + field("BAND", "23cm") + field("MODE", "DIGITALVOICE"),
         "WA7WJR A DU3|1200|DV", "DU3/WA7WJR", "23cm", "", "DIGITALVOICE/"},
        {field("CALL", "KH6/JA1ABC") + field("BAND", "3cm") + field("MODE", "CONTESTI"),
         "JA1ABC A KH6|10G|CONTST", "KH6/JA1ABC", "3cm", "", "CONTESTI/"},
        {field("CALL", "JA1ABC/1") + field("BAND", "2190m") + field("MODE", "OLIVIA") +
             field("SUBMODE", "OLIVIA 8/250"),
         "JA1ABC 1 -|135k|OL8250", "JA1ABC/1", "2190m", "", "OLIVIA/OLIVIA 8/250"},
        {field("CALL", "ja3xyz/3/p") + field("BAND", "60M") + field("MODE", "JT9") +
             field("SUBMODE", "JT9H FAST"),
         "JA3XYZ 3 P|60m|JT9HF", "JA3XYZ/3/P", "60m", "", "JT9/JT9H FAST"},
        // A digit after a foreign callsign is no Japanese call area: UTC, and the form.
        {field("CALL", "W1AW/7") + field("BAND", "6cm") + field("MODE", "USB"), "W1AW - 7|5600|USB",
         "W1AW/7", "6cm", "", "SSB/USB"},
        // A country prefix written after the callsign comes back before it.
        {field("CALL", "N5AFV/C6A") + field("BAND", "630m") + field("MODE", "SSB"),
         "N5AFV A C6A|475k|SSB", "C6A/N5AFV", "630m", "", "SSB/"},
        {field("CALL", "VP2E/K1ABC") + field("BAND", "20m"), "", "", "", "", ""},
        {field("CALL", "JA1ABC/QRPP") + field("BAND", "20m"), "", "", "", "", ""},
        {field("CALL", "JA1ABCDE/P") + field("BAND", "20m"), "", "", "", "", ""},
        {field("CALL", "KH6/JA1ABC/P") + field("BAND", "20m"), "", "", "", "", ""},
    };
    std::string adi = "made by another program<EOH>\n";
    for (std::size_t i = 0; i < cases.size(); ++i)
        adi += contactAt(static_cast<int>(i), cases[i].in);
    TempDir dir;
    dir.installPrefixTable();
    const ImportSummary s = importInto(dir, adi, "L.DAT");
    ASSERT_EQ(s.result, ImportResult::Ok);
    const std::vector<QsoRecord> log = recordsOf(dir.read("L.DAT"));
    std::size_t next = 0;
    std::size_t refused = 0;
    for (const Case &c : cases) {
        if (c.stored.empty()) {
            ++refused;
            continue;
        }
        ASSERT_LT(next, log.size());
        const QsoRecord &r = log[next++];
        EXPECT_EQ(callFields(r) + "|" + std::string(r.field(Field::Frequency)) + "|" +
                      std::string(r.field(Field::Mode)),
                  c.stored);
    }
    EXPECT_EQ(s.refused.size(), refused);
    EXPECT_EQ(log[8].field(Field::StartTime), "00:08"); // W1AW/7 stays in UTC
    const std::string summary = summaryText(s, false);
    EXPECT_NE(summary.find("国の接頭辞をコールサインの前に移しました (C6A/N5AFV)"),
              std::string::npos)
        << summary;

    PrefixTable table(dir.file("PreFix.CFG"));
    table.refreshIfChanged();
    NoProgress quiet;
    ExportOptions o = options(Format::Adi, Charset::Utf8);
    ASSERT_EQ(exportAdif(dir.file("L.DAT"), dir.file("out.adi"), table, o, quiet).result,
              ExportResult::Ok);
    const auto back = recordsOfFile(dir.read("out.adi"));
    next = 0;
    for (const Case &c : cases) {
        if (c.stored.empty())
            continue;
        ASSERT_LT(next, back.size());
        auto r = back[next++];
        EXPECT_EQ(r["CALL"] + " " + r["BAND"] + " " + r["FREQ"] + " " + r["MODE"] + "/" +
                      r["SUBMODE"],
                  c.call + " " + c.band + " " + c.freq + " " + c.mode);
    }
    // The file read back gives the same records.
    dir.write("again.DAT", "");
    const ImportSummary again =
        importAdif(dir.file("out.adi"), dir.file("again.DAT"), 1, table, {}, quiet);
    EXPECT_EQ(dir.read("again.DAT"), dir.read("L.DAT"));
    EXPECT_TRUE(again.refused.empty());
}

// What a typed frequency writes: a band's name gives BAND alone, a frequency in a band FREQ and
// BAND, anything else neither, and the export lists it.
TEST(AdifWorldFiles, TypedFrequenciesAndBandNames)
{
    const std::vector<std::tuple<std::string, std::string, std::string>> cases{
        {"1.9", "160m", ""},     {"3.5", "80m", ""},
        {"3.8", "80m", ""},      {"7", "40m", ""},
        {"10", "30m", ""},       {"14", "20m", ""},
        {"18", "17m", ""},       {"21", "15m", ""},
        {"24", "12m", ""},       {"28", "10m", ""},
        {"50", "6m", ""},        {"144", "2m", ""},
        {"430", "70cm", ""},     {"1200", "23cm", ""},
        {"2400", "13cm", ""},    {"5600", "6cm", ""},
        {"10G", "3cm", ""},      {"24G", "1.25cm", ""},
        {"47G", "6mm", ""},      {"77G", "4mm", ""},
        {"135k", "2190m", ""},   {"475k", "630m", ""},
        {"144MHz", "2m", ""},    {"2m", "2m", ""},
        {"70cm", "70cm", ""},    {"7.050", "40m", "7.050"},
        {"7050", "40m", "7.05"}, {"40M", "8m", "40"},
        {"10M", "", ""},         {"2M", "160m", "2"},
        {"abc", "", ""},         {"1300MHz", "23cm", "1300"},
    };
    TempDir dir;
    dir.installPrefixTable();
    PrefixTable table(dir.file("PreFix.CFG"));
    table.refreshIfChanged();
    std::string log;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        FieldTexts t;
        t.fill("-");
        t[0] = "JA1ABC";
        t[3] = "26/03/01";
        t[4] = "12:" + std::string(i < 10 ? "0" : "") + std::to_string(i);
        t[12] = std::get<0>(cases[i]);
        t[13] = "CW";
        log.append(buildRecord(t, false, true).bytes.data(), kRecordSize);
    }
    dir.write("L.DAT", log);
    NoProgress quiet;
    const ExportSummary s = exportAdif(dir.file("L.DAT"), dir.file("o.adi"), table,
                                       options(Format::Adi, Charset::Utf8), quiet);
    const auto back = recordsOfFile(dir.read("o.adi"));
    ASSERT_EQ(back.size(), cases.size());
    std::size_t listed = 0;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        auto r = back[i];
        const auto &[typed, band, freq] = cases[i];
        EXPECT_EQ(r["BAND"] + " " + r["FREQ"], band + " " + freq) << typed;
        listed += band.empty();
    }
    EXPECT_EQ(s.noBand.size(), listed);
    // Every contact reads back into the record it was: the log's own field carries the rest.
    dir.write("B.DAT", "");
    importAdif(dir.file("o.adi"), dir.file("B.DAT"), 1, table, {}, quiet);
    EXPECT_EQ(dir.read("B.DAT"), log);
}

// Two contacts are one only when callsign with designators, minute, band and mode agree.
TEST(AdifWorldFiles, OneRuleForTheSameContact)
{
    const std::int64_t t = minutesOf(2026, 3, 1, 600);
    const ContactIdentity base = contactIdentity("JA1ABC", t, "2m", "FM");
    const std::vector<std::tuple<std::string, std::int64_t, std::string, std::string, bool>> cases{
        {"ja1abc", t, "144.5", "F3E", true},  // the same, typed otherwise
        {"JA1ABC", t, "144", "C4FM", false},  // FM and C4FM on 2 m in one minute
        {"JA1ABC", t, "430", "FM", false},    // another band
        {"JA1ABC", t, "", "FM", true},        // no band known on one side
        {"JA1ABC", t, "2m", "-", true},       // no mode known on one side
        {"JA1ABC/P", t, "2m", "FM", false},   // a designator
        {"JA1ABC", t + 1, "2m", "FM", false}, // the next minute
    };
    for (const auto &[call, minute, band, mode, same] : cases)
        EXPECT_EQ(sameContact(base, contactIdentity(call, minute, band, mode)), same)
            << call << " " << band << " " << mode;
    EXPECT_TRUE(sameContact(contactIdentity("W1AW", t, "14.2", "USB"),
                            contactIdentity("W1AW", t, "20m", "SSB")));
    EXPECT_TRUE(sameContact(contactIdentity("W1AW", t, "430", "DV"),
                            contactIdentity("W1AW", t, "430", "DSTAR")));

    // A satellite log: one station twice in a minute on two bands, both kept, then both found.
    TempDir dir;
    dir.installPrefixTable();
    const std::string sat =
        contactAt(5, field("CALL", "JA1ABC") + field("BAND", "2m") + field("MODE", "FM")) +
        contactAt(5, field("CALL", "JA1ABC") + field("BAND", "70cm") + field("MODE", "FM")) +
        contactAt(5, field("CALL", "JA1ABC") + field("BAND", "2m") + field("MODE", "DIGITALVOICE") +
                         field("SUBMODE", "C4FM"));
    EXPECT_EQ(importInto(dir, sat, "L.DAT").imported, 3);
    const ImportSummary again = importInto(dir, sat, "L.DAT");
    EXPECT_EQ(again.imported, 0);
    EXPECT_EQ(again.duplicates, 3);
    ASSERT_EQ(again.duplicateList.size(), 3u);
    EXPECT_EQ(again.duplicateList[1].callsign, "JA1ABC");
}

// The character set is chosen once per file and named in the summary.
TEST(AdifWorldFiles, CharacterSetsOfOtherPrograms)
{
    const std::string call = field("CALL", "DL1ABC") + "<QSO_DATE:8>20260301<TIME_ON:4>1200";
    const auto utf16 = [](const std::string &utf8, bool little, bool bom) {
        std::string out = bom ? (little ? "\xFF\xFE" : "\xFE\xFF") : "";
        // The inputs are ASCII apart from three-byte characters (山田).
        std::u32string wide;
        for (std::size_t i = 0; i < utf8.size();) {
            const auto b = static_cast<unsigned char>(utf8[i]);
            if (b < 0x80) {
                wide += b;
                ++i;
            } else {
                wide += static_cast<char32_t>((b & 0x0F) << 12 | (utf8[i + 1] & 0x3F) << 6 |
                                              (utf8[i + 2] & 0x3F));
                i += 3;
            }
        }
        for (const char32_t w : wide) {
            const char lo = static_cast<char>(w & 0xFF);
            const char hi = static_cast<char>(w >> 8);
            out += little ? std::string{lo, hi} : std::string{hi, lo};
        }
        return out;
    };
    const std::string japanese = call + "<NAME:6>山田<EOR>\n";
    const std::vector<std::tuple<std::string, std::string, std::string, std::string>> cases{
        // Latin-1 with accented letters between letters: not Shift_JIS.
        {"latin-1",
         call + "<NAME:9>D\xFCrenberg<QTH:6>Gro\xDF"
                "er<EOR>\n",
         "windows-1252", "D?renberg"},
        // Half-width katakana alone: Shift_JIS.
        {"katakana", call + "<NAME:4>\xD4\xCF\xC0\xDE<EOR>\n", "shift_jis", "\xD4\xCF\xC0\xDE"},
        {"iso-8859-1 adx",
         "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<ADX><RECORDS><RECORD><CALL>DL1ABC"
         "</CALL><QSO_DATE>20260301</QSO_DATE><TIME_ON>1200</TIME_ON><NAME>J\xFCrgen</NAME>"
         "</RECORD></RECORDS></ADX>\n",
         "windows-1252", "J?rgen"},
        {"utf-16le", utf16(japanese, true, true), "UTF-16", sj("山田")},
        {"utf-16be", utf16(japanese, false, false), "UTF-16", sj("山田")},
        // A header in Shift_JIS does not decide the records' UTF-8.
        {"header", sj("日本語のヘッダ") + "<EOH>\n" + japanese, "utf-8", sj("山田")},
    };
    for (const auto &[what, bytes, charset, name] : cases) {
        TempDir dir;
        dir.installPrefixTable();
        const ImportSummary s = importInto(dir, bytes, "L.DAT");
        ASSERT_EQ(s.imported, 1) << what;
        EXPECT_EQ(recordsOf(dir.read("L.DAT"))[0].field(Field::OpName), name) << what;
        EXPECT_NE(summaryText(s, false).find("文字コード " + charset), std::string::npos)
            << what << "\n"
            << summaryText(s, false);
    }

    // A file of a megabyte or more is scored in two halves at once: its second half counts.
    std::string ascii;
    while (ascii.size() < (std::size_t{1} << 20))
        ascii += call + "<COMMENT:20>" + std::string(20, 'x') + "<EOR>\n";
    for (const std::string &tail : {call + "<NAME:9>D\xFCrenberg<EOR>\n", // a Latin-1 letter
                                    call + "<NAME:2>a\x80<EOR>\n"}) {     // no Shift_JIS
        TempDir dir;
        dir.installPrefixTable();
        EXPECT_EQ(importInto(dir, ascii + tail, "L.DAT", {false, true}).file.charset,
                  Charset::Windows1252);
    }
}

// Another program hands its contacts over as ADIF text: each one's outcome in the file's order.
TEST(AdifWorldFiles, TextFromMemoryReportsEachContact)
{
    TempDir dir;
    dir.installPrefixTable();
    dir.write("L.DAT", "");
    PrefixTable table(dir.file("PreFix.CFG"));
    table.refreshIfChanged();
    NoProgress quiet;
    const std::string text = contactAt(1, field("CALL", "JA1ABC") + field("BAND", "40m")) +
                             contactAt(1, field("CALL", "JA1ABC") + field("BAND", "40m")) +
                             contactAt(2, field("CALL", "VP2E/K1ABC")) +
                             contactAt(3, field("CALL", "JA2XYZ") + field("BAND", "20m"));
    ImportOptions o;
    o.reportEachContact = true;
    const ImportSummary s = importAdifText(text, dir.file("L.DAT"), 1, table, o, quiet);
    ASSERT_EQ(s.contacts.size(), 4u);
    const std::vector<std::pair<ContactOutcome, std::int32_t>> expected{
        {ContactOutcome::Imported, 1},
        {ContactOutcome::Duplicate, 0},
        {ContactOutcome::Refused, 0},
        {ContactOutcome::Imported, 2}};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(s.contacts[i].adifRecord, static_cast<std::int64_t>(i + 1));
        EXPECT_EQ(s.contacts[i].outcome, expected[i].first) << i;
        EXPECT_EQ(s.contacts[i].recordNo, expected[i].second) << i;
    }
    EXPECT_FALSE(s.contacts[2].why.empty());
    EXPECT_EQ(recordCount(dir.file("L.DAT")), 2);
    EXPECT_TRUE(anyRefused(s));
}

// Dates outside 1950-2049 are refused, a value's control characters reach no terminal raw, and
// a kind of change met many times is one line.
TEST(AdifWorldFiles, DateWindowAndReadableSummaries)
{
    TempDir dir;
    dir.installPrefixTable();
    std::string adi;
    for (const char *date : {"19491231", "19500101", "20491231", "20500101"})
        adi += std::string("<CALL:6>JA1ABC<QSO_DATE:8>") + date + "<TIME_ON:4>1200<EOR>\n";
    for (int i = 0; i < 60; ++i)
        adi += contactAt(i, field("CALL", "W1AW") + field("FREQ", "14.074123") +
                                field("NAME", "A\x1b[2Jb"));
    adi += contactAt(0, field("CALL", "K1\x1b]0;x"));
    const ImportSummary s = importInto(dir, adi, "L.DAT");
    EXPECT_EQ(s.imported, 62);
    ASSERT_EQ(s.refused.size(), 3u);
    EXPECT_EQ(s.refused[0].adifRecord, 1);
    EXPECT_EQ(s.refused[1].adifRecord, 4);
    const std::vector<QsoRecord> log = recordsOf(dir.read("L.DAT"));
    EXPECT_EQ(log[0].field(Field::QsoDate), "50/01/01");
    EXPECT_EQ(log[1].field(Field::QsoDate), "49/12/31");
    const std::string text = summaryText(s, false);
    EXPECT_EQ(text.find('\x1b'), std::string::npos);
    EXPECT_NE(text.find("周波数を欄の幅（8バイト）で切りました: 60 件 (例 5 件目 W1AW: "
                        "14.074123 → 14.07412)"),
              std::string::npos)
        << text;
    // The log's dates export in the same window: 1950 stays 1950.
    PrefixTable table(dir.file("PreFix.CFG"));
    table.refreshIfChanged();
    NoProgress quiet;
    ASSERT_EQ(exportAdif(dir.file("L.DAT"), dir.file("o.adi"), table,
                         options(Format::Adi, Charset::Utf8), quiet)
                  .result,
              ExportResult::Ok);
    EXPECT_EQ(recordsOfFile(dir.read("o.adi"))[0]["QSO_DATE"], "19500101");
}

// A file of another station's contacts says so once, with the count; OPERATOR counts only
// without STATION_CALLSIGN (a club station's operator differs by design).
TEST(AdifWorldFiles, AFileFromAnotherStationIsNamed)
{
    TempDir dir;
    dir.installPrefixTable();
    const std::string adi =
        contactAt(1, field("CALL", "W1AW") + field("STATION_CALLSIGN", "JA9XYZ/P")) +
        contactAt(2, field("CALL", "W1AW") + field("STATION_CALLSIGN", "ja1zzz/1")) +
        contactAt(3, field("CALL", "W1AW") + field("STATION_CALLSIGN", "JA1ZZZ") +
                         field("OPERATOR", "JA1OPR")) +
        contactAt(4, field("CALL", "W1AW") + field("OPERATOR", "JA9XYZ")) +
        contactAt(5, field("CALL", "W1AW"));
    ImportOptions o;
    o.ownCallsign = "JA1ZZZ";
    const ImportSummary s = importInto(dir, adi, "L.DAT", o);
    EXPECT_EQ(s.imported, 5);
    EXPECT_EQ(s.otherStation, 2);
    EXPECT_NE(summaryText(s, false).find("他局 (STATION_CALLSIGN) の交信 2 件 (例 JA9XYZ/P)"),
              std::string::npos)
        << summaryText(s, false);
}

// The reader's edges: a "<" inside a value counted in characters, XML comments, CDATA and
// processing instructions in ADX, and a length past the end before a good record.
TEST(AdifWorldFiles, ReaderEdgesKeepWhatTheFileMeant)
{
    TempDir dir;
    dir.installPrefixTable();
    ImportSummary s =
        importInto(dir, contactAt(1, field("CALL", "JA1ABC") + "<COMMENT:6>日本<ja>"), "A.DAT");
    ASSERT_EQ(s.imported, 1);
    EXPECT_EQ(recordsOf(dir.read("A.DAT"))[0].field(Field::Remarks), sj("日本<ja>"));
    ASSERT_EQ(s.changed.size(), 1u);
    EXPECT_NE(s.changed[0].what.find("COMMENT"), std::string::npos);

    const std::string adx =
        "<?xml version=\"1.0\"?><ADX><!-- <RECORD><CALL>JA9OLD</CALL></RECORD> --><RECORDS>"
        "<RECORD><CALL>JA1ABC</CALL><QSO_DATE>20260301</QSO_DATE><TIME_ON>1200</TIME_ON>"
        "<COMMENT><![CDATA[x</COMMENT><NAME>Evil</NAME>]]></COMMENT><?pi </NAME> ?>"
        "<QTH>Ko<!-- </QTH> -->be</QTH></RECORD></RECORDS></ADX>";
    dir.write("in.adx", adx);
    PrefixTable table(dir.file("PreFix.CFG"));
    table.refreshIfChanged();
    NoProgress quiet;
    dir.write("B.DAT", "");
    s = importAdif(dir.file("in.adx"), dir.file("B.DAT"), 1, table, {}, quiet);
    ASSERT_EQ(s.imported, 1) << summaryText(s, false);
    const QsoRecord r = recordsOf(dir.read("B.DAT"))[0];
    EXPECT_EQ(r.field(Field::Callsign), "JA1ABC");
    EXPECT_EQ(r.field(Field::Remarks), "x</COMMENT><NAME>Evil</NAME>");
    EXPECT_EQ(r.field(Field::OpName), "-");
    EXPECT_EQ(r.field(Field::FixedQth), "Kobe");

    s = importInto(dir,
                   contactAt(1, field("CALL", "JA1BAD") + "<NAME:900>Tanaka") +
                       contactAt(2, field("CALL", "JA1GOD")),
                   "C.DAT");
    EXPECT_EQ(s.result, ImportResult::Ok);
    EXPECT_EQ(s.imported, 1);
    ASSERT_EQ(s.refused.size(), 1u);
    EXPECT_EQ(s.refused[0].callsign, "JA1BAD");
    EXPECT_NE(s.refused[0].what.find("途中で切れています"), std::string::npos);
    EXPECT_EQ(recordsOf(dir.read("C.DAT"))[0].field(Field::Callsign), "JA1GOD");
}

// Fields the log keeps no place for are listed as skipped when they say more than the record
// and the settings; DXCC 339 goes out for Japanese contacts only.
TEST(AdifWorldFiles, RestatingFieldsAreSkippedOnlyWhenTheySayMore)
{
    TempDir dir;
    dir.installPrefixTable();
    ImportOptions o;
    o.ownCallsign = "JA1ZZZ";
    o.ownJcc = "100110";
    const std::string restating = field("STATE", "10") + field("CNTY", "100105") +
                                  field("STATION_CALLSIGN", "JA1ZZZ") + field("MY_CNTY", "100110") +
                                  field("MY_STATE", "10") + field("QSL_SENT_VIA", "B") +
                                  field("DXCC", "339");
    const std::string sayingMore = field("STATE", "13") + field("CNTY", "100105") +
                                   field("OPERATOR", "JA1OPR") + field("MY_CNTY", "1301") +
                                   field("MY_STATE", "13") + field("QSL_SENT_VIA", "D") +
                                   field("DXCC", "291") + field("QSO_DATE_OFF", "20260305");
    const ImportSummary s = importInto(dir,
                                       contactAt(1, field("CALL", "JA1ABC") + restating) +
                                           contactAt(2, field("CALL", "JA1ABC") + sayingMore),
                                       "L.DAT", o);
    ASSERT_EQ(s.imported, 2);
    const std::map<std::string, std::int64_t> listed{
        {"DXCC", 1},         {"MY_CNTY", 1},      {"MY_STATE", 1}, {"OPERATOR", 1},
        {"QSL_SENT_VIA", 1}, {"QSO_DATE_OFF", 1}, {"STATE", 1}};
    EXPECT_EQ(s.ignoredFields, listed) << summaryText(s, false);

    // JA1ABC, JD1ABC (Ogasawara), W1AW, and JA1ABC operating as KH6/JA1ABC.
    std::string log;
    for (const auto &[call, area, form] :
         std::vector<std::tuple<std::string, std::string, std::string>>{{"JA1ABC", "-", "-"},
                                                                        {"JD1ABC", "-", "-"},
                                                                        {"W1AW", "-", "-"},
                                                                        {"JA1ABC", "A", "KH6"}}) {
        QsoRecord r;
        for (std::size_t i = 0; i < kTextFieldCount; ++i)
            r.setField(static_cast<Field>(i), "-");
        r.setField(Field::Callsign, call);
        r.setField(Field::PortableArea, area);
        r.setField(Field::PortableForm, form);
        r.setField(Field::QsoDate, "26/03/01");
        r.setField(Field::StartTime, "12:00");
        log += std::string(r.bytes.begin(), r.bytes.end());
    }
    dir.write("E.DAT", log);
    PrefixTable table(dir.file("PreFix.CFG"));
    table.refreshIfChanged();
    NoProgress quiet;
    ASSERT_EQ(exportAdif(dir.file("E.DAT"), dir.file("e.adi"), table,
                         options(Format::Adi, Charset::Utf8), quiet)
                  .result,
              ExportResult::Ok);
    const auto out = recordsOfFile(dir.read("e.adi"));
    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(out[0].count("DXCC") ? out[0].at("DXCC") : "", "339");
    for (std::size_t i = 1; i < 4; ++i)
        EXPECT_EQ(out[i].count("DXCC"), 0u) << out[i].at("CALL");
}
