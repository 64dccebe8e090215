// SPDX-License-Identifier: GPL-3.0-or-later
#include "print/card_layouts.h"

#include "common/sjis.h"

#include <algorithm>
#include <cmath>

namespace vz::print {

namespace {

constexpr int kPenWidth = 4;
// The preview is laid out for a 96 pixels-per-inch screen.
constexpr double kPreviewPixelsPerMm = 96 * 0.03937007874015748;
constexpr int kRotatedBoxHeight = 110; // printer dots, whatever the resolution

std::string sj(std::string_view utf8)
{
    return sjis::fromUtf8(utf8).value_or(std::string());
}

// Texts of the printed frame. The middle dot of "JST･GMT" is the half-width one.
struct FrameTexts
{
    std::string postcardHeading = sj("  Date    JST･GMT    RST    Frequ   Mode");
    std::string blankHeading = sj("  Date    JST･GMT   RST    Frequ   Mode");
    std::string thanks = "TNX FB QSL,  PSE QSL TNX,    QSL#:";
    std::string face = sj("ＭＳ 明朝");
};

const FrameTexts &texts()
{
    static const FrameTexts t;
    return t;
}

// Sets the face, size and weight of the cards' one font.
class Writer
{
public:
    Writer(CardCanvas &canvas, const DotScale &scale) : m_canvas(canvas), m_scale(scale) {}

    void font(int points, bool bold)
    {
        CardFont f;
        f.face = texts().face;
        f.pointSize = points;
        f.bold = bold;
        m_canvas.setFont(f);
    }
    void pen(Rgb colour, PenStyle style = PenStyle::Solid)
    {
        m_canvas.setPen(CardPen{kPenWidth, colour, style});
    }
    void text(double xMm, double yMm, std::string_view s)
    {
        m_canvas.drawText(m_scale.dotsX(xMm), m_scale.dotsY(yMm), s);
    }
    void rule(double x1, double x2, double y)
    {
        m_canvas.drawLine(m_scale.dotsX(x1), m_scale.dotsY(y), m_scale.dotsX(x2), m_scale.dotsY(y));
    }
    void box(double left, double top, double right, double bottom)
    {
        m_canvas.drawRectangle(m_scale.dotsX(left), m_scale.dotsY(top), m_scale.dotsX(right),
                               m_scale.dotsY(bottom));
    }
    // The six "To Radio" boxes: the 9 mm step is converted on its own and multiplied.
    void toRadioBoxes()
    {
        const int step = m_scale.dotsX(9);
        for (int i = 0; i < 6; ++i)
            m_canvas.drawRectangle(m_scale.dotsX(36.5) + i * step, m_scale.dotsY(8.5),
                                   m_scale.dotsX(43.5) + i * step, m_scale.dotsY(18));
    }
    // The callsign's characters in the boxes, one per box.
    void boxCharacters(const CardText &card, double firstMm, double topMm)
    {
        const int step = m_scale.dotsX(9);
        for (std::size_t i = 0; i < card.cardCall.size() && i < kBoxCount; ++i)
            m_canvas.drawText(m_scale.dotsX(firstMm) + static_cast<int>(i) * step,
                              m_scale.dotsY(topMm), card[CardText::box(i)]);
    }
    // The date and report table: its columns are converted as whole sums.
    void tableBoxes()
    {
        for (int i = 0; i < 2; ++i) {
            box(2.5 + 21 * i, 26, 23.5 + 21 * i, 31);
            box(2.5 + 21 * i, 31, 23.5 + 21 * i, 40);
        }
    }
    void valueBoxes()
    {
        for (int i = 0; i < 3; ++i) {
            box(44.5 + 16 * i, 26, 60.5 + 16 * i, 31);
            box(44.5 + 16 * i, 31, 60.5 + 16 * i, 40);
        }
    }

