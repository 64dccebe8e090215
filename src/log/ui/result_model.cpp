// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/ui/result_model.h"

#include "common/ui/qt_text.h"

#include <QPainter>

#include <array>

namespace vz::ui {

namespace {

struct ColumnSpec
{
    const char *header;
    int width; // 0: hidden until a column set shows it
};

constexpr std::array<ColumnSpec, log::kResultColumns> kColumns{{
    {"R No", 40},
    {"Call", 54},
    {"年月日", 62},
    {"氏名", 52},
    {"周波数", 54},
    {"電波形式", 60},
    {"固定所在地", 156},
    {"JCC No.", 0},
    {"移動所在地", 0},
    {"マーク", 0},
    {"Memo", 180},
    {"参照局", 54},
}};

constexpr int kTextInset = 2;

} // namespace

ResultModel::ResultModel(QObject *parent) : QAbstractTableModel(parent) {}

void ResultModel::addRow(const log::ResultRow &row)
{
    m_table.addRow(row);
}

void ResultModel::flush()
{
    if (m_table.size() == m_shown)
        return;
    // The new rows go in where the empty row was; the empty row moves below them.
    beginInsertRows(QModelIndex(), static_cast<int>(m_shown), static_cast<int>(m_table.size() - 1));
    m_shown = m_table.size();
    endInsertRows();
}

void ResultModel::clear()
{
    beginResetModel();
    m_table.clear();
    m_shown = 0;
    endResetModel();
}

QString ResultModel::cellText(std::size_t row, log::ResultColumn column) const
{
    if (row >= m_shown)
        return QString();
    return fromSjis(m_table.cell(row, column));
}

int ResultModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_shown) + 1;
}

int ResultModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(log::kResultColumns);
}

QVariant ResultModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    const auto column = static_cast<log::ResultColumn>(index.column());
    switch (role) {
    case Qt::DisplayRole:
        return cellText(static_cast<std::size_t>(index.row()), column);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(column == log::ResultColumn::RecordNo
                                       ? Qt::AlignRight | Qt::AlignTop
                                       : Qt::AlignLeft | Qt::AlignTop);
    default:
        return QVariant();
    }
}

QVariant ResultModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 ||
        section >= static_cast<int>(log::kResultColumns))
        return QVariant();
    if (role == Qt::DisplayRole)
        return header(section);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignCenter);
    return QVariant();
}

QString ResultModel::header(int column)
{
    return QString::fromUtf8(kColumns[static_cast<std::size_t>(column)].header);
}

int ResultModel::defaultWidth(int column)
{
    return kColumns[static_cast<std::size_t>(column)].width;
}

void ResultCellDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                               const QModelIndex &index) const
{
    // Drawn directly rather than through the style: a grid of many rows repaints often.
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette &pal = option.palette;
    if (selected)
        painter->fillRect(option.rect, pal.brush(QPalette::Highlight));
    const QString text = index.data(Qt::DisplayRole).toString();
    if (text.isEmpty())
        return;
    const auto align = index.data(Qt::TextAlignmentRole).value<Qt::Alignment>();
    const QRect area = option.rect.adjusted(kTextInset, kTextInset, -kTextInset, 0);
    painter->save();
    painter->setFont(option.font);
    painter->setPen(pal.color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter->setClipRect(option.rect);
    painter->drawText(area, static_cast<int>(align) | Qt::TextSingleLine, text);
    painter->restore();
}

} // namespace vz::ui
