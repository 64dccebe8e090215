// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/ui/list_dlg.h"

#include "app/ui/hint_bar.h"
#include "common/progress.h"
#include "common/ui/qt_text.h"
#include "log/ui/find_dlg.h"
#include "log/ui/result_model.h"

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
    const char *caption;
    const char *hint;
};

constexpr std::array<ItemButtonSpec, log::kItemCount> kItemButtons{{
    {"コール", "コールサイン検索|コールサインで検索します"},
    {"ＪＣＣ", "JCCナンバー検索|ＪＣＣナンバーを指定して検索します"},
    {"周波数", "周波数検索|周波数により検索します"},
    {"モード", "電波形式検索|電波形式を指定して検索します"},
    {"年月日", "年月日検索|交信した年月日で検索します"},
    {"氏　名", "氏名検索|交信した相手局のオペレータ名で検索します"},
    {"マーク", "マーク検索|予め策定したマークで検索します"},
    {"未発行",
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
    ListPass(TListDlg &dialog, const log::SearchPlan &plan) : m_dialog(dialog), m_plan(plan) {}

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
            m_dialog.applyColumnSet(TListDlg::JccSet);
        else if (m_plan.listMode == static_cast<int>(log::SearchItem::Mark))
            m_dialog.applyColumnSet(TListDlg::MarkSet);
        if (result.status == log::PassStatus::ReadFailed)
            m_dialog.m_services.messages.error(
                QStringLiteral("ログファイルを読めませんでした。\n%1")
                    .arg(QString::fromStdString(searched.path)));
        else if (result.status == log::PassStatus::NoMatch)
            m_dialog.m_services.messages.notice(noticeMessage(log::SearchNotice::NoMatch));
    }

private:
    TListDlg &m_dialog;
    const log::SearchPlan &m_plan;
};

TListDlg::TListDlg(app::AppState &state, UiServices &services, QWidget *parent)
    : VezoDialog(state, services, parent), m_kind(state.dialogModes.list), m_progress(nullptr),
      m_model(new ResultModel(this)), m_itemGroup(new QButtonGroup(this)),
      m_areaGroup(new QButtonGroup(this)), StringGrid1(new QTableView(this))
{
    setObjectName(QStringLiteral("ListDlg"));
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
    SpeedButton25->setEnabled(false);
    for (int c = 0; c < static_cast<int>(log::kResultColumns); ++c)
        if (const int w = ResultModel::defaultWidth(c))
            StringGrid1->setColumnWidth(c, w);
    resetColumns();
}

void TListDlg::buildButtons()
{
    m_itemGroup->setExclusive(false);
    m_areaGroup->setExclusive(false);
    for (std::size_t i = 0; i < kItemButtons.size(); ++i) {
        const int item = static_cast<int>(i) + 1;
        QPushButton *b = makeListButton(this, QStringLiteral("SpeedButton%1").arg(item),
                                        QString::fromUtf8(kItemButtons[i].caption),
                                        QRect(140 + static_cast<int>(i) * 78, 12, 74, 24));
        setHint(b, QString::fromUtf8(kItemButtons[i].hint));
        m_itemGroup->addButton(b, item);
        m_itemButtons[i] = b;
    }
    for (std::size_t i = 0; i < kAreaButtons.size(); ++i) {
        const AreaButtonSpec &button = kAreaButtons[i];
        QPushButton *b = makeListButton(this, QStringLiteral("SpeedButton%1").arg(9 + i),
                                        QString::fromUtf8(button.caption),
                                        QRect(140 + static_cast<int>(i) * 57, 12, 54, 24));
        setHint(b, QString::fromUtf8(button.hint));
        m_areaGroup->addButton(b, button.area);
        m_areaButtons[i] = b;
    }
    connect(m_itemGroup, &QButtonGroup::idClicked, this, &TListDlg::ItemButtonClick);
    connect(m_areaGroup, &QButtonGroup::idClicked, this, &TListDlg::AreaButtonClick);

    const int row = 300;
    SpeedButton20 = makeListButton(this, QStringLiteral("SpeedButton20"), QStringLiteral("JCC"),
                                   QRect(14, row, 62, 24));
    SpeedButton21 = makeListButton(this, QStringLiteral("SpeedButton21"), QStringLiteral("移動地"),
                                   QRect(80, row, 62, 24));
    SpeedButton22 = makeListButton(this, QStringLiteral("SpeedButton22"), QStringLiteral("マーク"),
                                   QRect(146, row, 62, 24));
    SpeedButton23 = makeListButton(this, QStringLiteral("SpeedButton23"), QStringLiteral("全項目"),
                                   QRect(212, row, 62, 24));
    SpeedButton24 = makeListButton(this, QStringLiteral("SpeedButton24"), QStringLiteral("初期値"),
                                   QRect(278, row, 62, 24));
    SpeedButton25 = makeListButton(this, QStringLiteral("SpeedButton25"),
                                   QStringLiteral("表示クリア"), QRect(500, row, 86, 24));
    SpeedButton26 = makeListButton(this, QStringLiteral("SpeedButton26"), QStringLiteral("ヘルプ"),
                                   QRect(592, row, 86, 24));
    SpeedButton27 = makeListButton(this, QStringLiteral("SpeedButton27"), QStringLiteral("終　了"),
                                   QRect(684, row, 86, 24));
    setHint(SpeedButton20, QStringLiteral("|ＪＣＣナンバーを表示"));
    setHint(SpeedButton21, QStringLiteral("|相手局が移動運用だったか ？"));
    setHint(SpeedButton22, QStringLiteral("|設定したマークを表示"));
    setHint(SpeedButton23, QStringLiteral("|入力した項目の殆どを表示"));
    setHint(SpeedButton24, QStringLiteral("|表示をデフォルトに戻す"));
    setHint(SpeedButton25, QStringLiteral("|検索結果をクリアします"));

    connect(SpeedButton20, &QPushButton::clicked, this, &TListDlg::SpeedButton20Click);
    connect(SpeedButton21, &QPushButton::clicked, this, &TListDlg::SpeedButton21Click);
    connect(SpeedButton22, &QPushButton::clicked, this, &TListDlg::SpeedButton22Click);
    connect(SpeedButton23, &QPushButton::clicked, this, &TListDlg::SpeedButton23Click);
    connect(SpeedButton24, &QPushButton::clicked, this, &TListDlg::SpeedButton24Click);
    connect(SpeedButton25, &QPushButton::clicked, this, &TListDlg::SpeedButton25Click);
    connect(SpeedButton27, &QPushButton::clicked, this, &TListDlg::SpeedButton27Click);
}

void TListDlg::buildGrid()
{
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setGeometry(12, 42, 763, 252);
    QFont f = StringGrid1->font();
    f.setPixelSize(12);
    StringGrid1->setFont(f);
    StringGrid1->setModel(m_model);
    StringGrid1->setItemDelegate(new ResultCellDelegate(StringGrid1));
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectItems);
    StringGrid1->setSelectionMode(QAbstractItemView::ContiguousSelection);
    StringGrid1->setTabKeyNavigation(false);
    StringGrid1->setWordWrap(false);
    StringGrid1->setCornerButtonEnabled(false);
    StringGrid1->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);

    // No fixed column; every row, the header included, 16 pixels high.
    QHeaderView *rows = StringGrid1->verticalHeader();
    rows->hide();
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(kRowHeight);
    rows->setSectionResizeMode(QHeaderView::Fixed);
    QHeaderView *columns = StringGrid1->horizontalHeader();
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