    CardCanvas &canvas() { return m_canvas; }
    const DotScale &scale() const { return m_scale; }

private:
    CardCanvas &m_canvas;
    const DotScale &m_scale;
};

// Draws the commercial items in their order, each at its label's printer position.
void drawItems(Writer &w, CardKind kind, const CardText &card, long long cardNumber,
               const CommercialOptions &options, const CardLayout &layout)
{
    const auto item = [&](int number, std::string_view s) {
        const DotPoint p = previewToPrinter(at(layout, number), kind, w.scale());
        w.canvas().drawText(p.x, p.y, s);
    };
    if (options.toRadio)
        item(7, card[Slot::ToRadioCall]);
    if (options.splitDate) {
        item(24, card[Slot::Year]);
        item(25, card[Slot::Month]);
        item(26, card[Slot::Day]);
    } else {
        item(8, card[Slot::Date]);
    }
    item(9, card[Slot::Time]);
    item(10, card[Slot::Rst]);
    item(11, card[Slot::Frequency]);
    item(12, card[Slot::Mode]);
    item(27, std::to_string(cardNumber));
    w.font(11, false);
    item(13, card[Slot::Rig]);
    item(14, card[Slot::Power]);
    item(15, card[Slot::Antenna]);
    w.font(10, false);
    item(16, options.addressedRemark ? card[Slot::AddressedRemark] : card[Slot::StandardRemark]);
    if (options.additionalRemark && card[Slot::AdditionalRemark].size() >= kAdditionalRemarkMin)
        item(17, card[Slot::AdditionalRemark]);
    if (options.portable && card[Slot::HisPortableLine].size() >= kPortableLineMin)
        item(18, card[Slot::HisPortableLine]);
    if (options.portable && card[Slot::MyPortableLine].size() >= kPortableLineMin)
        item(19, card[Slot::MyPortableLine]);
    w.font(22, true);
    if (options.ownCall)
        item(20, card[Slot::OwnCall]);
    w.font(10, false);
    // The address switch rules over the two scripts, also when a stored file says otherwise.
    if (options.addressWanted && options.kanjiAddress) {
        item(22, card[Slot::KanjiAddressLine]);
        item(21, card[Slot::KanjiNameLine]);
    }
    if (options.addressWanted && options.latinAddress) {
        item(22, card[Slot::LatinAddressLine]);
        item(21, card[Slot::LatinNameLine]);
    }
    if (options.additionalInfo)
        item(23, card[Slot::AdditionalInfo]);
}

} // namespace

std::string cardFace()
{
    return texts().face;
}

void drawPostcard(CardCanvas &canvas, const DotScale &scale, const CardText &card,
                  long long cardNumber, const PostcardOptions &options)
{
    Writer w(canvas, scale);
    w.pen(kRed);
    w.font(12, true);
    w.text(4, 7, "To Radio");
    w.toRadioBoxes();
    w.font(22, true);
    w.boxCharacters(card, 38, 9);
    w.font(12, true);
    w.text(6, 12, card[Slot::ToRadioCall]);
    w.pen(kBlack, PenStyle::Dotted);
    w.rule(4, 34, 18);
    w.font(12, false);
    w.text(4, 20, "Confirming Our QSO");
    w.pen(kBlack);
    w.tableBoxes();
    w.text(4, 26, texts().postcardHeading);
    w.valueBoxes();
    w.font(12, true);
    w.text(5, 33, card[Slot::Date]);
    w.text(27.5, 33, card[Slot::Time]);
    w.text(48, 33, card[Slot::Rst]);
    // Five characters ("7.050") need the column's full width, shorter ones sit further in.
    w.text(card[Slot::Frequency].size() >= 5 ? 62 : 64, 33, card[Slot::Frequency]);
    w.text(82, 33, card[Slot::Mode]);
    w.font(12, false);
    w.text(4, 41, texts().thanks);
    w.font(12, true);
    w.text(77, 41, std::to_string(cardNumber));
    w.rule(4, 92, 46);
    w.font(11, true);
    w.text(4, 47, "RIG   ");
    w.text(14, 47, card[Slot::Rig]);
    w.text(77, 47, card[Slot::Power]);
    w.rule(4, 92, 52);
    w.text(4, 53, "ANT ");
    w.text(14, 53, card[Slot::Antenna]);
    w.rule(4, 92, 58);
    w.text(4, 59, "REM");
    w.font(10, true);
    w.text(14, 59,
           options.addressedRemark ? card[Slot::AddressedRemark] : card[Slot::StandardRemark]);
    w.rule(4, 92, 64);
    if (options.additionalRemark && card[Slot::AdditionalRemark].size() >= kAdditionalRemarkMin)
        w.text(15, 65, card[Slot::AdditionalRemark]);
    if (card[Slot::HisPortableLine].size() >= kPortableLineMin)
        w.text(4, 70, card[Slot::HisPortableLine]);
    if (card[Slot::MyPortableLine].size() >= kPortableLineMin)
        w.text(4, 75, card[Slot::MyPortableLine]);
    if (options.ownCall) {
        w.font(22, true);
        w.text(4, 100, card[Slot::OwnCall]);
    }
    w.font(10, false);
    if (options.kanjiAddress) {
        w.text(4, 113, card[Slot::KanjiAddressLine]);
        w.text(4, 118, card[Slot::KanjiNameLine]);
    } else if (options.latinAddress) {
        w.text(4, 113, card[Slot::LatinAddressLine]);
        w.text(4, 118, card[Slot::LatinNameLine]);
    }
    if (options.additionalInfo)
        w.text(4, 128, card[Slot::AdditionalInfo]);
}

void drawBlankCard(CardCanvas &canvas, const DotScale &scale)
{
    Writer w(canvas, scale);
    w.font(12, true);
    w.pen(kRed);
    w.text(4, 7, "To Radio");
    w.toRadioBoxes();
    w.pen(kBlack, PenStyle::Dotted);
    w.rule(4, 34, 18);
    w.pen(kBlack);
    w.text(4, 20, "Confirming Our QSO");
    w.tableBoxes();
    w.text(4, 26, texts().blankHeading);
    w.valueBoxes();
    w.text(4, 41, texts().thanks);
    w.rule(4, 92, 46);
    w.text(4, 47, "RIG ");
    w.text(90, 47, "W");
    w.rule(4, 92, 52);
    w.text(4, 53, "ANT ");
    w.rule(4, 92, 58);
    w.text(4, 59, "REM");
    w.rule(4, 92, 64);
    w.font(12, false);
}

namespace {

// Printer dots, truncated; kept within a billion dots either way (a position no page reaches,
// whatever the printer's scale) so that converting and drawing it stay defined.
int dotsWithin(double dots)
{
    constexpr double kLimit = 1e9;
    if (std::isnan(dots))
        return 0;
    return static_cast<int>(std::clamp(dots, -kLimit, kLimit));
}

} // namespace

DotPoint previewToPrinter(const ItemPosition &label, CardKind kind, const DotScale &scale)
{
    const bool horizontal = kind == CardKind::Horizontal;
    const double kx = horizontal ? 5.5 : 5.7;
    const double ky = horizontal ? 5.0 : 5.3;
    const float mx = static_cast<float>((label.left / 3) * kx / kPreviewPixelsPerMm);
    const float my = static_cast<float>((label.top / 3) * ky / kPreviewPixelsPerMm);
    return {dotsWithin(static_cast<double>(mx) * scale.x),
            dotsWithin(static_cast<double>(my) * scale.y)};
}

void drawHorizontalCard(CardCanvas &canvas, const DotScale &scale, const CardText &card,
                        long long cardNumber, const CommercialOptions &options,
                        const CardLayout &layout)
{
    Writer w(canvas, scale);
    if (options.boxCall) {
        CardFont rotated;
        rotated.face = texts().face;
        rotated.heightDots = kRotatedBoxHeight;
        rotated.bold = true;
        rotated.escapement = 900;
        canvas.setFont(rotated);
        // The last character sits in the first column, so a callsign shorter than six
        // characters fills the columns a six-character one uses for its last characters.
        const int step = scale.dotsX(9);
        const std::size_t n = std::min(card.cardCall.size(), kBoxCount);
        for (std::size_t i = 0; i < n; ++i)
            canvas.drawText(static_cast<int>(17.6 * scale.x + static_cast<int>(i) * step),
                            scale.dotsY(8), card[CardText::box(n - 1 - i)]);
    }
    w.font(12, false);
    drawItems(w, CardKind::Horizontal, card, cardNumber, options, layout);
}

void drawVerticalCard(CardCanvas &canvas, const DotScale &scale, const CardText &card,
                      long long cardNumber, const CommercialOptions &options,
                      const CardLayout &layout)
{
    Writer w(canvas, scale);
    w.font(22, true);
    if (options.boxCall)
        w.boxCharacters(card, 38, 9);
    w.font(12, false);
    drawItems(w, CardKind::Vertical, card, cardNumber, options, layout);
}

} // namespace vz::print
