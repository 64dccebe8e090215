// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/confirmation_mark.h"

#include "common/file_io.h"
#include "common/sjis.h"
#include "log/qso_record.h"

#include <algorithm>

namespace vz::log {

bool holdsConfirmationMark(std::string_view userMark, std::string_view mark)
{
    if (mark.empty())
        return false;
    for (std::size_t pos = 0; pos + mark.size() <= userMark.size();) {
        if (userMark.compare(pos, mark.size(), mark) == 0)
            return true;
        pos += sjis::isLeadByte(static_cast<unsigned char>(userMark[pos])) ? 2 : 1;
    }
    return false;
}

std::optional<std::int64_t> contactsHoldingMark(const std::string &logPath, std::string_view mark)
{
    if (!files::exists(logPath) || mark.empty())
        return 0;
    const std::optional<std::string> bytes = files::readAll(logPath);
    if (!bytes)
        return std::nullopt;
    std::int64_t count = 0;
    QsoRecord record;
    for (std::size_t at = 0; at + kRecordSize <= bytes->size(); at += kRecordSize) {
        std::copy_n(bytes->data() + at, kRecordSize, record.bytes.data());
        if (!record.isDeleted() && holdsConfirmationMark(record.field(Field::UserMark), mark))
            ++count;
    }
    return count;
}

} // namespace vz::log
