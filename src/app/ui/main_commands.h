// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's commands: tab page, caption, hint and the control name each carries.
#pragma once

#include <QString>

#include <span>

namespace vz::ui {

enum class Command {
    NewUser,
    SwitchUser,
    Reference,
    PersonalInfo,
    Events,
    LogInput,
    LogModify,
    LogDelete,
    LogSearch,
    Postcard,
    CommercialHorizontal,
    CommercialVertical,
    BlankCard,
    ItemSearch,
    AreaSearch,
    PrevYear,
    PrevMonth,
    BackToToday,
    NextMonth,
    NextYear,
    HelpContents,
    HelpKeyword,
    About,
    JccEdit,
    RestoreLog,
    ReorganizeLog,
    ExportAdif,
    ImportAdif,
    ImportConfirmations,
    Awards,
    LotwUpload,
    LotwDownload,
};

struct CommandSpec
{
    Command id;
    int tab;
    const char *name; // objectName of the button
    const char *caption;
    const char *hint; // "|" + the text shown in the hint bar
};

// Tab pages in order, then every command in the order of its page.
std::span<const char *const> tabCaptions();
std::span<const CommandSpec> commandSpecs();

} // namespace vz::ui
