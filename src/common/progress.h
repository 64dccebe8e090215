// SPDX-License-Identifier: GPL-3.0-or-later
// Long passes over a log report their progress through this; the window layer shows it in the
// hint bar, the command-line tool and the tests ignore it.
#pragma once

#include <cstdint>

namespace vz {

class ProgressSink
{
public:
    virtual ~ProgressSink() = default;
    virtual void begin(std::int64_t maximum) = 0;
    virtual void advance(std::int64_t position) = 0;
    virtual void end() = 0;
};

// Spares the passes a null test.
class NoProgress final : public ProgressSink
{
public:
    void begin(std::int64_t) override {}
    void advance(std::int64_t) override {}
    void end() override {}
};

} // namespace vz
