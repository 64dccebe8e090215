// SPDX-License-Identifier: GPL-3.0-or-later
#include "places/ui/master_editor_dialog.h"

#include "common/ui/hint_bar.h"
#include "common/ui/qt_text.h"
#include "common/ui/sjis_field_validator.h"
#include "places/jcc_master.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>

#include <algorithm>
#include <functional>

namespace vz::ui {

namespace {

constexpr int kWidth = 787;
constexpr int kHeight = 333;
constexpr int kBottomRow = 296;

struct AreaLook
{
    const char *caption;
    const char *hint;
};

constexpr AreaLook kAreas[places::kMasterAreaCount] = {
    {"信越", "|０エリア（信越）を開く"},       {"関東", "|１エリア（関東）を開く"},
    {"東海", "|２エリア（東海）を開く"},       {"近畿", "|３エリア（近畿）を開く"},
    {"中国", "|４エリア（中国）を開く"},       {"四国", "|５エリア（四国）を開く"},
    {"九州", "|６エリア（九州）を開く"},       {"東北", "|７エリア（東北）を開く"},
    {"北海道", "|８エリア（北海道）を開く"},   {"北陸", "|９エリア（北陸）を開く"},
    {"その他", "|その他の地域（国外）を開く"},
};

constexpr const char *kHeadings[places::kMasterColumnCount] = {
    "RNo.", "JCCNo.", "市町村名", "記号", "ｴﾘｱ", "緯度", "度",
    "分",   "秒",     "経度",     "度",   "分",  "秒"};

Qt::Alignment alignmentOf(int column)
{
    if (column == places::kJccColumn || column == places::kCityColumn)
        return Qt::AlignLeft | Qt::AlignVCenter;
    if ((column >= places::kShortCodeColumn && column <= places::kLatHemisphereColumn) ||
        column == places::kLonHemisphereColumn)
        return Qt::AlignCenter;
    return Qt::AlignRight | Qt::AlignVCenter;
}

bool isPrintableKey(const QKeyEvent *key)
{
    const QString text = key->text();
    if (text.isEmpty())
        return false;
    const char16_t c = text.at(0).unicode();
    return c >= 0x20 && c != 0x7F;
}

// The in-place editor of a cell: a text cell takes what its record field holds, and a cell
// changed and left marks the table as changed.
class CellDelegate : public QStyledItemDelegate
{
public:
    CellDelegate(QObject *keyWatcher, std::function<void()> changed, QObject *parent)
        : QStyledItemDelegate(parent), m_keyWatcher(keyWatcher), m_changed(std::move(changed))
    {
    }

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &,
                          const QModelIndex &index) const override
    {
        auto *editor = new QLineEdit(parent);
        editor->setFrame(false);
        editor->setAlignment(alignmentOf(index.column()));
        const auto limit = places::cellByteLimit(index.column());
        // Number cells take any text: the save tells the operator which does not hold one.
        editor->setValidator(new SjisFieldValidator(limit.value_or(32), false, editor));
        editor->installEventFilter(m_keyWatcher);
        return editor;
    }

    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override
    {
        const QString before = index.data().toString();
        QStyledItemDelegate::setModelData(editor, model, index);
        // A cell typed into a new row gets its column's alignment as a loaded one has it.
        model->setData(index, static_cast<int>(alignmentOf(index.column())), Qt::TextAlignmentRole);
        if (index.data().toString() != before)
            m_changed();
    }

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        // Every cell of a column is aligned alike, whatever made it.
        option->displayAlignment = alignmentOf(index.column());
    }

private:
    QObject *m_keyWatcher;
    std::function<void()> m_changed;
};

} // namespace

MasterEditorDialog::MasterEditorDialog(app::AppState &state, UiServices &services, QWidget *parent)
    : VezoDialog({state.settings.flatWindow, state.settings.keyClick}, services, parent),
      m_state(state)
{
    setObjectName(QStringLiteral("MasterEditorDialog"));
    setFixedSize(kWidth, kHeight);
    setTitle(QStringLiteral("ＪＣＣマスタの編集"));
    setGreyFrame(true);
    buildAreaButtons();
    buildTable();
    buildCommands();
    emptyToOneRow();
}

