// SPDX-License-Identifier: GPL-3.0-or-later
#include "print/card_layouts.h"

#include "support/recording_canvas.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

using namespace vz;
using namespace vz::print;
using vz::test::RecordingCanvas;
using vz::test::sj;

namespace {

const DotScale k600{dotsPerMm(600), dotsPerMm(600)};

CardText sampleCard()
{
    CardText card;
    loadTestCard(card);
    return card;
}

bool anyTextAt(const RecordingCanvas &c, int x, int y)
{
    for (const auto &t : c.texts)
        if (t.x == x && t.y == y)
            return true;
    return false;
}

} // namespace

TEST(BlankCard, BoxesAndFrameAtPrinterDots)
{
    RecordingCanvas c;
    drawBlankCard(c, k600);
    ASSERT_TRUE(c.shapes[0].rectangle);
    EXPECT_EQ(c.shapes[0].x1, 862);
    EXPECT_EQ(c.shapes[0].x2, 1027);
    EXPECT_EQ(c.shapes[5].x1, 1922);
    EXPECT_EQ(c.shapes[0].pen.colour, kRed);
    for (const auto &s : c.shapes)
        EXPECT_EQ(s.pen.width, 4);
    // The heading keeps its spacing and the half-width middle dot.
    const auto *heading = c.find("  Date    JST\xA5GMT   RST    Frequ   Mode");
    ASSERT_NE(heading, nullptr);
    for (const auto &t : c.texts) {
        EXPECT_TRUE(t.font.bold) << t.text;
        EXPECT_EQ(t.font.pointSize, 12);
    }
    ASSERT_NE(c.find("W"), nullptr);
    EXPECT_EQ(c.find("W")->x, k600.dotsX(90));
    EXPECT_FALSE(c.font().bold);
}

TEST(Postcard, FrequencyColumnAndOptionalLines)
{
    CardText card = sampleCard();
    card[Slot::Frequency] = "7.050";
    card[Slot::AdditionalRemark] = "-";
    PostcardOptions options;
    options.kanjiAddress = false;
    options.latinAddress = false;
    RecordingCanvas c;
    drawPostcard(c, k600, card, 42, options);
    EXPECT_EQ(c.find("7.050")->x, k600.dotsX(62));
    EXPECT_FALSE(anyTextAt(c, k600.dotsX(15), k600.dotsY(65))); // no remark for "-"
    EXPECT_FALSE(anyTextAt(c, k600.dotsX(4), k600.dotsY(113))); // no address
    EXPECT_FALSE(anyTextAt(c, k600.dotsX(4), k600.dotsY(118)));
    ASSERT_NE(c.find("42"), nullptr);
    EXPECT_EQ(c.find("42")->x, k600.dotsX(77));
    // The portable lines print whenever they name a place.
    EXPECT_NE(c.find(card[Slot::HisPortableLine]), nullptr);

    card[Slot::Frequency] = "14.1";
    options.latinAddress = true;
    RecordingCanvas d;
    drawPostcard(d, k600, card, 42, options);
    EXPECT_EQ(d.find("14.1")->x, k600.dotsX(64));
    EXPECT_EQ(d.find(card[Slot::LatinAddressLine])->y, k600.dotsY(113));
    // The boxes' characters step by a whole number of dots.
    EXPECT_EQ(d.find("X")->x, k600.dotsX(38) + k600.dotsX(9));
}

TEST(CommercialCard, ItemsAtTheirPreviewPositions)
{
    const CardText card = sampleCard();
    CommercialOptions options;
    RecordingCanvas c;
    drawHorizontalCard(c, k600, card, 5, options, defaultLayout(CardKind::Horizontal));
    // Item 07 at (59, 12): 19 steps of 1.4552 mm = 27.65 mm.
    EXPECT_EQ(c.find("JX1XXX/2/AM")->x, 653);
    EXPECT_EQ(c.find("JX1XXX/2/AM")->x, static_cast<int>(27.65 * k600.x));
    EXPECT_NE(c.find("99/99/99"), nullptr);
    EXPECT_EQ(c.find("Jun."), nullptr);

    // A label moved by one or two pixels prints where it did.
    EXPECT_EQ(previewToPrinter({57, 12}, CardKind::Horizontal, k600),
              previewToPrinter({59, 14}, CardKind::Horizontal, k600));

    options.splitDate = true;
    options.addressWanted = false; // rules over the script boxes a file may still hold
    RecordingCanvas split;
    drawVerticalCard(split, k600, card, 5, options, defaultLayout(CardKind::Vertical));
    EXPECT_EQ(split.find("99/99/99"), nullptr);
    EXPECT_EQ(split.find("Jun.")->x, previewToPrinter({132, 44}, CardKind::Vertical, k600).x);
    EXPECT_EQ(split.find(card[Slot::KanjiAddressLine]), nullptr);
    EXPECT_EQ(split.find("J")->x, k600.dotsX(38));
    EXPECT_EQ(split.find("J")->font.pointSize, 22);
}

