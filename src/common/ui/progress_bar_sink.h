// SPDX-License-Identifier: GPL-3.0-or-later
// Shows a long pass over a log on a progress bar that is visible only during the pass.
#pragma once

#include "common/progress.h"

class QProgressBar;

namespace vz::ui {

class ProgressBarSink final : public ProgressSink
{
public:
    explicit ProgressBarSink(QProgressBar *bar) : m_bar(bar) {}
    void begin(std::int64_t maximum) override;
    void advance(std::int64_t position) override;
    void end() override;

private:
    QProgressBar *m_bar;
    std::int64_t m_maximum = 0;
};

} // namespace vz::ui
