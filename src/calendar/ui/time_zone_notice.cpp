// SPDX-License-Identifier: GPL-3.0-or-later
#include "calendar/ui/time_zone_notice.h"

namespace vz::ui {

namespace {

constexpr int kJapaneseOffset = 9 * 60;

} // namespace

QString timeZoneNotice(const calendar::ClockSnapshot &at)
{
    const int offset = calendar::localOffsetMinutes(at);
    if (offset == kJapaneseOffset)
        return {};
    return QStringLiteral("このコンピュータの時刻は日本時間ではありません（%1）")
        .arg(QString::fromStdString(calendar::offsetText(offset)));
}

QString timeZoneAdvice()
{
    return QStringLiteral("設定: timedatectl set-timezone Asia/Tokyo（この"
                          "プログラムだけなら起動時に TZ=Asia/Tokyo）");
}

} // namespace vz::ui
