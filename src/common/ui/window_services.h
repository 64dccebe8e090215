// SPDX-License-Identifier: GPL-3.0-or-later
// The window-side services every dialog uses, created once by `main` beside the AppState.
#pragma once

#include "common/ui/help_service.h"
#include "common/ui/key_click.h"
#include "common/ui/message_service.h"

namespace vz::ui {

struct UiServices
{
    MessageService messages;
    KeyClick keyClick;
    HelpService help;
};

} // namespace vz::ui
