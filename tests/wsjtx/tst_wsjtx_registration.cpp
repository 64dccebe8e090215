// SPDX-License-Identifier: GPL-3.0-or-later
#include "wsjtx/contact_registration.h"

#include "adif/adif_export.h"
#include "common/progress.h"
#include "log/log_file.h"
#include "log/prefix_table.h"
#include "log/qso_record.h"

#include "support/temp_dir.h"
#include "wsjtx/datagrams.h"

#include <gtest/gtest.h>

namespace {

using namespace vz::wsjtx;
using vz::log::Field;

struct LogRecord
{
    std::string call, date, start, freq, mode;
};

LogRecord recordAt(const std::string &logPath, std::int32_t n)
{
    vz::log::QsoRecord r;
    EXPECT_EQ(vz::log::readRecord(logPath, n, r), vz::log::IoResult::Ok);
    auto text = [&](Field f) { return std::string(r.field(f)); };
    return {text(Field::Callsign), text(Field::QsoDate), text(Field::StartTime),
            text(Field::Frequency), text(Field::Mode)};
}

TEST(WsjtxRegistration, JstOrUtcByAreaOnceForEachContact)
{
    vz::test::TempDir dir;
    dir.installPrefixTable();
    const vz::log::PrefixTable table(dir.file("PreFix.CFG"));
    const std::string logPath = dir.file("JA1ZZZ.DAT");
    const struct
    {
        std::string call, timeOn, mode;
        LogRecord want;
    } cases[] = {
        // A Japanese station is logged in JST, the next day here.
        {"JA1ABC", "231500", "FT8", {"JA1ABC", "26/05/04", "08:15", "7.075", "FT8"}},
        {"BV1AA", "231500", "FT4", {"BV1AA", "26/05/03", "23:15", "7.075", "FT4"}},
    };
    std::int32_t expected = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.call);
        const ReadyContact contact{
            "WSJT-X", c.call,
            *adifForLoggedAdif(vz::test::loggedAdifText(c.call, c.timeOn, c.mode))};
        const RegistrationResult first = registerContact(contact, logPath, table, {});
        ASSERT_EQ(first.outcome, Registration::Registered) << first.reason;
        EXPECT_EQ(first.recordNo, ++expected);
        const LogRecord got = recordAt(logPath, first.recordNo);
        EXPECT_EQ(got.call, c.want.call);
        EXPECT_EQ(got.date, c.want.date);
        EXPECT_EQ(got.start, c.want.start);
        EXPECT_EQ(got.freq, c.want.freq);
        EXPECT_EQ(got.mode, c.want.mode);
        // The same contact again, as a 5 would bring it: a duplicate, nothing appended.
        EXPECT_EQ(registerContact(contact, logPath, table, {}).outcome, Registration::Duplicate);
        EXPECT_EQ(vz::log::recordCount(logPath), expected);
    }
}

TEST(WsjtxRegistration, RefusedContactIsKeptBesideTheLog)
{
    vz::test::TempDir dir;
    dir.installPrefixTable();
    const vz::log::PrefixTable table(dir.file("PreFix.CFG"));
    const std::string logPath = dir.file("JA1ZZZ.DAT");
    const ReadyContact contact{"WSJT-X", "JA1ABCDE/P",
                               *adifForLoggedAdif(vz::test::loggedAdifText("JA1ABCDEF", "0100"))};
    const RegistrationResult r = registerContact(contact, logPath, table, {});
    EXPECT_EQ(r.outcome, Registration::Refused);
    EXPECT_FALSE(r.reason.empty());
    EXPECT_EQ(vz::log::recordCount(logPath), 0);

    const std::string kept = unloggedPath(logPath, "JA1ZZZ");
    EXPECT_EQ(kept, dir.file("JA1ZZZ.wsjtx-unlogged.adi"));
    ASSERT_TRUE(keepUnlogged(kept, contact));
    ASSERT_TRUE(keepUnlogged(kept, contact));
    const std::string text = dir.read("JA1ZZZ.wsjtx-unlogged.adi");
    EXPECT_EQ(text.find("<EOH>"), text.rfind("<EOH>")); // one header
    EXPECT_NE(text.find("JA1ABCDEF"), text.rfind("JA1ABCDEF"));

    // A log that cannot be written is told, not reported as registered.
    const RegistrationResult blocked =
        registerContact(contact, dir.file("no-such-folder/JA1ZZZ.DAT"), table, {});
    EXPECT_EQ(blocked.outcome, Registration::WriteFailed);
}

