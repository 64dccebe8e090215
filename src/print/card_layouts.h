// SPDX-License-Identifier: GPL-3.0-or-later
// The card layouts. Positions are millimetres from the top-left corner of the printer page,
// turned into printer dots with the printer's own scale, each axis truncated on its own.
// The postcard and the blank card print their whole frame; the commercial cards print only
// the data, at the places the user dragged each item to on the dialog's preview.
#pragma once

#include "print/card_canvas.h"
#include "print/card_text.h"
#include "print/layout_file.h"

namespace vz::print {

// The postcard: frame, boxes, table and rules with the card's data (100 x 148 mm, portrait).
void drawPostcard(CardCanvas &canvas, const DotScale &scale, const CardText &card,
                  long long cardNumber, const PostcardOptions &options);

// The postcard frame without data, to be filled in by hand.
void drawBlankCard(CardCanvas &canvas, const DotScale &scale);

// A preview label's position (preview pixels) as printer dots on a card of `kind`. Labels
// move in steps of three preview pixels, which is the finest step the cards print.
struct DotPoint
{
    int x = 0;
    int y = 0;
    friend bool operator==(const DotPoint &, const DotPoint &) = default;
};
DotPoint previewToPrinter(const ItemPosition &label, CardKind kind, const DotScale &scale);

void drawHorizontalCard(CardCanvas &canvas, const DotScale &scale, const CardText &card,
                        long long cardNumber, const CommercialOptions &options,
                        const CardLayout &layout);
void drawVerticalCard(CardCanvas &canvas, const DotScale &scale, const CardText &card,
                      long long cardNumber, const CommercialOptions &options,
                      const CardLayout &layout);

// The face every card text is printed in, Shift_JIS.
std::string cardFace();

} // namespace vz::print