MasterEditorDialog::~MasterEditorDialog()
{
    // A cell still being edited is committed as the table goes, and reports the change to
    // this dialog: the table goes while the dialog is still whole.
    QTableWidget *table = m_table;
    m_table = nullptr;
    delete table;
}

void MasterEditorDialog::buildAreaButtons()
{
    auto *caption = new QLabel(QStringLiteral("エリアの選択"), this);
    caption->setObjectName(QStringLiteral("areaCaption"));
    caption->setGeometry(30, 37, 78, 16);
    for (int i = 0; i < places::kMasterAreaCount; ++i) {
        QPushButton *b =
            makeDialogButton(this, QStringLiteral("areaButton%1").arg(i),
                             QString::fromUtf8(kAreas[i].caption), QRect(110 + 48 * i, 35, 39, 20));
        setHint(b, QString::fromUtf8(kAreas[i].hint));
        QPalette p = b->palette();
        p.setColor(QPalette::ButtonText, QColor(0x55, 0x55, 0x55));
        b->setPalette(p);
        b->setFocusPolicy(Qt::NoFocus);
        connect(b, &QPushButton::clicked, this, [this, i] { loadArea(i); });
        m_areaButtons[static_cast<std::size_t>(i)] = b;
    }
}

void MasterEditorDialog::buildTable()
{
    m_table = new QTableWidget(this);
    m_table->setObjectName(QStringLiteral("table"));
    m_table->setGeometry(12, 62, 640, 226);
    m_table->setColumnCount(places::kMasterColumnCount);
    // The narrow columns hold six-digit ward numbers and three-digit longitudes whole.
    QFont small = m_table->font();
    small.setPointSize(9);
    m_table->setFont(small);
    m_table->setTextElideMode(Qt::ElideNone);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(20);
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->horizontalHeader()->setDefaultSectionSize(35);
    m_table->horizontalHeader()->setMinimumSectionSize(16);
    m_table->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    m_table->horizontalHeader()->setSectionsClickable(false);
    QStringList headings;
    for (const char *h : kHeadings)
        headings << QString::fromUtf8(h);
    m_table->setHorizontalHeaderLabels(headings);
    m_table->setColumnWidth(places::kJccColumn, 50);
    m_table->setColumnWidth(places::kCityColumn, 154);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setTabKeyNavigation(true);
    m_table->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::AnyKeyPressed);
    m_table->setItemDelegate(new CellDelegate(
        this, [this] { setChanged(); }, m_table));
    m_table->installEventFilter(this);

    m_countLabel = new QLabel(QStringLiteral("マスタ総数；"), this);
    m_countLabel->setObjectName(QStringLiteral("countLabel"));
    m_countLabel->setGeometry(664, 66, 72, 16);
    m_countValue = new QLabel(this);
    m_countValue->setObjectName(QStringLiteral("countValue"));
    m_countValue->setGeometry(730, 66, 40, 16);
    m_countValue->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto *editNote = new QLabel(QStringLiteral("※ 修正は手直し"), this);
    editNote->setObjectName(QStringLiteral("editNote"));
    editNote->setGeometry(664, 94, 110, 16);
    setHint(editNote, QStringLiteral("|修正は一覧表を直接手直ししてから保存します"));
}

