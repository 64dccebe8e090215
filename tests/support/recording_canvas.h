// SPDX-License-Identifier: GPL-3.0-or-later
// A card canvas that keeps what was drawn, with the font and pen in force, and a print job
// over it that counts its pages.
#pragma once

#include "print/card_canvas.h"
#include "print/print_run.h"

#include <string>
#include <vector>

namespace vz::test {

struct DrawnText
{
    int x;
    int y;
    std::string text; // Shift_JIS
    print::CardFont font;
    int page;
};

struct DrawnShape
{
    bool rectangle;
    int x1, y1, x2, y2;
    print::CardPen pen;
    int page;
};

class RecordingCanvas : public print::CardCanvas
{
public:
    void setFont(const print::CardFont &font) override { m_font = font; }
    void setPen(const print::CardPen &pen) override { m_pen = pen; }
    void drawText(int x, int y, std::string_view text) override
    {
        texts.push_back({x, y, std::string(text), m_font, page});
    }
    void drawLine(int x1, int y1, int x2, int y2) override
    {
        shapes.push_back({false, x1, y1, x2, y2, m_pen, page});
    }
    void drawRectangle(int l, int t, int r, int b) override
    {
        shapes.push_back({true, l, t, r, b, m_pen, page});
    }

    // The first text drawn with exactly these bytes, or nullptr.
    const DrawnText *find(std::string_view text) const
    {
        for (const DrawnText &t : texts)
            if (t.text == text)
                return &t;
        return nullptr;
    }
    const print::CardFont &font() const { return m_font; }

    std::vector<DrawnText> texts;
    std::vector<DrawnShape> shapes;
    int page = 0;

private:
    print::CardFont m_font;
    print::CardPen m_pen;
};

class RecordingJob : public print::PrintJob
{
public:
    explicit RecordingJob(double dpi = 600) : m_scale{print::dotsPerMm(dpi), print::dotsPerMm(dpi)}
    {
    }
    bool begin() override
    {
        ++jobs;
        drawn.page = pages = 1;
        return !refuse;
    }
    bool newPage() override
    {
        drawn.page = ++pages;
        return pages != failAtPage;
    }
    bool end() override
    {
        ++ended;
        return !refuseAtEnd;
    }
    void abandon() override { ++abandoned; }
    print::CardCanvas &canvas() override { return drawn; }
    print::DotScale scale() const override { return m_scale; }
    std::string errorText() const override { return "printer offline"; }

    RecordingCanvas drawn;
    int jobs = 0;
    int pages = 0;
    int ended = 0;
    int abandoned = 0;
    bool refuse = false;      // begin() fails
    bool refuseAtEnd = false; // the finished job is not accepted
    int failAtPage = 0;       // newPage() fails when asked for this page

private:
    print::DotScale m_scale;
};

} // namespace vz::test
