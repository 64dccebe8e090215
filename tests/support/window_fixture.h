// SPDX-License-Identifier: GPL-3.0-or-later
// What every window test starts from: a fresh data directory, an AppState over it and the
// window services with every message box recorded instead of shown.
#pragma once

#include "app/app_state.h"
#include "app/session.h"
#include "common/ui/window_services.h"
#include "support/recording_answerer.h"
#include "support/temp_dir.h"

namespace vz::test {

struct WindowFixture
{
    TempDir dir;
    app::AppState state;
    ui::UiServices services;
    RecordedMessages messages;

    WindowFixture()
    {
        app::initDataDir(state, dir.path());
        messages.attach(services.messages);
    }
};

} // namespace vz::test