void MasterEditorDialog::buildCommands()
{
    auto button = [this](const char *name, const char *caption, QRect at, const char *hint) {
        QPushButton *b =
            makeDialogButton(this, QString::fromUtf8(name), QString::fromUtf8(caption), at);
        if (hint)
            setHint(b, QString::fromUtf8(hint));
        return b;
    };
    m_firstRowButton = button("firstRowButton", "先頭行", {664, 124, 54, 22}, nullptr);
    m_lastRowButton = button("lastRowButton", "最終行", {722, 124, 54, 22}, nullptr);
    m_jumpEdit = new QLineEdit(this);
    m_jumpEdit->setObjectName(QStringLiteral("jumpEdit"));
    m_jumpEdit->setGeometry(664, 156, 54, 20);
    m_jumpEdit->setMaxLength(9);
    m_jumpEdit->setInputMethodHints(Qt::ImhDigitsOnly);
    m_jumpButton = button("jumpButton", "JMP", {722, 155, 54, 22}, "|行を指定してジャンプします");
    m_insertButton =
        button("insertButton", "挿　入", {664, 190, 54, 22}, "|カーソル行の上に空白行をつくります");
    m_appendButton =
        button("appendButton", "追　加", {722, 190, 54, 22}, "|最終行のあとに空白行をつくります");
    m_deleteButton =
        button("deleteButton", "削　除", {664, 222, 54, 22}, "|カーソルのある行を削除します");
    m_saveButton =
        button("saveButton", "保　存", {722, 222, 54, 22}, "|変更のあった場合に保存します");
    m_clearButton = button("clearButton", "表示クリア", {664, 262, 112, 22}, nullptr);
    m_closeButton = button("closeButton", "終　了", {664, kBottomRow, 112, 22}, nullptr);

    connect(m_firstRowButton, &QPushButton::clicked, this, &MasterEditorDialog::goToFirstRow);
    connect(m_lastRowButton, &QPushButton::clicked, this, &MasterEditorDialog::goToLastRow);
    connect(m_jumpButton, &QPushButton::clicked, this, &MasterEditorDialog::jumpToRow);
    connect(m_insertButton, &QPushButton::clicked, this, &MasterEditorDialog::insertRow);
    connect(m_appendButton, &QPushButton::clicked, this, &MasterEditorDialog::appendRow);
    connect(m_deleteButton, &QPushButton::clicked, this, &MasterEditorDialog::deleteRow);
    connect(m_saveButton, &QPushButton::clicked, this, &MasterEditorDialog::saveMaster);
    connect(m_clearButton, &QPushButton::clicked, this, &MasterEditorDialog::clearTable);
    connect(m_closeButton, &QPushButton::clicked, this, &MasterEditorDialog::closeEditor);
    setRowsLoaded(false);
}

bool MasterEditorDialog::eventFilter(QObject *watched, QEvent *event)
{
    // Typing a character into the table or a cell marks the table as changed; Backspace,
    // Delete and the other control keys alone do not.
    if (event->type() == QEvent::KeyPress && m_table) {
        const auto *w = qobject_cast<QWidget *>(watched);
        const bool inCell = w && w->parentWidget() == m_table->viewport();
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((inCell || w == m_table) && isPrintableKey(key))
            setChanged();
        // Enter in a cell commits it and closes its editor, which the delegate has already
        // set in motion; moving the focus on as in the other fields would close it twice.
        if (inCell && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            if (m_state.settings.keyClick)
                m_services.keyClick.play();
            return true;
        }
    }
    return VezoDialog::eventFilter(watched, event);
}

bool MasterEditorDialog::hasChanges() const
{
    return m_saveButton->isEnabled();
}

void MasterEditorDialog::setChanged()
{
    if (!m_path.empty() && m_table)
        m_saveButton->setEnabled(true);
}

void MasterEditorDialog::setRowsLoaded(bool loaded)
{
    for (QPushButton *b : {m_firstRowButton, m_lastRowButton, m_deleteButton, m_insertButton,
                           m_appendButton, m_clearButton, m_jumpButton})
        b->setEnabled(loaded);
    if (!loaded)
        m_saveButton->setEnabled(false);
}

void MasterEditorDialog::fillRow(int row, const places::MasterRow &cells)
{
    for (int c = places::kJccColumn; c < places::kMasterColumnCount; ++c) {
        auto *item = new QTableWidgetItem(fromSjis(cells.cell(c)));
        item->setTextAlignment(alignmentOf(c));
        m_table->setItem(row, c, item);
    }
    // The record itself rides with the row's first cell, so rows nobody edits are saved as
    // they were read, even where their bytes do not survive the way through the screen.
    if (cells.loaded)
        m_table->item(row, places::kJccColumn)
            ->setData(kLoadedRecordRole,
                      QByteArray(cells.loaded->bytes.data(), places::kMasterRecordSize));
}

std::optional<places::MasterRow> MasterEditorDialog::untouchedRow(int row) const
{
    const QTableWidgetItem *first = m_table->item(row, places::kJccColumn);
    const QByteArray bytes = first ? first->data(kLoadedRecordRole).toByteArray() : QByteArray();
    if (bytes.size() != static_cast<qsizetype>(places::kMasterRecordSize))
        return std::nullopt;
    places::JccMasterRecord record;
    std::copy(bytes.begin(), bytes.end(), record.bytes.begin());
    places::MasterRow shown = places::rowOf(record);
    for (int c = places::kJccColumn; c < places::kMasterColumnCount; ++c) {
        const QTableWidgetItem *item = m_table->item(row, c);
        if (!item || item->text() != fromSjis(shown.cell(c)))
            return std::nullopt;
    }
    return shown;
}