void TListDlg::keyPressEvent(QKeyEvent *event)
{
    // Escape does not close the list: the results on it would be lost to a stray key.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    VezoDialog::keyPressEvent(event);
}

void TListDlg::keepOnlyPressed(const QButtonGroup *group, int pressedId)
{
    for (QAbstractButton *b : group->buttons())
        b->setEnabled(group->id(b) == pressedId);
}

void TListDlg::setColumnSetButtonsEnabled(bool enabled)
{
    for (QPushButton *b : {SpeedButton20, SpeedButton21, SpeedButton22, SpeedButton23})
        b->setEnabled(enabled);
}

void TListDlg::showColumn(log::ResultColumn column, int width)
{
    const int c = static_cast<int>(column);
    StringGrid1->setColumnHidden(c, false);
    StringGrid1->setColumnWidth(c, width);
}

void TListDlg::resetColumns()
{
    for (log::ResultColumn c :
         {log::ResultColumn::FixedJcc, log::ResultColumn::PortableQth, log::ResultColumn::Mark})
        StringGrid1->setColumnHidden(static_cast<int>(c), true);
    setColumnSetButtonsEnabled(true);
    SpeedButton24->setEnabled(false);
}

void TListDlg::applyColumnSet(ColumnSet set)
{
    if (set == AllSet) {
        showColumn(log::ResultColumn::FixedJcc, kJccWidth);
        showColumn(log::ResultColumn::PortableQth, kPortableWidth);
        showColumn(log::ResultColumn::Mark, kMarkWidth);
        setColumnSetButtonsEnabled(false);
        SpeedButton24->setEnabled(true);
        return;
    }
    resetColumns();
    QPushButton *own = nullptr;
    switch (set) {
    case JccSet:
        showColumn(log::ResultColumn::FixedJcc, kJccWidth);
        own = SpeedButton20;
        break;
    case PortableSet:
        showColumn(log::ResultColumn::PortableQth, kPortableWidth);
        own = SpeedButton21;
        break;
    default:
        showColumn(log::ResultColumn::Mark, kMarkWidth);
        own = SpeedButton22;
        break;
    }
    own->setEnabled(false);
    SpeedButton23->setEnabled(false);
    SpeedButton24->setEnabled(true);
}

