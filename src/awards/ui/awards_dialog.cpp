// SPDX-License-Identifier: GPL-3.0-or-later
#include "awards/ui/awards_dialog.h"

#include "app/user_settings.h"
#include "common/progress.h"
#include "common/ui/hint_bar.h"
#include "common/ui/qt_text.h"
#include "log/log_file.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QTableWidget>

#include <algorithm>
#include <array>

namespace vz::ui {

namespace {

constexpr int kClientWidth = 787;
constexpr int kClientHeight = 360;
constexpr int kRowHeight = 16;
constexpr int kBarColumn = 4;
// The bar's two shares, worked and confirmed, of the total (0..1).
constexpr int kWorkedShareRole = Qt::UserRole;
constexpr int kConfirmedShareRole = Qt::UserRole + 1;

// The progress of a prefecture: worked in a light colour, confirmed over it in a darker one.
class ProgressBarDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        const QRect frame = option.rect.adjusted(3, 3, -4, -3);
        const auto width = [&](int role) {
            const double share = std::clamp(index.data(role).toDouble(), 0.0, 1.0);
            return static_cast<int>(share * frame.width() + 0.5);
        };
        painter->save();
        painter->fillRect(frame, QColor(0xF0, 0xF0, 0xF0));
        painter->fillRect(QRect(frame.topLeft(), QSize(width(kWorkedShareRole), frame.height())),
                          QColor(0x9C, 0xC8, 0xF0));
        painter->fillRect(QRect(frame.topLeft(), QSize(width(kConfirmedShareRole), frame.height())),
                          QColor(0x2A, 0x6E, 0xBB));
        painter->setPen(QColor(0x80, 0x80, 0x80));
        painter->drawRect(frame.adjusted(0, 0, -1, -1));
        painter->restore();
    }
};

QTableWidget *makeTable(QWidget *parent, const QString &name, const QStringList &headers)
{
    auto *table = new QTableWidget(0, static_cast<int>(headers.size()), parent);
    table->setObjectName(name);
    table->setHorizontalHeaderLabels(headers);
    QFont f = table->font();
    f.setPixelSize(12);
    table->setFont(f);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setTabKeyNavigation(false);
    table->setWordWrap(false);
    table->setCornerButtonEnabled(false);
    QHeaderView *rows = table->verticalHeader();
    rows->hide();
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(kRowHeight);
    rows->setSectionResizeMode(QHeaderView::Fixed);
    QHeaderView *columns = table->horizontalHeader();
    columns->setMinimumSectionSize(1);
    columns->setFixedHeight(kRowHeight + 2);
    columns->setHighlightSections(false);
    return table;
}

QTableWidgetItem *cell(const QString &text, Qt::Alignment align = Qt::AlignLeft)
{
    auto *item = new QTableWidgetItem(text);
    item->setTextAlignment(align | Qt::AlignVCenter);
    return item;
}

QTableWidgetItem *number(int n)
{
    return cell(QString::number(n), Qt::AlignRight);
}

QString utf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The kind tabs, left to right.
constexpr std::array<awards::AwardKind, 3> kKindTabs{
    awards::AwardKind::City, awards::AwardKind::Ward, awards::AwardKind::District};

int tabOf(awards::AwardKind kind)
{
    return static_cast<int>(std::find(kKindTabs.begin(), kKindTabs.end(), kind) -
                            kKindTabs.begin());
}

QString kindName(awards::AwardKind kind)
{
    switch (kind) {
    case awards::AwardKind::Ward:
        return QStringLiteral("区");
    case awards::AwardKind::District:
        return QStringLiteral("JCG");
    case awards::AwardKind::City:
        break;
    }
    return QStringLiteral("JCC");
}

} // namespace

AwardsDialog::AwardsDialog(app::AppState &state, UiServices &services, QWidget *parent)
    : VezoDialog({state.settings.flatWindow, state.settings.keyClick}, services, parent),
      m_state(state)
{
    setObjectName(QStringLiteral("AwardsDialog"));
    setFixedSize(kClientWidth, kClientHeight);
    setGreyFrame(true);
    setTitle(QStringLiteral("アワード"));
    buildControls();
}

