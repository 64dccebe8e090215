// SPDX-License-Identifier: GPL-3.0-or-later
// Editing a JCC master file as a table: a record shows as one row of twelve cells (the JCC
// number, city name, index initial, area text, latitude hemisphere, degrees, minutes, seconds,
// longitude hemisphere, degrees, minutes, seconds), and the rows are written back as records.
//
// What the table may hold follows the record: a text cell takes at most the bytes of its field
// (counted in Shift_JIS), a number cell a signed 16-bit decimal. A row whose JCC cell is a
// single blank is the operator's way to drop a city and is left out of the file.
//
// A save writes the new file and a copy of the old one (the backup, first eight characters of
// the file's name + ".Bak") to temporary files beside them and renames both into place only
// when both are complete on disk, so a failed save leaves the file and its backup as they were.
#pragma once

#include "places/jcc_master.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vz::places {

// Table columns: 0 the row number, then the twelve cells of a record.
enum MasterColumn : int {
    kRowNumberColumn = 0,
    kJccColumn = 1,
    kCityColumn = 2,
    kShortCodeColumn = 3,
    kAreaMarkColumn = 4,
    kLatHemisphereColumn = 5,
    kLatDegreesColumn = 6,
    kLatSecondsColumn = 8,
    kLonHemisphereColumn = 9,
    kLonDegreesColumn = 10,
    kLonSecondsColumn = 12,
};
constexpr int kMasterColumnCount = 13;

// The cells of columns 1 to 12, Shift_JIS text.
struct MasterRow
{
    std::array<std::string, 12> cells;
    // The record the row was shown from. While the cells still read as that record shows,
    // the record is saved byte for byte: a damaged record (a number filling its field without
    // a NUL, a name ending in half a character) that nobody edited is not rewritten.
    std::optional<JccMasterRecord> loaded;

    std::string &cell(int column) { return cells[static_cast<std::size_t>(column - 1)]; }
    const std::string &cell(int column) const
    {
        return cells[static_cast<std::size_t>(column - 1)];
    }
};

bool isNumberColumn(int column);
// The bytes a text column holds (7, 24, 3, 3, 2, 1); nullopt for the other columns.
std::optional<std::size_t> cellByteLimit(int column);

// Decimal with an optional sign, blanks around it allowed; nullopt when empty, not a number or
// outside -32768..32767.
std::optional<std::int16_t> parseMasterNumber(std::string_view text);

// The row a record shows, remembering the record.
MasterRow rowOf(const JccMasterRecord &record);
// nullopt when a number cell does not hold a valid number.
std::optional<JccMasterRecord> recordOf(const MasterRow &row);
// The row's JCC cell is exactly one blank: the row is not written.
bool isDroppedRow(const MasterRow &row);

// The row a "JMP" text names among `rowCount` data rows.
struct JumpTarget
{
    enum Kind {
        Empty,      // nothing typed
        Row,        // `row`, 1-based
        OutOfRange, // 0, negative, beyond the last row, or not a whole number
    };
    Kind kind = Empty;
    int row = 0;
};
JumpTarget jumpTarget(std::string_view text, int rowCount);

// The backup of a master file: the same folder, the first eight characters of its name and
// ".Bak" (Master01.cty -> Master01.Bak); an existing backup is found whatever its letter case.
std::string masterBackupPath(const std::string &masterPath);

// The file operations of a whole-file replacement. The program uses the disk; tests replace
// single operations to fail as a full or broken disk would.
class FileWriteIo
{
public:
    virtual ~FileWriteIo() = default;
    // Creates a new empty file with a unique name beside `target`; its descriptor (and
    // `tempPath`), or -1.
    virtual int createBeside(const std::string &target, std::string &tempPath);
    virtual bool writeAll(int fd, std::string_view bytes);
    // Forces the written bytes to the disk.
    virtual bool flush(int fd);
    virtual bool close(int fd);
    // Renames `from` over `to` and makes the rename durable.
    virtual bool replace(const std::string &from, const std::string &to);
    virtual void remove(const std::string &path);
};

FileWriteIo &diskWriteIo();

// Writes every (path, bytes) pair to a temporary file beside its path; only when all of them
// are complete on disk are they renamed into place, in the given order. False when any could
// not be written; the temporary files are then removed and no file has changed.
bool replaceFiles(std::span<const std::pair<std::string, std::string>> files,
                  FileWriteIo &io = diskWriteIo());

enum class MasterSave {
    Ok,
    BadNumber, // a number cell is empty or not a number; nothing was written
    Failed,    // the file or its backup could not be written; both are as they were
};

struct MasterSaveOutcome
{
    MasterSave result = MasterSave::Ok;
    int row = 0;    // BadNumber: the 1-based row
    int column = 0; // BadNumber: the table column
    int written = 0;
};

// Writes the rows, in table order and without the dropped rows, as the master file at `path`,
// and the file as it was before as its backup. A missing master file gets no backup. Rows that
// still show the record they were loaded from are written as that record was.
MasterSaveOutcome saveMasterFile(const std::string &path, const std::vector<MasterRow> &rows,
                                 FileWriteIo &io = diskWriteIo());

} // namespace vz::places