TEST(CommercialCard, RotatedBoxCharactersAreOneHeightAtAnyResolution)
{
    for (const double dpi : {300.0, 600.0}) {
        const DotScale scale{dotsPerMm(dpi), dotsPerMm(dpi)};
        CardText card = sampleCard();
        card.cardCall = "JA1AB";
        for (std::size_t i = 0; i < kBoxCount; ++i)
            card[CardText::box(i)] = i < 5 ? card.cardCall.substr(i, 1) : "";
        RecordingCanvas c;
        drawHorizontalCard(c, scale, card, 1, CommercialOptions{},
                           defaultLayout(CardKind::Horizontal));
        ASSERT_GE(c.texts.size(), 5u);
        for (int i = 0; i < 5; ++i) {
            const auto &t = c.texts[static_cast<std::size_t>(i)];
            EXPECT_EQ(t.font.heightDots, 110);
            EXPECT_EQ(t.font.escapement, 900);
            EXPECT_EQ(t.y, scale.dotsY(8));
            EXPECT_EQ(t.x, static_cast<int>(17.6 * scale.x + i * scale.dotsX(9)));
        }
        // Every character prints, the last one in the first column.
        EXPECT_EQ(c.texts[0].text, "B");
        EXPECT_EQ(c.texts[4].text, "J");
        EXPECT_EQ(c.texts[5].font.heightDots, 0);
    }
}

TEST(LayoutFile, OptionsAndPositionsRoundTrip)
{
    test::TempDir dir;
    const std::string path = dir.file("JA1ABC.prn");
    CardLayout moved = defaultLayout(CardKind::Vertical);
    at(moved, 17) = {40, 200};
    CommercialOptions options;
    options.splitDate = true;
    ASSERT_TRUE(updateLayoutFile(path, [&](ProfileFile &f) {
        writeLayout(f, CardKind::Vertical, moved);
        writeCommercialOptions(f, options);
        writePostcardOptions(f, PostcardOptions{});
    }));
    const std::string bytes = dir.read("JA1ABC.prn");
    EXPECT_NE(bytes.find("[" + sj("縦型（縦置）印刷") + "]\r\n07Top=44\r\n07Left=19\r\n"),
              std::string::npos)
        << bytes;
    EXPECT_NE(bytes.find(sj("日時分割") + "=1"), std::string::npos);

    const ProfileFile file = *ProfileFile::load(path);
    EXPECT_EQ(readLayout(file, CardKind::Vertical, defaultLayout(CardKind::Vertical)), moved);
    EXPECT_EQ(readCommercialOptions(file, CommercialOptions{}), options);
    // A missing section keeps what the caller holds.
    CardLayout current = defaultLayout(CardKind::Horizontal);
    at(current, 12) = {1, 2};
    EXPECT_EQ(readLayout(file, CardKind::Horizontal, current), current);
    PostcardOptions held;
    held.latinAddress = true;
    EXPECT_EQ(readPostcardOptions(ProfileFile::parse(""), held), held);
}

TEST(LayoutFile, PositionsOutOfRangePrintFarOutsideInsteadOfWrapping)
{
    // What the file gives, where the label is then taken to stand, and where it prints at
    // 600 dpi: beyond the page on the side the number points to, never wrapped around.
    struct Case
    {
        const char *value;
        int position;
        bool beyondPage; // else before the page's top-left corner
    };
    const Case cases[] = {
        {"288888880", kLayoutPositionLimit, true},
        {"2147483647", kLayoutPositionLimit, true},
        {"-2147483648", -kLayoutPositionLimit, false},
        {"-288888880", -kLayoutPositionLimit, false},
        {"600", 600, true}, // outside the panel, as the operator may leave a label
        {"-30", -30, false},
    };
    const int pageDots = k600.dotsY(148);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.value);
        const ProfileFile file =
            ProfileFile::parse("[" + layoutSection(CardKind::Horizontal) + "]\r\n07Top=" + c.value +
                               "\r\n07Left=" + c.value + "\r\n");
        const CardLayout layout =
            readLayout(file, CardKind::Horizontal, defaultLayout(CardKind::Horizontal));
        EXPECT_EQ(at(layout, 7), (ItemPosition{c.position, c.position}));
        const DotPoint p = previewToPrinter(at(layout, 7), CardKind::Horizontal, k600);
        EXPECT_EQ(p.x > pageDots, c.beyondPage);
        EXPECT_EQ(p.y > pageDots, c.beyondPage);
        EXPECT_EQ(p.y < 0, !c.beyondPage);
    }
    // A printer claiming an absurd resolution does not make the dots wrap either.
    const DotScale absurd{1e30f, 1e30f};
    const DotPoint far =
        previewToPrinter({kLayoutPositionLimit, -kLayoutPositionLimit}, CardKind::Vertical, absurd);
    EXPECT_GT(far.x, pageDots);
    EXPECT_LT(far.y, 0);
}
