// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's search commands: item search and area search.
#include "app/ui/main_form.h"

namespace vz::ui {

void TMainForm::searchDialogCommand(int) {}

} // namespace vz::ui