void MasterEditorDialog::renumberFrom(int row)
{
    for (int r = std::max(row, 0); r < m_table->rowCount(); ++r) {
        auto *item = new QTableWidgetItem(QString::number(r + 1));
        item->setTextAlignment(alignmentOf(places::kRowNumberColumn));
        item->setFlags(item->flags() & ~Qt::ItemIsEditable);
        m_table->setItem(r, places::kRowNumberColumn, item);
    }
}

void MasterEditorDialog::emptyToOneRow()
{
    m_table->clearContents();
    m_table->setRowCount(1);
    auto *number = new QTableWidgetItem;
    number->setFlags(number->flags() & ~Qt::ItemIsEditable);
    m_table->setItem(0, places::kRowNumberColumn, number);
}

std::vector<places::MasterRow> MasterEditorDialog::tableRows() const
{
    std::vector<places::MasterRow> rows;
    for (int r = 0; r < m_table->rowCount(); ++r) {
        if (auto untouched = untouchedRow(r)) {
            rows.push_back(std::move(*untouched));
            continue;
        }
        places::MasterRow row;
        bool empty = true;
        for (int c = places::kJccColumn; c < places::kMasterColumnCount; ++c) {
            const QTableWidgetItem *item = m_table->item(r, c);
            row.cell(c) = item ? toSjis(item->text()).value_or(std::string()) : std::string();
            empty = empty && row.cell(c).empty();
        }
        // The one empty row of a table without cities is no city.
        if (empty && m_table->rowCount() == 1)
            break;
        rows.push_back(std::move(row));
    }
    return rows;
}

void MasterEditorDialog::showCount()
{
    m_countValue->setText(QString::number(tableRows().size()));
}

void MasterEditorDialog::scrollToTop(int row)
{
    const int top = std::clamp(row, 0, std::max(m_table->rowCount() - 1, 0));
    m_table->scrollTo(m_table->model()->index(top, 0), QAbstractItemView::PositionAtTop);
}

QString MasterEditorDialog::cityOfRow(int row) const
{
    const QTableWidgetItem *item = m_table->item(row, places::kCityColumn);
    return item ? item->text() : QString();
}

void MasterEditorDialog::loadArea(int area)
{
    const std::string path = places::masterFilePath(m_state.dataDir, area);
    const places::MasterRecords read = places::readMasterFile(path);
    if (read.result != places::MasterRead::Ok) {
        m_services.messages.notice(
            QStringLiteral("ファイルオープンできません。ファイルの有無を点検してください"));
        return;
    }
    m_path = path;
    m_table->clearContents();
    if (read.records.empty()) {
        emptyToOneRow();
    } else {
        m_table->setRowCount(static_cast<int>(read.records.size()));
        for (std::size_t r = 0; r < read.records.size(); ++r)
            fillRow(static_cast<int>(r), places::rowOf(read.records[r]));
        renumberFrom(0);
    }
    for (int i = 0; i < places::kMasterAreaCount; ++i)
        m_areaButtons[static_cast<std::size_t>(i)]->setEnabled(i == area);
    // Reloading the loaded area discards the table's changes but keeps the save mark.
    const bool changed = m_saveButton->isEnabled();
    setRowsLoaded(true);
    m_saveButton->setEnabled(changed);
    m_table->setCurrentCell(0, places::kJccColumn);
    scrollToTop(0);
    showCount();
    m_table->setFocus();
}

void MasterEditorDialog::goToFirstRow()
{
    scrollToTop(0);
    m_table->setFocus();
}

void MasterEditorDialog::goToLastRow()
{
    // The top row becomes the row count minus 5 (the first row in lists shorter than that).
    scrollToTop(m_table->rowCount() - 5 - 1);
    m_table->setFocus();
}

