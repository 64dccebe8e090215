// SPDX-License-Identifier: GPL-3.0-or-later
// The program names its faces as the cards and windows always named them (ＭＳ 明朝, ＭＳ
// ゴシック); here they are mapped to the Japanese faces installed on this system.
#pragma once

namespace vz::ui {

void installFontSubstitutions();

} // namespace vz::ui
