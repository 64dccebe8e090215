// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's user commands: new user, user switch, reference station, and the log
// maintenance commands of the file tab.
#include "app/ui/main_form.h"

namespace vz::ui {

void TMainForm::newUserCommand() {}

void TMainForm::switchUserCommand(int) {}

void TMainForm::blankCardCommand() {}

void TMainForm::restoreLogCommand() {}

void TMainForm::reorganizeLogCommand() {}

} // namespace vz::ui
