// SPDX-License-Identifier: GPL-3.0-or-later
#include "adif/confirmation_fields.h"

#include "adif/adif_fields.h"
#include "common/sjis.h"
#include "log/confirmation_mark.h"

#include <algorithm>

namespace vz::adif {

namespace {

// The header of an ADI file: the text before <EOH> when the file does not start with a tag.
// An ADX header is the text before its first record.
std::string_view headerOf(std::string_view text)
{
    constexpr std::size_t kLongestHeader = 64 * 1024;
    const std::string_view start = text.substr(0, kLongestHeader);
    const std::string upper = upperAscii(start);
    if (const std::size_t eoh = upper.find("<EOH>"); eoh != std::string::npos)
        return text.substr(0, eoh);
    if (const std::size_t record = upper.find("<RECORD>"); record != std::string::npos)
        return text.substr(0, record);
    return {};
}

// The value of the header's PROGRAMID, as an ADI field or an ADX element.
std::string_view programIdOf(std::string_view header)
{
    const std::string upper = upperAscii(header);
    if (const std::size_t at = upper.find("<PROGRAMID:"); at != std::string::npos) {
        std::size_t i = at + 11;
        std::size_t length = 0;
        while (i < header.size() && header[i] >= '0' && header[i] <= '9')
            length = std::min<std::size_t>(
                length * 10 + static_cast<std::size_t>(header[i++] - '0'), header.size());
        while (i < header.size() && header[i] != '>')
            ++i;
        return i < header.size() ? header.substr(i + 1, length) : std::string_view();
    }
    if (const std::size_t at = upper.find("<PROGRAMID>"); at != std::string::npos) {
        const std::size_t from = at + 11;
        const std::size_t end = header.find('<', from);
        return header.substr(from, end == std::string_view::npos ? end : end - from);
    }
    return {};
}

bool isYes(std::optional<std::string_view> value)
{
    if (!value)
        return false;
    const std::string_view v = sjis::trimBlanks(*value);
    return v == "Y" || v == "y";
}

} // namespace

AdifSource sourceOfFile(std::string_view fileText)
{
    const std::string id = upperAscii(sjis::trimBlanks(programIdOf(headerOf(fileText))));
    if (id == "LOTW")
        return AdifSource::Lotw;
    if (id.starts_with("EQSL.CC"))
        return AdifSource::Eqsl;
    return AdifSource::Other;
}

ReceivedConfirmations receivedConfirmations(const AdifRecord &record, AdifSource source)
{
    ReceivedConfirmations r;
    // One pass over the fields by their numbers: every record of a file comes here.
    std::optional<std::string_view> lotw;
    std::optional<std::string_view> eqsl;
    std::optional<std::string_view> rcvd;
    bool lotwFields = false;
    for (std::size_t i = 0; i < record.size(); ++i) {
        const FieldCode code = record.code(i);
        if (code == fieldCode("LOTW_QSL_RCVD") && !lotw)
            lotw = record.value(i);
        else if (code == fieldCode("EQSL_QSL_RCVD") && !eqsl)
            eqsl = record.value(i);
        else if (code == fieldCode("QSL_RCVD") && !rcvd)
            rcvd = record.value(i);
        else if (code == AdifRecord::kUnknown && !lotwFields)
            lotwFields = record.name(i).starts_with("APP_LOTW_");
    }
    // Only QSL_RCVD depends on where the record comes from.
    if (rcvd && source == AdifSource::Other && lotwFields)
        source = AdifSource::Lotw;
    r.lotw = isYes(lotw) || (source == AdifSource::Lotw && isYes(rcvd));
    r.eqsl = isYes(eqsl) || (source == AdifSource::Eqsl && isYes(rcvd));
    r.card = source == AdifSource::Other && isYes(rcvd);
    r.electronicField = lotw || eqsl || (source != AdifSource::Other && rcvd);
    return r;
}

bool addMark(std::string &userMark, std::string_view mark)
{
    const std::string_view now = userMark == log::kEmptyMark ? std::string_view() : userMark;
    if (log::holdsConfirmationMark(now, mark) || mark.empty())
        return true;
    std::string joined = std::string(now) + std::string(mark);
    if (joined.size() > log::maxTextBytes(log::Field::UserMark))
        return false;
    userMark = std::move(joined);
    return true;
}

} // namespace vz::adif
