// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/qso_record.h"

#include "common/sjis.h"

#include <algorithm>
#include <cstring>

namespace vz::log {

namespace {

constexpr std::array<FieldSpec, kTextFieldCount> kFields{{
    {0, 7},    // callsign
    {7, 2},    // portableArea
    {9, 4},    // portableForm
    {13, 9},   // qsoDate
    {22, 6},   // startTime
    {28, 25},  // fixedQth
    {53, 9},   // fixedJcc
    {62, 25},  // portableQth
    {87, 9},   // portableJcc
    {96, 15},  // opName
    {111, 7},  // hisRst
    {118, 7},  // myRst
    {125, 9},  // frequency
    {134, 6},  // mode: six characters, no room for a NUL
    {140, 9},  // power
    {149, 11}, // userMark
    {160, 31}, // remarks
    {191, 31}, // memo
    {222, 25}, // ownPortableQth
    {247, 6},  // endTime
}};

} // namespace

const FieldSpec &fieldSpec(Field f)
{
    return kFields[static_cast<std::size_t>(f)];
}

std::size_t maxTextBytes(Field f)
{
    const std::size_t width = fieldSpec(f).width;
    return f == Field::Mode ? width : width - 1;
}

std::string_view QsoRecord::field(Field f) const
{
    const FieldSpec &spec = fieldSpec(f);
    const std::string_view raw(bytes.data() + spec.offset, spec.width);
    return raw.substr(0, raw.find('\0'));
}

void QsoRecord::setField(Field f, std::string_view text)
{
    const FieldSpec &spec = fieldSpec(f);
    const std::string_view cut = sjis::cutToWidth(sjis::trimBlanks(text), maxTextBytes(f));
    char *dst = bytes.data() + spec.offset;
    std::memset(dst, 0, spec.width);
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
    const std::string_view raw(recordBytes, fieldSpec(Field::Callsign).width);
    return raw.substr(0, raw.find('\0'));
}

} // namespace vz::log
