// SPDX-License-Identifier: GPL-3.0-or-later
#include "places/ui/city_lookup_dialog.h"

#include "app/user_settings.h"
#include "common/ui/qt_text.h"
#include "places/jcc_master.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>

namespace vz::ui {

namespace {

constexpr int kColumns = 11;

const char *const kHeadings[kColumns] = {"No", "市町村名", "ｺｰﾄﾞ", "緯度", "度", "分",
                                         "秒", "経度",     "度",   "分",   "秒"};

Qt::Alignment alignmentOf(int column)
{
    if (column == 1 || column == 2)
        return Qt::AlignLeft | Qt::AlignVCenter;
    if (column == 3 || column == 7)
        return Qt::AlignCenter;
    return Qt::AlignRight | Qt::AlignVCenter;
}

} // namespace

CityLookupDialog::CityLookupDialog(app::AppState &state, UiServices &services, QWidget *parent)
    : VezoDialog({state.settings.flatWindow, state.settings.keyClick}, services, parent),
      m_state(state), m_hitCountLabel(new QLabel(this)),
      m_selectionCaptionLabel(new QLabel(QStringLiteral("選択されている市町村名"), this)),
      m_selectedCityEdit(new QLineEdit(this)), m_cityTable(new QTableWidget(this)),
      m_confirmButton(new QPushButton(QStringLiteral("確定"), this)),
      m_cancelButton(new QPushButton(QStringLiteral("キャンセル"), this)),
      m_helpButton(new QToolButton(this))
{
    setObjectName(QStringLiteral("CityLookupDialog"));
    setWindowTitle(QStringLiteral("市町村の選択"));
    setFixedSize(560, 330);
    setModal(true);
    setGreyFrame(true);

    m_hitCountLabel->setObjectName(QStringLiteral("hitCountLabel"));
    m_hitCountLabel->setGeometry(16, 14, 160, 18);
    m_selectionCaptionLabel->setObjectName(QStringLiteral("selectionCaptionLabel"));
    m_selectionCaptionLabel->setGeometry(190, 14, 150, 18);
    m_selectedCityEdit->setObjectName(QStringLiteral("selectedCityEdit"));
    m_selectedCityEdit->setGeometry(340, 12, 200, 20);
    m_selectedCityEdit->setReadOnly(true);
    m_selectedCityEdit->setFocusPolicy(Qt::NoFocus);

    m_cityTable->setObjectName(QStringLiteral("cityTable"));
    m_cityTable->setGeometry(12, 40, 536, 240);
    m_cityTable->setColumnCount(kColumns);
    m_cityTable->verticalHeader()->hide();
    m_cityTable->verticalHeader()->setDefaultSectionSize(16);
    m_cityTable->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_cityTable->horizontalHeader()->setDefaultSectionSize(32);
    m_cityTable->horizontalHeader()->setMinimumSectionSize(16);
    m_cityTable->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    m_cityTable->horizontalHeader()->setSectionsClickable(false);
    m_cityTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_cityTable->setSelectionMode(QAbstractItemView::SingleSelection);
    m_cityTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    QStringList headings;
    for (const char *h : kHeadings)
        headings << QString::fromUtf8(h);
    m_cityTable->setHorizontalHeaderLabels(headings);
    m_cityTable->setColumnWidth(1, 172);
    m_cityTable->setColumnWidth(2, 58);

    m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
    m_cancelButton->setGeometry(250, 292, 90, 26);
    m_helpButton->setObjectName(QStringLiteral("helpButton"));
    m_helpButton->setText(QStringLiteral("ヘルプ"));
    m_helpButton->setGeometry(350, 292, 90, 26);
    m_helpButton->setAutoRaise(true);
    m_helpButton->setFocusPolicy(Qt::NoFocus);
    m_confirmButton->setObjectName(QStringLiteral("confirmButton"));
    m_confirmButton->setGeometry(450, 292, 90, 26);
    for (QPushButton *b : {m_confirmButton, m_cancelButton}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    setTabOrder(m_cityTable, m_cancelButton);
    setTabOrder(m_cancelButton, m_confirmButton);

    emptyTable();
    connect(m_cityTable, &QTableWidget::currentCellChanged, this,
            [this](int row, int column, int, int) { selectCity(row, column); });
    connect(m_cityTable, &QTableWidget::cellClicked, this, &CityLookupDialog::selectCity);
    connect(m_confirmButton, &QPushButton::clicked, this, &CityLookupDialog::confirmCity);
    connect(m_cancelButton, &QPushButton::clicked, this, &CityLookupDialog::cancelLookup);
    connect(m_helpButton, &QToolButton::clicked, this, &CityLookupDialog::showHelp);
}

void CityLookupDialog::showEvent(QShowEvent *event)
{
    VezoDialog::showEvent(event);
    placeAndSearch();
}

bool CityLookupDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        // Enter moves on and goes no further; this dialog plays no key click.
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            focusNextChild();
            return true;
        }
        return QDialog::eventFilter(watched, event);
    }
    return VezoDialog::eventFilter(watched, event);
}

