// SPDX-License-Identifier: GPL-3.0-or-later
#include "cards/font_setup.h"

#include <QFont>
#include <QStringList>

namespace vz::ui {

void installFontSubstitutions()
{
    const QStringList mincho{QStringLiteral("IPAMincho"), QStringLiteral("IPA明朝"),
                             QStringLiteral("IPAPMincho")};
    const QStringList gothic{QStringLiteral("IPAGothic"), QStringLiteral("IPAゴシック"),
                             QStringLiteral("IPAPGothic")};
    QFont::insertSubstitutions(QStringLiteral("ＭＳ 明朝"), mincho);
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐ明朝"), mincho);
    QFont::insertSubstitutions(QStringLiteral("ＭＳ ゴシック"), gothic);
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"), gothic);
    // Liberation Serif has the widths of Times New Roman, so painted lines keep their length.
    QFont::insertSubstitutions(QStringLiteral("Times New Roman"),
                               {QStringLiteral("Liberation Serif"), QStringLiteral("DejaVu Serif"),
                                QStringLiteral("IPAMincho")});
}

} // namespace vz::ui
