// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's contact commands: the edit dialog in its four modes.
#include "app/ui/main_form.h"

namespace vz::ui {

void TMainForm::logDialogCommand(int) {}

} // namespace vz::ui