void CityLookupDialog::emptyTable()
{
    m_cityTable->clearContents();
    m_cityTable->setRowCount(1);
    m_selectedCityEdit->clear();
    m_hitCountLabel->setText(QStringLiteral("索引件数 ： "));
    m_hits = 0;
}

void CityLookupDialog::placeAndSearch()
{
    if (QWidget *editor = parentWidget())
        move(editor->x() + 200, editor->y() + 30);
    m_confirmButton->setEnabled(true);
    m_state.cityChosen = false;
    // The selection shows as a field only where input fields are flat, and the other way round.
    m_selectedCityEdit->setFrame(m_state.settings.flatWindow);
    m_row = 1;
    m_state.ownLocation = app::chooseOwnLocation(m_state.settings);

    emptyTable();
    const places::MasterRecords found = places::findByShortCode(
        places::masterFilePath(m_state.dataDir, m_state.currentArea), m_state.searchKey);
    // Without the region's master file the table stays empty and nothing can be confirmed.
    if (found.result != places::MasterRead::Ok)
        return;
    const auto &hits = found.records;
    m_hits = static_cast<int>(hits.size());
    // One empty row always follows the hits.
    m_cityTable->setRowCount(m_hits + 1);
    for (int r = 0; r < m_hits; ++r) {
        const places::JccMasterRecord &rec = hits[static_cast<std::size_t>(r)];
        using places::MasterNumber;
        using places::MasterText;
        const QString cells[kColumns] = {
            QString::number(r + 1),
            fromSjis(rec.cityName()),
            fromSjis(rec.jccNumber()),
            fromSjis(rec.text(MasterText::LatHemisphere)),
            QString::number(rec.number(MasterNumber::LatDegrees)),
            QString::number(rec.number(MasterNumber::LatMinutes)),
            QString::number(rec.number(MasterNumber::LatSeconds)),
            fromSjis(rec.text(MasterText::LonHemisphere)),
            QString::number(rec.number(MasterNumber::LonDegrees)),
            QString::number(rec.number(MasterNumber::LonMinutes)),
            QString::number(rec.number(MasterNumber::LonSeconds)),
        };
        for (int c = 0; c < kColumns; ++c) {
            auto *item = new QTableWidgetItem(cells[c]);
            item->setTextAlignment(alignmentOf(c));
            m_cityTable->setItem(r, c, item);
        }
    }
    if (m_hits > 0) {
        m_cityTable->setCurrentCell(0, 1);
        m_selectedCityEdit->setText(m_cityTable->item(0, 1)->text());
        m_row = 1;
        m_hitCountLabel->setText(QStringLiteral("索引件数 ： %1").arg(m_hits));
        m_cityTable->setFocus();
    } else {
        m_state.cityChosen = false;
        m_selectedCityEdit->setText(QStringLiteral("対応する市町村はありません"));
        m_confirmButton->setEnabled(false);
        m_cancelButton->setFocus();
    }
}

void CityLookupDialog::selectCity(int row, int)
{
    if (row < 0)
        return;
    const QTableWidgetItem *city = m_cityTable->item(row, 1);
    m_selectedCityEdit->setText(city ? city->text() : QString());
    m_row = row + 1;
}

void CityLookupDialog::confirmCity()
{
    if (m_selectedCityEdit->text().isEmpty()) {
        m_services.messages.notice(QStringLiteral("市町村が選択されていません"));
        return;
    }
    const int row = m_row - 1;
    auto cell = [&](int column) {
        const QTableWidgetItem *item = m_cityTable->item(row, column);
        return item ? item->text() : QString();
    };
    if (m_state.ownLocation[0] > 0) {
        m_state.cityChosen = true;
        const int columns[6] = {4, 5, 6, 8, 9, 10};
        for (std::size_t i = 0; i < 6; ++i)
            m_state.workedPosition[i] = cell(columns[i]).toDouble();
        m_city = toSjis(cell(1)).value_or(std::string());
        m_jcc = toSjis(cell(2)).value_or(std::string());
    } else {
        m_state.cityChosen = false;
        m_services.messages.notice(QStringLiteral("個人情報が登録されていません。"));
    }
    m_cityTable->setFocus();
    accept();
}

void CityLookupDialog::cancelLookup()
{
    m_cityTable->setFocus();
    reject();
}

void CityLookupDialog::showHelp() {}

void CityLookupDialog::done(int result)
{
    VezoDialog::done(result);
    emptyTable();
}

} // namespace vz::ui