void MasterEditorDialog::jumpToRow()
{
    const places::JumpTarget target =
        places::jumpTarget(m_jumpEdit->text().toStdString(), m_table->rowCount());
    switch (target.kind) {
    case places::JumpTarget::Empty:
        m_jumpEdit->setFocus();
        return;
    case places::JumpTarget::Row:
        scrollToTop(target.row - 1);
        m_table->setCurrentCell(target.row - 1, std::max(m_table->currentColumn(), 1));
        m_table->setFocus();
        m_jumpEdit->clear();
        return;
    case places::JumpTarget::OutOfRange:
        m_services.messages.notice(QStringLiteral("範囲外のレコードナンバーです"));
        m_jumpEdit->clear();
        m_jumpEdit->setFocus();
        return;
    }
}

void MasterEditorDialog::insertRow()
{
    const int row = std::max(m_table->currentRow(), 0);
    if (!m_services.messages.confirm(cityOfRow(row) +
                                     QStringLiteral("　の上に空白行を挿入してよろしいか"))) {
        m_table->setFocus();
        return;
    }
    m_saveButton->setEnabled(true);
    m_table->insertRow(row);
    renumberFrom(row);
    scrollToTop(row);
    m_table->setCurrentCell(row, places::kJccColumn);
    showCount();
    m_table->setFocus();
}

void MasterEditorDialog::appendRow()
{
    if (!m_services.messages.confirm(QStringLiteral("最終行の後に空白行追加してよろしいか"))) {
        m_table->setFocus();
        return;
    }
    m_saveButton->setEnabled(true);
    const int row = m_table->rowCount();
    m_table->insertRow(row);
    renumberFrom(row);
    scrollToTop(m_table->rowCount() - 5 - 1);
    m_table->setCurrentCell(row, places::kJccColumn);
    showCount();
    m_table->setFocus();
}

void MasterEditorDialog::deleteRow()
{
    const int row = std::max(m_table->currentRow(), 0);
    if (!m_services.messages.confirm(cityOfRow(row) + QStringLiteral("　を削除してもよろしいか"))) {
        m_table->setFocus();
        return;
    }
    m_saveButton->setEnabled(true);
    if (m_table->rowCount() == 1) {
        // The table keeps one row to type into.
        emptyToOneRow();
    } else {
        m_table->removeRow(row);
        renumberFrom(row);
    }
    const int next = std::min(row, m_table->rowCount() - 1);
    m_table->setCurrentCell(next, std::max(m_table->currentColumn(), 1));
    m_table->scrollTo(m_table->model()->index(next, 0));
    showCount();
    m_table->setFocus();
}

void MasterEditorDialog::saveMaster()
{
    if (m_path.empty())
        return;
    const QString path = QString::fromStdString(m_path);
    if (!m_services.messages.confirm(path +
                                     QStringLiteral(" の修正（削除）データを保存しますか　？")))
        return;
    const places::MasterSaveOutcome saved = places::saveMasterFile(m_path, tableRows());
    switch (saved.result) {
    case places::MasterSave::Ok:
        m_saveButton->setEnabled(false);
        clearTable();
        return;
    case places::MasterSave::BadNumber:
        m_services.messages.plain(QStringLiteral(
            "数値の入るところが空白か文字になっています。 はじめからやり直してください"));
        m_table->setCurrentCell(saved.row - 1, saved.column);
        // The file is as it was; the operator may keep the table to correct it.
        clearTable();
        return;
    case places::MasterSave::Failed:
        // Nothing was replaced: the file and its backup are as they were, the table stays.
        m_services.messages.writeFailed(path);
        return;
    }
}

bool MasterEditorDialog::clearTable()
{
    if (m_saveButton->isEnabled() && !m_services.messages.confirm(QStringLiteral(
                                         "変更があります。　保存しなくてもよろしいか？")))
        return false;
    emptyToOneRow();
    for (QPushButton *b : m_areaButtons)
        b->setEnabled(true);
    setRowsLoaded(false);
    m_countValue->clear();
    m_path.clear();
    return true;
}

void MasterEditorDialog::closeEditor()
{
    if (m_saveButton->isEnabled() && !m_services.messages.confirm(QStringLiteral(
                                         "変更があります。　保存しなくてもよろしいか？")))
        return;
    m_closing = true;
    accept();
}

void MasterEditorDialog::reject()
{
    if (m_closing) {
        VezoDialog::reject();
        return;
    }
    closeEditor();
}

void MasterEditorDialog::done(int result)
{
    m_closing = true;
    m_state.dialogModes.master = 0;
    VezoDialog::done(result);
}

} // namespace vz::ui
