// SPDX-License-Identifier: GPL-3.0-or-later
// The layout file (callsign + ".prn") over any bytes: its options and item positions are read
// as the card dialogs and the command line read them, and the test card is drawn on both
// commercial cards at common printer resolutions, where every position must stay defined.
#include "common/profile_file.h"
#include "print/card_layouts.h"
#include "print/layout_file.h"
#include "support/recording_canvas.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace vz;
using namespace vz::print;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const ProfileFile file =
        ProfileFile::parse(std::string_view(reinterpret_cast<const char *>(data), size));
    const PostcardOptions postcard = readPostcardOptions(file, PostcardOptions{});
    const CommercialOptions options = readCommercialOptions(file, CommercialOptions{});

    CardText card;
    loadTestCard(card);
    for (const double dpi : {300.0, 600.0, 1200.0}) {
        const DotScale scale{dotsPerMm(dpi), dotsPerMm(dpi)};
        for (const CardKind kind : {CardKind::Horizontal, CardKind::Vertical}) {
            const CardLayout layout = readLayout(file, kind, defaultLayout(kind));
            for (int item = kFirstItem; item <= kLastItem; ++item)
                (void)previewToPrinter(at(layout, item), kind, scale);
            test::RecordingCanvas canvas;
            if (kind == CardKind::Horizontal)
                drawHorizontalCard(canvas, scale, card, 1, options, layout);
            else
                drawVerticalCard(canvas, scale, card, 1, options, layout);
        }
        test::RecordingCanvas canvas;
        drawPostcard(canvas, scale, card, 1, postcard);
    }
    return 0;
}
