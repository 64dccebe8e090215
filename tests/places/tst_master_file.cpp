// SPDX-License-Identifier: GPL-3.0-or-later
#include "places/master_file.h"

#include "support/temp_dir.h"

#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace vz;
using namespace vz::places;
using test::sj;
using test::TempDir;

namespace {

MasterRow row(const std::string &jcc, const std::string &city, int latDegrees = 35)
{
    MasterRow r;
    r.cell(kJccColumn) = jcc;
    r.cell(kCityColumn) = sj(city);
    r.cell(kShortCodeColumn) = sj("ち");
    r.cell(kAreaMarkColumn) = jcc.substr(0, 2);
    r.cell(kLatHemisphereColumn) = "N";
    r.cell(kLonHemisphereColumn) = "E";
    const int numbers[6] = {latDegrees, 41, 38, 139, 45, 12};
    const int columns[6] = {6, 7, 8, 10, 11, 12};
    for (int i = 0; i < 6; ++i)
        r.cell(columns[i]) = std::to_string(numbers[i]);
    return r;
}

std::string fileOf(std::initializer_list<MasterRow> rows)
{
    std::string out;
    for (const MasterRow &r : rows)
        out.append(recordOf(r).value().bytes.data(), kMasterRecordSize);
    return out;
}

std::vector<std::string> namesIn(const TempDir &dir)
{
    std::vector<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(dir.dataDir()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(MasterFile, CellsFollowTheRecordFieldsAndNumbersAreSigned16Bit)
{
    const std::pair<int, std::optional<std::size_t>> limits[] = {
        {0, std::nullopt}, {1, 7}, {2, 24}, {3, 3}, {4, 3}, {5, 2}, {6, std::nullopt}, {9, 1}};
    for (const auto &[column, limit] : limits)
        EXPECT_EQ(cellByteLimit(column), limit) << column;
    EXPECT_TRUE(isNumberColumn(6) && isNumberColumn(8) && isNumberColumn(12));
    EXPECT_FALSE(isNumberColumn(5) || isNumberColumn(9) || isNumberColumn(13));

    const std::pair<const char *, std::optional<int>> numbers[] = {{"35", 35},
                                                                   {"-2", -2},
                                                                   {"+7", 7},
                                                                   {" 12 ", 12},
                                                                   {"32767", 32767},
                                                                   {"-32768", -32768},
                                                                   {"32768", std::nullopt},
                                                                   {"-32769", std::nullopt},
                                                                   {"", std::nullopt},
                                                                   {" ", std::nullopt},
                                                                   {"a", std::nullopt},
                                                                   {"3.5", std::nullopt},
                                                                   {"+-1", std::nullopt},
                                                                   {"1 2", std::nullopt}};
    for (const auto &[text, value] : numbers) {
        const auto parsed = parseMasterNumber(text);
        EXPECT_EQ(parsed ? std::optional<int>(*parsed) : std::nullopt, value) << text;
    }

    // A record shows as its cells and the cells give the same record back.
    const MasterRow r = row("100101", "千代田区");
    const JccMasterRecord record = recordOf(r).value();
    EXPECT_EQ(rowOf(record).cells, r.cells);
    EXPECT_EQ(record.number(MasterNumber::LonDegrees), 139);
    MasterRow blankDegrees = r;
    blankDegrees.cell(kLatDegreesColumn).clear();
    EXPECT_FALSE(recordOf(blankDegrees));
}

TEST(MasterFile, JumpNamesRowsOneToTheLast)
{
    const std::tuple<const char *, JumpTarget::Kind, int> cases[] = {
        {"", JumpTarget::Empty, 0},
        {"1", JumpTarget::Row, 1},
        {"5", JumpTarget::Row, 5},
        {"6", JumpTarget::OutOfRange, 0},
        {"0", JumpTarget::OutOfRange, 0},
        {"-1", JumpTarget::OutOfRange, 0},
        {"2a", JumpTarget::OutOfRange, 0},
        {"x", JumpTarget::OutOfRange, 0},
        {"99999999999", JumpTarget::OutOfRange, 0}};
    for (const auto &[text, kind, target] : cases) {
        const JumpTarget jump = jumpTarget(text, 5);
        EXPECT_EQ(jump.kind, kind) << text;
        EXPECT_EQ(jump.row, target) << text;
    }
}

TEST(MasterFile, SaveDropsSingleBlankRowsAndKeepsTheOldFileAsBackup)
{
    TempDir dir;
    const std::string before = fileOf({row("1001", "東京都"), row("1002", "旧市")});
    dir.write("Master01.cty", before);
    dir.write("MASTER01.BAK", "an older backup");
    MasterRow dropped = row("1002", "旧市");
    dropped.cell(kJccColumn) = " ";
    dropped.cell(kLatDegreesColumn).clear(); // not even looked at
    MasterRow twoBlanks = row("  ", "二空白");

    const MasterSaveOutcome saved = saveMasterFile(
        dir.file("Master01.cty"), {row("1001", "東京都"), dropped, twoBlanks, row("1003", "新市")});
    EXPECT_EQ(saved.result, MasterSave::Ok);
    EXPECT_EQ(saved.written, 3);
    EXPECT_EQ(dir.read("Master01.cty"),
              fileOf({row("1001", "東京都"), twoBlanks, row("1003", "新市")}));
    // The older backup, found whatever its case, now holds the file as it was.
    EXPECT_EQ(dir.read("MASTER01.BAK"), before);
    EXPECT_EQ(namesIn(dir), (std::vector<std::string>{"MASTER01.BAK", "Master01.cty"}));
    EXPECT_EQ(masterBackupPath(dir.file("Master10.cty")), dir.file("Master10.Bak"));
}

TEST(MasterFile, BadNumberStopsTheSaveBeforeAnythingIsWritten)
{
    TempDir dir;
    const std::string before = fileOf({row("1001", "東京都")});
    dir.write("Master01.cty", before);
    MasterRow empty = row("1002", "市");
    empty.cell(11) = "";
    const MasterSaveOutcome saved =
        saveMasterFile(dir.file("Master01.cty"), {row("1001", "東京都"), empty});
    EXPECT_EQ(saved.result, MasterSave::BadNumber);
    EXPECT_EQ(saved.row, 2);
    EXPECT_EQ(saved.column, 11);
    EXPECT_EQ(dir.read("Master01.cty"), before);
    EXPECT_EQ(namesIn(dir), (std::vector<std::string>{"Master01.cty"}));
}

namespace {

enum class Fault { Create, DiskFull, Flush, Close, Rename };

// The disk, except for one operation that fails.
class FaultyIo final : public FileWriteIo
{
public:
    explicit FaultyIo(Fault fault) : m_fault(fault) {}
    int createBeside(const std::string &target, std::string &tempPath) override
    {
        if (m_fault == Fault::Create)
            return -1;
        if (m_fault == Fault::DiskFull) {
            tempPath = target + ".tmpFULL00";
            return ::open("/dev/full", O_WRONLY | O_CLOEXEC);
        }
        return FileWriteIo::createBeside(target, tempPath);
    }
    bool flush(int fd) override { return m_fault != Fault::Flush && FileWriteIo::flush(fd); }
    bool close(int fd) override { return FileWriteIo::close(fd) && m_fault != Fault::Close; }
    bool replace(const std::string &from, const std::string &to) override
    {
        return m_fault != Fault::Rename && FileWriteIo::replace(from, to);
    }

private:
    Fault m_fault;
};

} // namespace

TEST(MasterFile, FailedSaveLeavesFileAndBackupByteForByte)
{
    for (Fault fault :
         {Fault::Create, Fault::DiskFull, Fault::Flush, Fault::Close, Fault::Rename}) {
        SCOPED_TRACE(static_cast<int>(fault));
        TempDir dir;
        const std::string before = fileOf({row("1001", "東京都"), row("1002", "市")});
        dir.write("Master01.cty", before);
        dir.write("Master01.Bak", "the backup of an earlier save");
        FaultyIo io(fault);
        EXPECT_EQ(saveMasterFile(dir.file("Master01.cty"), {row("1003", "新市")}, io).result,
                  MasterSave::Failed);
        EXPECT_EQ(dir.read("Master01.cty"), before);
        EXPECT_EQ(dir.read("Master01.Bak"), "the backup of an earlier save");
        EXPECT_EQ(namesIn(dir), (std::vector<std::string>{"Master01.Bak", "Master01.cty"}));
    }
}

TEST(MasterFile, RowsNobodyEditedAreSavedByteForByte)
{
    // Damaged records as other programs leave them: each loses a byte when rebuilt from its
    // cells, so only the record as read keeps them.
    const auto record = [](std::size_t at, std::string_view bytes) {
        JccMasterRecord r = recordOf(row("100101", "千代田区")).value();
        std::copy(bytes.begin(), bytes.end(), r.bytes.begin() + static_cast<std::ptrdiff_t>(at));
        return r;
    };
    const JccMasterRecord damaged[] = {
        record(0, "12345678"),                           // number without its NUL
        record(8, sj("中央区") + "\x93"),                // name ends in a lead byte
        record(8, sj("ああああああああああああ") + "x"), // name fills its 25 bytes
        record(33, "abcd"),                              // index without its NUL
        record(41, "N\x81"),                             // hemisphere, half a character
    };
    TempDir dir;
    const std::string path = dir.file("Master01.cty");
    std::string file;
    std::vector<MasterRow> rows;
    for (const JccMasterRecord &r : damaged) {
        file.append(r.bytes.data(), kMasterRecordSize);
        rows.push_back(rowOf(r));
    }
    dir.write("Master01.cty", file);
    ASSERT_EQ(saveMasterFile(path, rows).written, 5);
    EXPECT_EQ(dir.read("Master01.cty"), file);

    // An edited row is built from its cells again; a row merely carrying a record it no
    // longer shows is edited too.
    rows[0].cell(kCityColumn) = sj("新市");
    rows[1].loaded = damaged[2];
    ASSERT_EQ(saveMasterFile(path, rows).result, MasterSave::Ok);
    const std::string saved = dir.read("Master01.cty");
    const JccMasterRecord rebuilt = recordOf(rows[0]).value();
    EXPECT_EQ(saved.substr(0, kMasterRecordSize),
              std::string(rebuilt.bytes.data(), kMasterRecordSize));
    EXPECT_EQ(rebuilt.jccNumber(), "1234567");
    EXPECT_EQ(saved.substr(kMasterRecordSize, kMasterRecordSize),
              std::string(recordOf(rows[1]).value().bytes.data(), kMasterRecordSize));
    EXPECT_EQ(saved.substr(2 * kMasterRecordSize), file.substr(2 * kMasterRecordSize));
}

// A master file that is a symbolic link is saved into the file it points to; the link stays.
TEST(MasterFile, SaveWritesThroughASymbolicLink)
{
    TempDir dir;
    ASSERT_EQ(::mkdir((dir.path() + "/shared").c_str(), 0755), 0);
    const std::string real = dir.path() + "/shared/Master01.cty";
    dir.write("../shared/Master01.cty", fileOf({row("1001", "東京都")}));
    std::filesystem::create_symlink(real, dir.file("Master01.cty"));
    ASSERT_EQ(saveMasterFile(dir.file("Master01.cty"), {row("1003", "新市")}).result,
              MasterSave::Ok);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("Master01.cty")));
    EXPECT_EQ(dir.read("../shared/Master01.cty"), fileOf({row("1003", "新市")}));
}
