// SPDX-License-Identifier: GPL-3.0-or-later
// Card composition over any 254-byte record (the bytes after it fill the user's texts): the
// card is composed as a print run composes it and drawn on the postcard and both commercial
// cards. No slot may hold a NUL, and the box characters are the callsign's first six.
#include "app/user_settings.h"
#include "log/call_area.h"
#include "log/prefix_table.h"
#include "log/qso_record.h"
#include "print/card_layouts.h"
#include "print/card_text.h"
#include "support/recording_canvas.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace vz;
using namespace vz::print;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < log::kRecordSize)
        return -1; // not a record: kept out of the corpus
    log::QsoRecord record;
    std::copy_n(reinterpret_cast<const char *>(data), log::kRecordSize, record.bytes.data());

    // The rest, split at NULs, as the settings' texts a card uses.
    const std::string_view rest(reinterpret_cast<const char *>(data) + log::kRecordSize,
                                size - log::kRecordSize);
    app::UserSettings settings;
    std::string *texts[] = {&settings.rig,           &settings.antenna,   &settings.domesticRemark,
                            &settings.foreignRemark, &settings.extraInfo, &settings.kanjiName,
                            &settings.kanjiAddress,  &settings.latinName, &settings.latinAddress,
                            &settings.mobileCity,    &settings.fixedCity, &settings.cardNo};
    std::size_t from = 0;
    for (std::string *text : texts) {
        if (from > rest.size())
            break;
        const std::size_t end = std::min(rest.find('\0', from), rest.size());
        *text = std::string(rest.substr(from, end - from));
        from = end + 1;
    }
    settings.mobileOperation = size % 2 == 1;

    static const log::PrefixTable table;
    const int area = log::classifyCallArea(record.field(log::Field::Callsign), table);
    CardText card;
    composeCard(card, record, settings, "JA1ZZZ", area);
    for (const std::string &slot : card.slots)
        if (slot.find('\0') != std::string::npos)
            std::abort();
    for (std::size_t i = 0; i < kBoxCount; ++i)
        if (card[CardText::box(i)] != (i < card.cardCall.size() ? card.cardCall.substr(i, 1) : ""))
            std::abort();

    const DotScale scale{dotsPerMm(600), dotsPerMm(600)};
    test::RecordingCanvas canvas;
    drawPostcard(canvas, scale, card, 1, PostcardOptions{});
    drawHorizontalCard(canvas, scale, card, 1, CommercialOptions{},
                       defaultLayout(CardKind::Horizontal));
    drawVerticalCard(canvas, scale, card, 1, CommercialOptions{},
                     defaultLayout(CardKind::Vertical));
    return 0;
}