// What the record has no room for comes back in the export: the grid, exchanges, propagation
// mode and operator from beside the log, found again after the log was reorganized (another
// record number). A comment too long for 備考（追加）is cut with a notice.
TEST(WsjtxRegistration, CommentsAndFieldsWithoutARecordPlaceComeBackInTheExport)
{
    vz::test::TempDir dir;
    dir.installPrefixTable();
    const vz::log::PrefixTable table(dir.file("PreFix.CFG"));
    const std::string logPath = dir.file("JA1ZZZ.DAT");
    vz::adif::ImportOptions options;
    options.ownCallsign = "JA1ZZZ";
    for (const auto &[call, comment] :
         {std::pair<std::string, std::string>{"BV1AA", "tnx fer QSO 73"},
          {"K1ABC", "worked on the long path at sunrise"}}) {
        QsoLogged m;
        m.id = "WSJT-X";
        m.dxCall = call;
        m.dxGrid = "PM95";
        m.txFrequency = 14074000;
        m.mode = "FT8";
        m.comments = comment;
        m.timeOn = m.timeOff = vz::test::utcTime(12, call == "BV1AA" ? 0 : 5, 0);
        m.operatorCall = "JA1OPR";
        m.exchangeSent = "599 13";
        m.propagationMode = "ES";
        const ReadyContact contact{"WSJT-X", call, adifForQsoLogged(m)};
        const RegistrationResult r = registerContact(contact, logPath, table, options);
        ASSERT_EQ(r.outcome, Registration::Registered);
        EXPECT_EQ(r.reason.find("備考（追加）を欄の幅"), call == "BV1AA" ? std::string::npos : 0u)
            << r.reason;
    }
    vz::log::QsoRecord first;
    ASSERT_EQ(vz::log::readRecord(logPath, 1, first), vz::log::IoResult::Ok);
    EXPECT_EQ(first.field(Field::Remarks), "tnx fer QSO 73");
    vz::log::QsoRecord second;
    ASSERT_EQ(vz::log::readRecord(logPath, 2, second), vz::log::IoResult::Ok);
    EXPECT_EQ(second.field(Field::Remarks), "worked on the long path at sun");
    // Reorganized: the records swap places.
    dir.write("JA1ZZZ.DAT", std::string(second.bytes.begin(), second.bytes.end()) +
                                std::string(first.bytes.begin(), first.bytes.end()));

    vz::adif::ExportOptions out;
    out.format = vz::adif::Format::Adi;
    out.charset = vz::adif::Charset::Utf8;
    out.stationCallsign = "JA1ZZZ";
    vz::NoProgress quiet;
    ASSERT_EQ(vz::adif::exportAdif(logPath, dir.file("out.adi"), table, out, quiet).result,
              vz::adif::ExportResult::Ok);
    const std::string adi = dir.read("out.adi");
    for (const char *kept :
         {"<CALL:5>K1ABC <QSO_DATE:8>20260503 <TIME_ON:4>1205", "<COMMENT:14>tnx fer QSO 73",
          "<GRIDSQUARE:4>PM95", "<STX_STRING:6>599 13", "<PROP_MODE:2>ES", "<OPERATOR:6>JA1OPR"})
        EXPECT_NE(adi.find(kept), std::string::npos) << kept << "\n" << adi;
    std::size_t grids = 0;
    for (std::size_t at = 0; (at = adi.find("<GRIDSQUARE:4>PM95", at)) != std::string::npos; ++at)
        ++grids;
    EXPECT_EQ(grids, 2u);
}

} // namespace