void TListDlg::SpeedButton20Click()
{
    applyColumnSet(JccSet);
}

void TListDlg::SpeedButton21Click()
{
    applyColumnSet(PortableSet);
}

void TListDlg::SpeedButton22Click()
{
    applyColumnSet(MarkSet);
}

void TListDlg::SpeedButton23Click()
{
    applyColumnSet(AllSet);
}

void TListDlg::SpeedButton24Click()
{
    resetColumns();
}

void TListDlg::runPasses(const log::SearchPlan &plan)
{
    const log::SearchLog own{m_state.logPath, &m_state.ownIndex, {}};
    std::optional<log::SearchLog> reference;
    if (m_state.referenceOn)
        reference = log::SearchLog{m_state.referenceLogPath, &m_state.referenceIndex,
                                   m_state.referenceCall};
    ListPass pass(*this, plan);
    NoProgress quiet;
    log::runSearch(plan, own, reference, pass, m_progress ? *m_progress : quiet);
}

void TListDlg::ItemButtonClick(int item)
{
    if (item == static_cast<int>(log::SearchItem::Unissued)) {
        // Cards not yet issued need no key and may be listed again at any time.
        m_state.dialogModes.list = item;
        runPasses(log::planItemSearch(log::SearchItem::Unissued, {}, m_state.prefixTable));
        // Rows on the list must be clearable, or every other search stays refused.
        if (m_state.resultsShown)
            SpeedButton25->setEnabled(true);
        return;
    }
    if (m_state.resultsShown) {
        m_services.messages.notice(noticeMessage(log::SearchNotice::ResultsShown));
        return;
    }
    m_state.dialogModes.list = item;
    SpeedButton25->setEnabled(true);
    setColumnSetButtonsEnabled(true);

    TFindDlg find(m_state, m_services, item, this);
    find.move(300, y());
    if (find.exec() != QDialog::Accepted)
        return;
    keepOnlyPressed(m_itemGroup, item);
    runPasses(log::planItemSearch(static_cast<log::SearchItem>(item), m_state.searchKey,
                                  m_state.prefixTable));
}

void TListDlg::AreaButtonClick(int area)
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
    SpeedButton25->setEnabled(true);
    runPasses(log::planAreaSearch(area));
}

void TListDlg::SpeedButton25Click()
{
    m_model->clear();
    resetColumns();
    for (QPushButton *b : m_itemButtons)
        b->setEnabled(true);
    for (QPushButton *b : m_areaButtons)
        b->setEnabled(true);
    SpeedButton25->setEnabled(false);
    setColumnSetButtonsEnabled(false);
    m_state.resultsShown = false;
}

void TListDlg::SpeedButton27Click()
{
    close();
}

void TListDlg::done(int result)
{
    m_state.resultsShown = false;
    m_state.dialogModes.list = 0;
    VezoDialog::done(result);
}

} // namespace vz::ui
