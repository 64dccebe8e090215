// SPDX-License-Identifier: GPL-3.0-or-later
// The result list's rows for its grid: twelve columns, a header row, and always one empty row
// after the last result, so the grid reads like a list still being filled. Rows are kept as
// Shift_JIS bytes and turned into text only when a cell is drawn, which keeps a list of
// hundreds of thousands of rows quick to fill.
#pragma once

#include "log/search.h"

#include <QAbstractTableModel>
#include <QStyledItemDelegate>

namespace vz::ui {

class ResultModel final : public QAbstractTableModel, public log::ResultSink
{
    Q_OBJECT
public:
    explicit ResultModel(QObject *parent = nullptr);

    // Rows collected here appear at the bottom of the grid on the next flush().
    void addRow(const log::ResultRow &row) override;
    void flush();
    void clear();

    // Result rows shown (the empty row after them not counted).
    std::size_t resultCount() const { return m_shown; }
    QString cellText(std::size_t row, log::ResultColumn column) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    static QString header(int column);
    static int defaultWidth(int column); // 0 for the columns hidden by default

private:
    log::ResultTable m_table;
    std::size_t m_shown = 0;
};

// Draws a cell as the grid shows it: the text 2 pixels in from the cell's top and side, the
// record number right-aligned.
class ResultCellDelegate final : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
};

} // namespace vz::ui
