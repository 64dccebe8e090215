// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/title_line.h"

#include <QPainter>

namespace vz::ui {

TitleLine::TitleLine(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("titleLine"));
}

void TitleLine::setCallsign(const QString &call)
{
    m_call = call;
    update();
}

void TitleLine::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::TextAntialiasing);
    QFont f(QStringLiteral("Times New Roman"));
    f.setStyleHint(QFont::Serif);
    f.setBold(true);
    f.setItalic(true);
    f.setPixelSize(14);
    p.setFont(f);
    const int baseline = height() - 5;

    auto embossed = [&](int x, const QString &text, const QColor &shadow, const QColor &face) {
        p.setPen(face);
        p.drawText(x, baseline, text);
        p.setPen(shadow);
        p.drawText(x - 1, baseline - 1, text);
        return x + p.fontMetrics().horizontalAdvance(text);
    };
    const QColor darkGrey(64, 64, 64);
    int x = embossed(8, QStringLiteral("VARNO win"), darkGrey, Qt::white);
    x = embossed(x + 16, QStringLiteral("LogManagement  for  Windws-xx          in now"), darkGrey,
                 Qt::white);
    embossed(x + 12, m_call, Qt::blue, Qt::white);
}

} // namespace vz::ui
