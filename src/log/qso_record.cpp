// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/qso_record.h"

#include "common/sjis.h"

#include <algorithm>
#include <cstring>

namespace vz::log {

namespace {

} // namespace

void QsoRecord::setField(Field f, std::string_view text)
{
    const FieldSpec &place = fieldSpec(f);
    const std::string_view cut = sjis::cutToWidth(sjis::trimBlanks(text), maxTextBytes(f));
    char *dst = bytes.data() + place.offset;
    std::memset(dst, 0, place.width);
    std::memcpy(dst, cut.data(), cut.size());
}

QsoRecord buildRecord(const FieldTexts &texts, bool qslPending, bool markEmpty)
{
    QsoRecord record;
    for (std::size_t i = 0; i < kTextFieldCount; ++i) {
        const auto f = static_cast<Field>(i);
        const std::string_view text = sjis::trimBlanks(texts[i]);
        record.setField(f, text.empty() && markEmpty ? kEmptyMark : text);
    }
    record.setQslFlag(qslPending);
    return record;
}

QsoRecord buildDeletedRecord(bool qslPending)
{
    FieldTexts dashes;
    dashes.fill(std::string(kEmptyMark));
    return buildRecord(dashes, qslPending, false);
}

std::string_view callsignOf(const char *recordBytes)
{
    return fieldTextAt(recordBytes, fieldSpec(Field::Callsign).width);
}

} // namespace vz::log
