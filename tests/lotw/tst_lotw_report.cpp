// SPDX-License-Identifier: GPL-3.0-or-later
// LoTW's report service without the network: the request, what came back, the next date, and
// the download's settings.
#include "lotw/lotw_report.h"
#include "lotw/report_settings.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

using namespace vz;
using namespace vz::lotw;

TEST(LotwReport, RequestEncodesEveryReservedByte)
{
    EXPECT_EQ(percentEncoded("aZ09-._~ &=+%/?#\xe3\x81\x82"),
              "aZ09-._~%20%26%3D%2B%25%2F%3F%23%E3%81%82");
    EXPECT_EQ(reportRequestAddress(kDefaultReportAddress, "ja1abc", "p&w=1", "2026-01-31 08:15:00"),
              "https://lotw.arrl.org/lotwuser/lotwreport.adi?login=ja1abc&password=p%26w%3D1"
              "&qso_query=1&qso_qsl=yes&qso_qslsince=2026-01-31%2008%3A15%3A00");
    // No date yet: every confirmation; an address with a query of its own keeps it.
    EXPECT_EQ(reportRequestAddress("https://x.test/r?a=1", "u", "p", ""),
              "https://x.test/r?a=1&login=u&password=p&qso_query=1&qso_qsl=yes");
    EXPECT_TRUE(isSafeReportAddress(kDefaultReportAddress));
    EXPECT_TRUE(isSafeReportAddress("http://127.0.0.1:8080/r"));
    EXPECT_FALSE(isSafeReportAddress("http://lotw.arrl.org/lotwuser/lotwreport.adi"));
    EXPECT_FALSE(isSafeReportAddress("http://localhost.evil.test/"));
    EXPECT_FALSE(isSafeReportAddress("https://"));
}

TEST(LotwReport, TellsAReportFromAnErrorPageOrACutBody)
{
    const std::string head = "ARRL Logbook of the World Status Report\n<PROGRAMID:4>LoTW\n<eoh>\n";
    EXPECT_EQ(reportKind(head + "<CALL:4>W1AW<eor>\n<app_lotw_eof>\n"), ReportKind::Report);
    EXPECT_EQ(reportKind(head + "<CALL:4>W1AW<eor>\n"), ReportKind::CutOff);
    EXPECT_EQ(reportKind("ARRL Logbook of the World Status Report\nGenerated"), ReportKind::CutOff);
    EXPECT_EQ(reportKind("<html><body>Username/password incorrect</body></html>"),
              ReportKind::WrongPassword);
    EXPECT_EQ(reportKind("<html><body>Page Request Limit!</body></html>"), ReportKind::NotReport);
    EXPECT_EQ(reportKind(""), ReportKind::NotReport);
    EXPECT_EQ(reportRecordCount(head + "<APP_LoTW_EOF>"), 0);
    EXPECT_EQ(reportRecordCount(head + "<CALL:4>W1AW<EOR><CALL:4>K1AB<eor><APP_LoTW_EOF>"), 2);
}

TEST(LotwReport, NextDateIsLotwsLastOneAndNeverGoesBack)
{
    const std::string rx = "<eoh><APP_LoTW_RXQSL:19>2026-01-30 10:00:00<eor>"
                           "<APP_LoTW_RXQSL:19>2026-01-31 09:00:00<eor><APP_LoTW_EOF>";
    EXPECT_EQ(nextSinceDate("<APP_LoTW_LASTQSL:19>2026-02-01 00:00:01\n" + rx, "2026-01-01"),
              "2026-02-01 00:00:01");
    // Without the header field, the latest record; a malformed one counts for nothing.
    EXPECT_EQ(nextSinceDate("<APP_LoTW_LASTQSL:19>2026-13-01 00:00:00\n" + rx, ""),
              "2026-01-31 09:00:00");
    EXPECT_EQ(nextSinceDate("<APP_LoTW_LASTQSL:8>20260201<eoh><APP_LoTW_EOF>", "2026-01-01"),
              "2026-01-01");
    EXPECT_EQ(nextSinceDate("<APP_LoTW_LASTQSL:10>2025-12-31<eoh><APP_LoTW_EOF>", "2026-01-01"),
              "2026-01-01");
    // A length running past the end reads nothing.
    EXPECT_EQ(nextSinceDate("<eoh><APP_LoTW_RXQSL:99>2026-01-30 10:00:00", "2026-01-01"),
              "2026-01-01");
}

// The account is written only when it changed, LoTW's address only when another is chosen or
// the file names one already; the date on its own.
TEST(LotwReport, SettingsAreWrittenOnlyWhenChanged)
{
    test::TempDir dir;
    const std::string path = dir.file("JA1ABC.ini");
    dir.write("JA1ABC.ini", "[LoTW]\r\nLocation=Home\r\n");
    ReportSettings s = readReportSettings(path);
    EXPECT_EQ(s.address, kDefaultReportAddress);
    EXPECT_TRUE(s.user.empty() && s.since.empty());
    ASSERT_TRUE(writeReportAccount(path, "", kDefaultReportAddress));
    EXPECT_EQ(dir.read("JA1ABC.ini"), "[LoTW]\r\nLocation=Home\r\n");
    ASSERT_TRUE(writeReportAccount(path, "ja1abc", kDefaultReportAddress));
    EXPECT_EQ(dir.read("JA1ABC.ini"), "[LoTW]\r\nLocation=Home\r\nUser=ja1abc\r\n");
    ASSERT_TRUE(writeReportAccount(path, "ja1abc", "https://x.test/r"));
    ASSERT_TRUE(writeReportSince(path, "2026-01-31 08:15:00"));
    s = readReportSettings(path);
    EXPECT_EQ(s.address, "https://x.test/r");
    EXPECT_EQ(s.since, "2026-01-31 08:15:00");
    ASSERT_TRUE(writeReportAccount(path, "ja1abc", kDefaultReportAddress));
    EXPECT_EQ(readReportSettings(path).address, kDefaultReportAddress);
    // A date in the file that is not one is no date.
    dir.write("JA1ABC.ini", "[LoTW]\nQslSince=yesterday\n");
    EXPECT_TRUE(readReportSettings(path).since.empty());
}
