// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ui/qt_text.h"

#include "common/sjis.h"

namespace vz::ui {

QString fromSjis(std::string_view sjis)
{
    const std::string utf8 = sjis::toUtf8(sjis);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::optional<std::string> toSjis(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    return sjis::fromUtf8(
        std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

std::optional<std::size_t> sjisWidth(const QString &text)
{
    const auto bytes = toSjis(text);
    if (!bytes)
        return std::nullopt;
    return bytes->size();
}

} // namespace vz::ui
