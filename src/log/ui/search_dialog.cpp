// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/ui/search_dialog.h"

#include "common/progress.h"
#include "common/ui/hint_bar.h"
#include "common/ui/qt_text.h"
#include "log/ui/result_model.h"
#include "log/ui/search_key_dialog.h"

#include <QButtonGroup>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTableView>

namespace vz::ui {

namespace {

constexpr int kClientWidth = 787;
constexpr int kClientHeight = 336;
constexpr int kRowHeight = 16;

struct ItemButtonSpec
{
    const char *name; // objectName
    const char *caption;
    const char *hint;
};

constexpr std::array<ItemButtonSpec, log::kItemCount> kItemButtons{{
    {"callItemButton", "コール", "コールサイン検索|コールサインで検索します"},
    {"jccItemButton", "ＪＣＣ", "JCCナンバー検索|ＪＣＣナンバーを指定して検索します"},
    {"frequencyItemButton", "周波数", "周波数検索|周波数により検索します"},
    {"modeItemButton", "モード", "電波形式検索|電波形式を指定して検索します"},
    {"dateItemButton", "年月日", "年月日検索|交信した年月日で検索します"},
    {"nameItemButton", "氏　名", "氏名検索|交信した相手局のオペレータ名で検索します"},
    {"markItemButton", "マーク", "マーク検索|予め策定したマークで検索します"},
    {"unissuedItemButton", "未発行",
     "カード未発行局表示|交信記録入力でカード交換を指定し、未発行になっている局を表示します"},
}};

struct AreaButtonSpec
{
    int area;
    const char *caption;
    const char *hint;
};

// Left to right as the operator reads the map: areas 1 to 9, then 0, then abroad.
constexpr std::array<AreaButtonSpec, 11> kAreaButtons{{
    {1, "関　東", "関東（１エリア）"},
    {2, "東　海", "東海（２エリア）"},
    {3, "近　畿", "近畿（３エリア）"},
    {4, "中　国", "中国（４エリア）"},
    {5, "四　国", "四国（５エリア）"},
    {6, "九　州", "九州・沖縄（６エリア）"},
    {7, "東　北", "東北（７エリア）"},
    {8, "北海道", "北海道（８エリア）"},
    {9, "北　陸", "北陸（９エリア）"},
    {0, "信　越", "信越（０エリア）"},
    {10, "その他", "その他のエリア（海外）"},
}};

constexpr int kJccWidth = 60;
constexpr int kPortableWidth = 154;
constexpr int kMarkWidth = 54;

QPushButton *makeListButton(QWidget *parent, const QString &name, const QString &caption,
                            const QRect &geometry)
{
    return makeDialogButton(parent, name, caption, geometry, false);
}

QString noticeMessage(log::SearchNotice notice)
{
    const std::string_view text = log::noticeText(notice);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

// Carries one search's rows into the grid and gives each log's notice.
class ListPass final : public log::SearchObserver
{
public:
    ListPass(SearchDialog &dialog, const log::SearchPlan &plan) : m_dialog(dialog), m_plan(plan) {}

    void addRow(const log::ResultRow &row) override
    {
        m_dialog.m_model->addRow(row);
        m_dialog.m_state.resultsShown = true;
    }

    void passStarting(const log::SearchLog &) override { m_dialog.m_state.resultsShown = false; }

    void passFinished(const log::SearchLog &searched, const log::PassResult &result) override
    {
        m_dialog.m_model->flush();
        if (m_plan.listMode == static_cast<int>(log::SearchItem::Jcc))
            m_dialog.applyColumnSet(SearchDialog::JccSet);
        else if (m_plan.listMode == static_cast<int>(log::SearchItem::Mark))
            m_dialog.applyColumnSet(SearchDialog::MarkSet);
        if (result.status == log::PassStatus::ReadFailed)
            m_dialog.m_services.messages.error(
                QStringLiteral("ログファイルを読めませんでした。\n%1")
                    .arg(QString::fromStdString(searched.path)));
        else if (result.status == log::PassStatus::NoMatch)
            m_dialog.m_services.messages.notice(noticeMessage(log::SearchNotice::NoMatch));
    }

private:
    SearchDialog &m_dialog;
    const log::SearchPlan &m_plan;
};

SearchDialog::SearchDialog(app::AppState &state, UiServices &services, QWidget *parent)
    : VezoDialog({state.settings.flatWindow, state.settings.keyClick}, services, parent),
      m_state(state), m_kind(state.dialogModes.list), m_progress(nullptr),
      m_model(new ResultModel(this)), m_itemGroup(new QButtonGroup(this)),
      m_areaGroup(new QButtonGroup(this)), m_resultTable(new QTableView(this))
{
    setObjectName(QStringLiteral("SearchDialog"));
    setFixedSize(kClientWidth, kClientHeight);
    setGreyFrame(true);
    buildButtons();
    buildGrid();

    // What showing the dialog sets up: the title, the buttons of the mode, the grid's headers
    // and default widths, the default column set.
    const bool areaSearch = m_kind == log::kAreaListing;
    setTitle(areaSearch ? QStringLiteral("エリア別検索") : QStringLiteral("項目別検索"));
    for (QPushButton *b : m_itemButtons)
        b->setVisible(!areaSearch);
    for (QPushButton *b : m_areaButtons)
        b->setVisible(areaSearch);
    m_clearButton->setEnabled(false);
    for (int c = 0; c < static_cast<int>(log::kResultColumns); ++c)
        if (const int w = ResultModel::defaultWidth(c))
            m_resultTable->setColumnWidth(c, w);
    resetColumns();
}

void SearchDialog::buildButtons()
{
    m_itemGroup->setExclusive(false);
    m_areaGroup->setExclusive(false);
    for (std::size_t i = 0; i < kItemButtons.size(); ++i) {
        const int item = static_cast<int>(i) + 1;
        QPushButton *b = makeListButton(this, QString::fromLatin1(kItemButtons[i].name),
                                        QString::fromUtf8(kItemButtons[i].caption),
                                        QRect(140 + static_cast<int>(i) * 78, 12, 74, 24));
        setHint(b, QString::fromUtf8(kItemButtons[i].hint));
        m_itemGroup->addButton(b, item);
        m_itemButtons[i] = b;
    }
    for (std::size_t i = 0; i < kAreaButtons.size(); ++i) {
        const AreaButtonSpec &button = kAreaButtons[i];
        QPushButton *b = makeListButton(this, QStringLiteral("area%1Button").arg(button.area),
                                        QString::fromUtf8(button.caption),
                                        QRect(140 + static_cast<int>(i) * 57, 12, 54, 24));
        setHint(b, QString::fromUtf8(button.hint));
        m_areaGroup->addButton(b, button.area);
        m_areaButtons[i] = b;
    }
    connect(m_itemGroup, &QButtonGroup::idClicked, this, &SearchDialog::searchItem);
    connect(m_areaGroup, &QButtonGroup::idClicked, this, &SearchDialog::searchArea);

    const int row = 300;
    m_jccColumnButton = makeListButton(this, QStringLiteral("jccColumnButton"),
                                       QStringLiteral("JCC"), QRect(14, row, 62, 24));
    m_portableColumnButton = makeListButton(this, QStringLiteral("portableColumnButton"),
                                            QStringLiteral("移動地"), QRect(80, row, 62, 24));
    m_markColumnButton = makeListButton(this, QStringLiteral("markColumnButton"),
                                        QStringLiteral("マーク"), QRect(146, row, 62, 24));
    m_allColumnsButton = makeListButton(this, QStringLiteral("allColumnsButton"),
                                        QStringLiteral("全項目"), QRect(212, row, 62, 24));
    m_defaultColumnsButton = makeListButton(this, QStringLiteral("defaultColumnsButton"),
                                            QStringLiteral("初期値"), QRect(278, row, 62, 24));
    m_clearButton = makeListButton(this, QStringLiteral("clearButton"),
                                   QStringLiteral("表示クリア"), QRect(500, row, 86, 24));
    m_helpButton = makeListButton(this, QStringLiteral("helpButton"), QStringLiteral("ヘルプ"),
                                  QRect(592, row, 86, 24));
    m_closeButton = makeListButton(this, QStringLiteral("closeButton"), QStringLiteral("終　了"),
                                   QRect(684, row, 86, 24));
    setHint(m_jccColumnButton, QStringLiteral("|ＪＣＣナンバーを表示"));
    setHint(m_portableColumnButton, QStringLiteral("|相手局が移動運用だったか ？"));
    setHint(m_markColumnButton, QStringLiteral("|設定したマークを表示"));
    setHint(m_allColumnsButton, QStringLiteral("|入力した項目の殆どを表示"));
    setHint(m_defaultColumnsButton, QStringLiteral("|表示をデフォルトに戻す"));
    setHint(m_clearButton, QStringLiteral("|検索結果をクリアします"));

    connect(m_jccColumnButton, &QPushButton::clicked, this, &SearchDialog::showJccColumn);
    connect(m_portableColumnButton, &QPushButton::clicked, this, &SearchDialog::showPortableColumn);
    connect(m_markColumnButton, &QPushButton::clicked, this, &SearchDialog::showMarkColumn);
    connect(m_allColumnsButton, &QPushButton::clicked, this, &SearchDialog::showAllColumns);
    connect(m_defaultColumnsButton, &QPushButton::clicked, this, &SearchDialog::showDefaultColumns);
    connect(m_clearButton, &QPushButton::clicked, this, &SearchDialog::clearList);
    connect(m_helpButton, &QPushButton::clicked, this, &SearchDialog::showHelp);
    connect(m_closeButton, &QPushButton::clicked, this, &SearchDialog::closeDialog);
}

void SearchDialog::showHelp()
{
    m_services.help.showTopic(kHelpContext);
}

void SearchDialog::buildGrid()
{
    m_resultTable->setObjectName(QStringLiteral("resultTable"));
    m_resultTable->setGeometry(12, 42, 763, 252);
    QFont f = m_resultTable->font();
    f.setPixelSize(12);
    m_resultTable->setFont(f);
    m_resultTable->setModel(m_model);
    m_resultTable->setItemDelegate(new ResultCellDelegate(m_resultTable));
    m_resultTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_resultTable->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_resultTable->setSelectionMode(QAbstractItemView::ContiguousSelection);
    m_resultTable->setTabKeyNavigation(false);
    m_resultTable->setWordWrap(false);
    m_resultTable->setCornerButtonEnabled(false);
    m_resultTable->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);

    // No fixed column; every row, the header included, 16 pixels high.
    QHeaderView *rows = m_resultTable->verticalHeader();
    rows->hide();
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(kRowHeight);
    rows->setSectionResizeMode(QHeaderView::Fixed);
    QHeaderView *columns = m_resultTable->horizontalHeader();
    columns->setFont(f);
    columns->setMinimumSectionSize(1);
    columns->setFixedHeight(kRowHeight + 2);
    columns->setSectionResizeMode(QHeaderView::Interactive);
    columns->setSectionsMovable(false);
    columns->setSectionsClickable(false);
    columns->setHighlightSections(false);
    columns->setStretchLastSection(false);
    columns->setDefaultAlignment(Qt::AlignCenter);
}

void SearchDialog::keyPressEvent(QKeyEvent *event)
{
    // Escape does not close the list: the results on it would be lost to a stray key.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    VezoDialog::keyPressEvent(event);
}

void SearchDialog::keepOnlyPressed(const QButtonGroup *group, int pressedId)
{
    for (QAbstractButton *b : group->buttons())
        b->setEnabled(group->id(b) == pressedId);
}

void SearchDialog::setColumnSetButtonsEnabled(bool enabled)
{
    for (QPushButton *b :
         {m_jccColumnButton, m_portableColumnButton, m_markColumnButton, m_allColumnsButton})
        b->setEnabled(enabled);
}

void SearchDialog::showColumn(log::ResultColumn column, int width)
{
    const int c = static_cast<int>(column);
    m_resultTable->setColumnHidden(c, false);
    m_resultTable->setColumnWidth(c, width);
}

void SearchDialog::resetColumns()
{
    for (log::ResultColumn c :
         {log::ResultColumn::FixedJcc, log::ResultColumn::PortableQth, log::ResultColumn::Mark})
        m_resultTable->setColumnHidden(static_cast<int>(c), true);
    setColumnSetButtonsEnabled(true);
    m_defaultColumnsButton->setEnabled(false);
}

void SearchDialog::applyColumnSet(ColumnSet set)
{
    if (set == AllSet) {
        showColumn(log::ResultColumn::FixedJcc, kJccWidth);
        showColumn(log::ResultColumn::PortableQth, kPortableWidth);
        showColumn(log::ResultColumn::Mark, kMarkWidth);
        setColumnSetButtonsEnabled(false);
        m_defaultColumnsButton->setEnabled(true);
        return;
    }
    resetColumns();
    QPushButton *own = nullptr;
    switch (set) {
    case JccSet:
        showColumn(log::ResultColumn::FixedJcc, kJccWidth);
        own = m_jccColumnButton;
        break;
    case PortableSet:
        showColumn(log::ResultColumn::PortableQth, kPortableWidth);
        own = m_portableColumnButton;
        break;
    default:
        showColumn(log::ResultColumn::Mark, kMarkWidth);
        own = m_markColumnButton;
        break;
    }
    own->setEnabled(false);
    m_allColumnsButton->setEnabled(false);
    m_defaultColumnsButton->setEnabled(true);
}

void SearchDialog::showJccColumn()
{
    applyColumnSet(JccSet);
}

void SearchDialog::showPortableColumn()
{
    applyColumnSet(PortableSet);
}

void SearchDialog::showMarkColumn()
{
    applyColumnSet(MarkSet);
}

void SearchDialog::showAllColumns()
{
    applyColumnSet(AllSet);
}

void SearchDialog::showDefaultColumns()
{
    resetColumns();
}

void SearchDialog::logChanged()
{
    if (!m_lastPlan || m_model->resultCount() == 0)
        return;
    const log::SearchPlan plan = *m_lastPlan;
    m_model->clear();
    runPasses(plan);
}

void SearchDialog::runPasses(const log::SearchPlan &plan)
{
    m_lastPlan = plan;
    const log::SearchLog own{m_state.logPath, &m_state.ownIndex, {}};
    std::optional<log::SearchLog> reference;
    if (m_state.referenceOn)
        reference = log::SearchLog{m_state.referenceLogPath, &m_state.referenceIndex,
                                   m_state.referenceCall};
    ListPass pass(*this, plan);
    NoProgress quiet;
    log::runSearch(plan, own, reference, pass, m_progress ? *m_progress : quiet);
}

void SearchDialog::searchItem(int item)
{
    if (item == static_cast<int>(log::SearchItem::Unissued)) {
        // Cards not yet issued need no key and may be listed again at any time.
        m_state.dialogModes.list = item;
        runPasses(log::planItemSearch(log::SearchItem::Unissued, {}, m_state.prefixTable));
        // Rows on the list must be clearable, or every other search stays refused; a last pass
        // that found nothing (a reference log with no pending cards) leaves the earlier rows.
        if (m_model->resultCount() > 0)
            m_clearButton->setEnabled(true);
        return;
    }
    if (m_state.resultsShown) {
        m_services.messages.notice(noticeMessage(log::SearchNotice::ResultsShown));
        return;
    }
    m_state.dialogModes.list = item;
    m_clearButton->setEnabled(true);
    setColumnSetButtonsEnabled(true);

    SearchKeyDialog find(m_state, m_services, item, this);
    if (m_placeKeyDialog)
        m_placeKeyDialog(&find);
    else
        find.move(300, y());
    if (find.exec() != QDialog::Accepted)
        return;
    keepOnlyPressed(m_itemGroup, item);
    runPasses(log::planItemSearch(static_cast<log::SearchItem>(item), m_state.searchKey,
                                  m_state.prefixTable));
}

void SearchDialog::searchArea(int area)
{
    if (const auto refusal = log::checkAreaSearch(m_state.ownIndex, area)) {
        m_services.messages.notice(noticeMessage(*refusal));
        return;
    }
    if (m_state.resultsShown) {
        m_services.messages.notice(noticeMessage(log::SearchNotice::ResultsShown));
        return;
    }
    keepOnlyPressed(m_areaGroup, area);
    setColumnSetButtonsEnabled(true);
    m_clearButton->setEnabled(true);
    runPasses(log::planAreaSearch(area));
}

void SearchDialog::clearList()
{
    m_lastPlan.reset();
    m_model->clear();
    resetColumns();
    for (QPushButton *b : m_itemButtons)
        b->setEnabled(true);
    for (QPushButton *b : m_areaButtons)
        b->setEnabled(true);
    m_clearButton->setEnabled(false);
    setColumnSetButtonsEnabled(false);
    m_state.resultsShown = false;
}

void SearchDialog::closeDialog()
{
    close();
}

void SearchDialog::done(int result)
{
    m_state.resultsShown = false;
    m_state.dialogModes.list = 0;
    VezoDialog::done(result);
}

} // namespace vz::ui
