// SPDX-License-Identifier: GPL-3.0-or-later
#include "places/master_file.h"

#include "common/data_dir.h"
#include "common/file_io.h"
#include "common/sjis.h"
#include "common/whole_number.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vz::places {

namespace {

// The record field of each text column.
std::optional<MasterText> textFieldOf(int column)
{
    switch (column) {
    case kJccColumn:
        return MasterText::JccNumber;
    case kCityColumn:
        return MasterText::CityName;
    case kShortCodeColumn:
        return MasterText::ShortCode;
    case kAreaMarkColumn:
        return MasterText::AreaMark;
    case kLatHemisphereColumn:
        return MasterText::LatHemisphere;
    case kLonHemisphereColumn:
        return MasterText::LonHemisphere;
    default:
        return std::nullopt;
    }
}

constexpr int kNumberColumns[6] = {6, 7, 8, 10, 11, 12};

std::string folderOf(const std::string &path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

std::string nameOf(const std::string &path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

bool isNumberColumn(int column)
{
    return (column >= kLatDegreesColumn && column <= kLatSecondsColumn) ||
           (column >= kLonDegreesColumn && column <= kLonSecondsColumn);
}

std::optional<std::size_t> cellByteLimit(int column)
{
    switch (column) {
    case kJccColumn:
        return 7;
    case kCityColumn:
        return 24;
    case kShortCodeColumn:
    case kAreaMarkColumn:
        return 3;
    case kLatHemisphereColumn:
        return 2;
    case kLonHemisphereColumn:
        return 1;
    default:
        return std::nullopt;
    }
}

std::optional<std::int16_t> parseMasterNumber(std::string_view text)
{
    text = sjis::trimBlanks(text);
    const bool plus = !text.empty() && text.front() == '+';
    if (plus)
        text.remove_prefix(1);
    if (text.empty() || (plus && text.front() == '-'))
        return std::nullopt;
    const auto value = parseWholeNumber(text, -32768, 32767);
    if (!value)
        return std::nullopt;
    return static_cast<std::int16_t>(*value);
}

MasterRow rowOf(const JccMasterRecord &record)
{
    MasterRow row;
    for (int column = kJccColumn; column <= kLonSecondsColumn; ++column)
        if (const auto field = textFieldOf(column))
            row.cell(column) = std::string(record.text(*field));
    for (std::size_t i = 0; i < 6; ++i)
        row.cell(kNumberColumns[i]) = std::to_string(record.number(static_cast<MasterNumber>(i)));
    row.loaded = record;
    return row;
}

std::optional<JccMasterRecord> recordOf(const MasterRow &row)
{
    JccMasterRecord record;
    for (int column = kJccColumn; column <= kLonSecondsColumn; ++column)
        if (const auto field = textFieldOf(column))
            record.setText(*field, row.cell(column));
    for (std::size_t i = 0; i < 6; ++i) {
        const auto value = parseMasterNumber(row.cell(kNumberColumns[i]));
        if (!value)
            return std::nullopt;
        record.setNumber(static_cast<MasterNumber>(i), *value);
    }
    return record;
}

bool isDroppedRow(const MasterRow &row)
{
    return row.cell(kJccColumn) == " ";
}

JumpTarget jumpTarget(std::string_view text, int rowCount)
{
    if (text.empty())
        return {};
    const auto row = parseWholeNumber(text, 1, rowCount);
    if (!row)
        return {JumpTarget::OutOfRange, 0};
    return {JumpTarget::Row, static_cast<int>(*row)};
}

std::string masterBackupPath(const std::string &masterPath)
{
    const std::string name = nameOf(masterPath).substr(0, 8) + ".Bak";
    return DataDir(folderOf(masterPath)).path(name);
}

int FileWriteIo::createBeside(const std::string &target, std::string &tempPath)
{
    return files::createTemporaryBeside(target, tempPath);
}

bool FileWriteIo::writeAll(int fd, std::string_view bytes)
{
    return files::writeAll(fd, bytes);
}

bool FileWriteIo::flush(int fd)
{
    return ::fsync(fd) == 0;
}

bool FileWriteIo::close(int fd)
{
    return ::close(fd) == 0;
}

bool FileWriteIo::replace(const std::string &from, const std::string &to)
{
    return files::renameDurably(from, to);
}

void FileWriteIo::remove(const std::string &path)
{
    ::unlink(path.c_str());
}

FileWriteIo &diskWriteIo()
{
    static FileWriteIo disk;
    return disk;
}

bool replaceFiles(std::span<const std::pair<std::string, std::string>> files, FileWriteIo &io)
{
    std::vector<std::string> temps;
    std::vector<std::string> targets; // the files replaced: a linked file's own
    auto removeTemps = [&] {
        for (const std::string &temp : temps)
            io.remove(temp);
    };
    for (const auto &[path, bytes] : files) {
        std::string temp;
        targets.push_back(files::writeTarget(path));
        const int fd = io.createBeside(targets.back(), temp);
        if (fd < 0) {
            removeTemps();
            return false;
        }
        temps.push_back(temp);
        const bool written = io.writeAll(fd, bytes) && io.flush(fd);
        if (!io.close(fd) || !written) {
            removeTemps();
            return false;
        }
    }
    for (std::size_t i = 0; i < temps.size(); ++i)
        if (!io.replace(temps[i], targets[i])) {
            // Only a folder that turned unwritable between the writes and here ends up in
            // this branch; what is already in place stays, the rest is removed.
            for (std::size_t j = i; j < temps.size(); ++j)
                io.remove(temps[j]);
            return false;
        }
    return true;
}

MasterSaveOutcome saveMasterFile(const std::string &path, const std::vector<MasterRow> &rows,
                                 FileWriteIo &io)
{
    MasterSaveOutcome outcome;
    std::string bytes;
    bytes.reserve(rows.size() * kMasterRecordSize);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        if (isDroppedRow(rows[r]))
            continue;
        if (const auto &loaded = rows[r].loaded; loaded && rowOf(*loaded).cells == rows[r].cells) {
            bytes.append(loaded->bytes.data(), kMasterRecordSize);
            ++outcome.written;
            continue;
        }
        const auto record = recordOf(rows[r]);
        if (!record) {
            outcome.result = MasterSave::BadNumber;
            outcome.row = static_cast<int>(r) + 1;
            for (int column : kNumberColumns)
                if (!parseMasterNumber(rows[r].cell(column))) {
                    outcome.column = column;
                    break;
                }
            return outcome;
        }
        bytes.append(record->bytes.data(), kMasterRecordSize);
        ++outcome.written;
    }

    std::vector<std::pair<std::string, std::string>> writes;
    if (files::exists(path)) {
        auto old = files::readAll(path);
        if (!old) {
            outcome.result = MasterSave::Failed;
            return outcome;
        }
        writes.emplace_back(masterBackupPath(path), std::move(*old));
    }
    writes.emplace_back(path, std::move(bytes));
    if (!replaceFiles(writes, io))
        outcome.result = MasterSave::Failed;
    return outcome;
}

} // namespace vz::places
