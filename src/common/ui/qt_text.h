// SPDX-License-Identifier: GPL-3.0-or-later
// Where Shift_JIS text meets Qt: stored bytes to QString for display, typed QString back to
// Shift_JIS bytes for storing and measuring.
#pragma once

#include <QString>

#include <optional>
#include <string>
#include <string_view>

namespace vz::ui {

QString fromSjis(std::string_view sjis);
// nullopt when the text holds a character Shift_JIS cannot encode.
std::optional<std::string> toSjis(const QString &text);
// Bytes the text takes in Shift_JIS; nullopt when it cannot be encoded.
std::optional<std::size_t> sjisWidth(const QString &text);

} // namespace vz::ui