void AwardsDialog::buildControls()
{
    m_kindTabs = new QTabBar(this);
    m_kindTabs->setObjectName(QStringLiteral("kindTabs"));
    m_kindTabs->setDocumentMode(true);
    m_kindTabs->setGeometry(140, 10, 300, 22);
    for (const awards::AwardKind kind : kKindTabs)
        m_kindTabs->addTab(kindName(kind));
    setHint(m_kindTabs, QStringLiteral("|市（ＪＣＣ）・区・郡（ＪＣＧ）の表を切り替えます"));
    connect(m_kindTabs, &QTabBar::currentChanged, this, [this](int index) {
        if (index >= 0 && index < static_cast<int>(kKindTabs.size()))
            showKind(kKindTabs[static_cast<std::size_t>(index)]);
    });

    m_prefectureTable =
        makeTable(this, QStringLiteral("prefectureTable"),
                  {QStringLiteral("都道府県"), QStringLiteral("交信"), QStringLiteral("確認"),
                   QStringLiteral("総数"), QStringLiteral("進捗")});
    m_prefectureTable->setGeometry(12, 38, 340, 252);
    const int prefectureWidths[] = {76, 44, 44, 44, 112};
    for (int c = 0; c < 5; ++c)
        m_prefectureTable->setColumnWidth(c, prefectureWidths[c]);
    m_prefectureTable->setItemDelegateForColumn(kBarColumn,
                                                new ProgressBarDelegate(m_prefectureTable));
    setHint(m_prefectureTable, QStringLiteral("|都道府県を選ぶと、その市区町村を右に表示します"));
    connect(m_prefectureTable, &QTableWidget::currentCellChanged, this,
            [this](int row) { showPrefecture(row + 1); });

    m_placeTable =
        makeTable(this, QStringLiteral("placeTable"),
                  {QStringLiteral("コード"), QStringLiteral("市区町村名"), QStringLiteral("交信"),
                   QStringLiteral("確認"), QStringLiteral("初交信日"), QStringLiteral("コール")});
    m_placeTable->setGeometry(358, 38, 417, 252);
    const int placeWidths[] = {54, 134, 34, 34, 62, 62};
    for (int c = 0; c < 6; ++c)
        m_placeTable->setColumnWidth(c, placeWidths[c]);
    setHint(m_placeTable, QStringLiteral("|交信済みの行をダブルクリックすると、その最初の交信を"
                                         "修正画面で開きます"));
    connect(m_placeTable, &QTableWidget::cellActivated, this,
            [this](int row, int) { placeActivated(row); });

    m_placesLabel = new QLabel(this);
    m_placesLabel->setObjectName(QStringLiteral("placesLabel"));
    m_placesLabel->setGeometry(460, 12, 315, 20);
    m_summaryLabel = new QLabel(this);
    m_summaryLabel->setObjectName(QStringLiteral("summaryLabel"));
    m_summaryLabel->setGeometry(14, 298, 470, 26);

    QPushButton *recountButton =
        makeDialogButton(this, QStringLiteral("recountButton"), QStringLiteral("再集計"),
                         QRect(500, 300, 86, 24), false);
    setHint(recountButton, QStringLiteral("|ログを読み直して集計します"));
    QPushButton *helpButton =
        makeDialogButton(this, QStringLiteral("helpButton"), QStringLiteral("ヘルプ"),
                         QRect(592, 300, 86, 24), false);
    QPushButton *closeButton =
        makeDialogButton(this, QStringLiteral("closeButton"), QStringLiteral("終　了"),
                         QRect(684, 300, 86, 24), false);
    connect(recountButton, &QPushButton::clicked, this, [this] { recount(); });
    connect(helpButton, &QPushButton::clicked, this,
            [this] { m_services.help.showTopic(kHelpContext); });
    connect(closeButton, &QPushButton::clicked, this, &AwardsDialog::closeDialog);

    auto *countedLabel = new QLabel(QStringLiteral("確認に数える"), this);
    countedLabel->setObjectName(QStringLiteral("confirmedByLabel"));
    countedLabel->setGeometry(14, 332, 90, 20);
    const std::array<std::pair<const char *, QString>, 3> choices{{
        {"cardCheck", QStringLiteral("カード")},
        {"lotwCheck", QStringLiteral("LoTW")},
        {"eqslCheck", QStringLiteral("eQSL")},
    }};
    for (std::size_t i = 0; i < choices.size(); ++i) {
        auto *box = new QCheckBox(choices[i].second, this);
        box->setObjectName(QLatin1String(choices[i].first));
        box->setGeometry(108 + static_cast<int>(i) * 76, 332, 72, 20);
        setHint(box, QStringLiteral("|この種類の確認（個人情報のカード項目情報のマーク）を"
                                    "確認数に数えます"));
        connect(box, &QCheckBox::clicked, this, [this, box] { confirmedByClicked(box); });
        m_confirmedByChecks[i] = box;
    }
    m_confirmedByChecks[0]->setChecked(true);
}

void AwardsDialog::confirmedByClicked(QCheckBox *box)
{
    log::ConfirmedBy by{.card = m_confirmedByChecks[0]->isChecked(),
                        .lotw = m_confirmedByChecks[1]->isChecked(),
                        .eqsl = m_confirmedByChecks[2]->isChecked()};
    // Something is always counted: the last choice stays.
    if (!by.any()) {
        box->setChecked(true);
        return;
    }
    m_confirmedBy = by;
    recount();
}

bool AwardsDialog::recount()
{
    NoProgress quiet;
    ProgressSink &progress = m_progress ? *m_progress : quiet;
    m_countedLog = m_state.logPath;
    const awards::TallyResult result = awards::tallyAwards(
        m_state.logPath, app::confirmationMarks(m_state.settings, m_confirmedBy), progress,
        m_tally);
    if (result != awards::TallyResult::Ok)
        m_services.messages.error(QStringLiteral("ログファイルを読めませんでした。\n%1")
                                      .arg(QString::fromStdString(m_state.logPath)));
    const std::vector<awards::MasterPlace> master = awards::loadMasterPlaces(m_state.dataDir);
    for (const awards::AwardKind kind :
         {awards::AwardKind::City, awards::AwardKind::Ward, awards::AwardKind::District})
        m_tables[static_cast<std::size_t>(kind)] = awards::buildAwardTable(kind, m_tally, master);
    showKind(m_kind);
    return result == awards::TallyResult::Ok;
}

