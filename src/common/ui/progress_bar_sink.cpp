// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ui/progress_bar_sink.h"

#include <QProgressBar>

namespace vz::ui {

namespace {

// QProgressBar counts in int; logs of more than 2^31 records are scaled.
int scaled(std::int64_t value, std::int64_t maximum)
{
    if (maximum <= 1000000000)
        return static_cast<int>(value);
    return static_cast<int>(value * 1000000 / maximum);
}

} // namespace

void ProgressBarSink::begin(std::int64_t maximum)
{
    m_maximum = maximum;
    m_bar->setRange(0, scaled(maximum, maximum));
    m_bar->setValue(0);
    m_bar->setVisible(true);
    m_bar->repaint();
}

void ProgressBarSink::advance(std::int64_t position)
{
    // The pass runs on the window thread, so the bar is painted at once rather than queued.
    m_bar->setValue(scaled(position, m_maximum));
    m_bar->repaint();
}

void ProgressBarSink::end()
{
    m_bar->setVisible(false);
}

} // namespace vz::ui