void AwardsDialog::showKind(awards::AwardKind kind)
{
    m_kind = kind;
    {
        const QSignalBlocker block(m_kindTabs);
        m_kindTabs->setCurrentIndex(tabOf(kind));
    }
    fillPrefectures();
    const awards::AwardTable &t = table(kind);
    m_summaryLabel->setText(QStringLiteral("%1　交信 %2　確認 %3　総数 %4　（集計外の交信 %5）")
                                .arg(kindName(kind))
                                .arg(t.worked)
                                .arg(t.confirmed)
                                .arg(t.total)
                                .arg(m_tally.notCounted));
    showPrefecture(m_prefecture == 0 ? 1 : m_prefecture);
}

void AwardsDialog::fillPrefectures()
{
    const QSignalBlocker block(m_prefectureTable);
    const awards::AwardTable &t = table(m_kind);
    m_prefectureTable->setRowCount(awards::kPrefectureCount);
    for (const awards::PrefectureRow &row : t.rows) {
        const int r = row.prefecture - 1;
        m_prefectureTable->setItem(r, 0,
                                   cell(QStringLiteral("%1 %2")
                                            .arg(row.prefecture, 2, 10, QLatin1Char('0'))
                                            .arg(utf8(awards::prefectureName(row.prefecture)))));
        m_prefectureTable->setItem(r, 1, number(row.worked));
        m_prefectureTable->setItem(r, 2, number(row.confirmed));
        m_prefectureTable->setItem(r, 3, number(row.total));
        auto *bar = new QTableWidgetItem;
        const double total = row.total > 0 ? row.total : 1;
        bar->setData(kWorkedShareRole, row.total > 0 || row.worked == 0 ? row.worked / total : 1.0);
        bar->setData(kConfirmedShareRole,
                     row.total > 0 || row.confirmed == 0 ? row.confirmed / total : 1.0);
        bar->setToolTip(row.total > 0 ? QStringLiteral("%1%").arg(100 * row.worked / row.total)
                                      : QString());
        m_prefectureTable->setItem(r, kBarColumn, bar);
    }
}

void AwardsDialog::showPrefecture(int prefecture)
{
    if (prefecture < 1 || prefecture > awards::kPrefectureCount)
        return;
    m_prefecture = prefecture;
    {
        const QSignalBlocker block(m_prefectureTable);
        m_prefectureTable->setCurrentCell(prefecture - 1, 0);
    }
    const awards::PrefectureRow &row = table(m_kind).row(prefecture);
    m_placesLabel->setText(QStringLiteral("%1　%2 / %3")
                               .arg(utf8(awards::prefectureName(prefecture)))
                               .arg(row.worked)
                               .arg(row.total));
    m_placeTable->setRowCount(static_cast<int>(row.places.size()));
    log::QsoRecord record;
    for (int r = 0; r < static_cast<int>(row.places.size()); ++r) {
        const awards::AwardPlace &place = row.places[static_cast<std::size_t>(r)];
        m_placeTable->setItem(r, 0, cell(QString::fromStdString(place.code)));
        auto *name = cell(place.inMaster ? fromSjis(place.name) : QStringLiteral("マスタに無し"));
        if (!place.inMaster)
            name->setForeground(QColor(0xB0, 0x30, 0x30));
        m_placeTable->setItem(r, 1, name);
        m_placeTable->setItem(
            r, 2, cell(place.tally.worked() ? QStringLiteral("○") : QString(), Qt::AlignHCenter));
        m_placeTable->setItem(
            r, 3,
            cell(place.tally.confirmed() ? QStringLiteral("○") : QString(), Qt::AlignHCenter));
        QString date;
        QString call;
        if (place.tally.worked() && log::readRecord(m_state.logPath, place.tally.firstRecord,
                                                    record) == log::IoResult::Ok) {
            date = fromSjis(record.field(log::Field::QsoDate));
            call = fromSjis(record.field(log::Field::Callsign));
        }
        m_placeTable->setItem(r, 4, cell(date));
        m_placeTable->setItem(r, 5, cell(call));
    }
}

void AwardsDialog::placeActivated(int row)
{
    // Another user's log is loaded now: its record numbers are not these.
    if (m_countedLog != m_state.logPath) {
        recount();
        return;
    }
    const awards::PrefectureRow &prefecture = table(m_kind).row(m_prefecture);
    if (row < 0 || row >= static_cast<int>(prefecture.places.size()))
        return;
    const awards::AwardPlace &place = prefecture.places[static_cast<std::size_t>(row)];
    if (place.tally.worked())
        Q_EMIT openContact(place.tally.firstRecord);
}

void AwardsDialog::closeDialog()
{
    done(QDialog::Accepted);
}

} // namespace vz::ui
