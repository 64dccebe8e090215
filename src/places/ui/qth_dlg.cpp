// SPDX-License-Identifier: GPL-3.0-or-later
#include "places/ui/qth_dlg.h"

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

TQthDlg::TQthDlg(app::AppState &state, UiServices &services, QWidget *parent)
    : VezoDialog(state, services, parent), Label1(new QLabel(this)),
      Label2(new QLabel(QStringLiteral("選択されている市町村名"), this)),
      Edit1(new QLineEdit(this)), StringGrid1(new QTableWidget(this)),
      Button1(new QPushButton(QStringLiteral("確定"), this)),
      Button2(new QPushButton(QStringLiteral("キャンセル"), this)),
      SpeedButton1(new QToolButton(this))
{
    setObjectName(QStringLiteral("QthDlg"));
    setFixedSize(560, 330);
    setModal(true);
    setGreyFrame(true);

    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(16, 14, 160, 18);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(190, 14, 150, 18);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(340, 12, 200, 20);
    Edit1->setReadOnly(true);
    Edit1->setFocusPolicy(Qt::NoFocus);

    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setGeometry(12, 40, 536, 240);
    StringGrid1->setColumnCount(kColumns);
    StringGrid1->verticalHeader()->hide();
    StringGrid1->verticalHeader()->setDefaultSectionSize(16);
    StringGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    StringGrid1->horizontalHeader()->setDefaultSectionSize(32);
    StringGrid1->horizontalHeader()->setMinimumSectionSize(16);
    StringGrid1->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    StringGrid1->horizontalHeader()->setSectionsClickable(false);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    QStringList headings;
    for (const char *h : kHeadings)
        headings << QString::fromUtf8(h);
    StringGrid1->setHorizontalHeaderLabels(headings);
    StringGrid1->setColumnWidth(1, 172);
    StringGrid1->setColumnWidth(2, 58);

    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(250, 292, 90, 26);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setText(QStringLiteral("ヘルプ"));
    SpeedButton1->setGeometry(350, 292, 90, 26);
    SpeedButton1->setAutoRaise(true);
    SpeedButton1->setFocusPolicy(Qt::NoFocus);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(450, 292, 90, 26);
    for (QPushButton *b : {Button1, Button2}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    setTabOrder(StringGrid1, Button2);
    setTabOrder(Button2, Button1);

    emptyTable();
    connect(StringGrid1, &QTableWidget::currentCellChanged, this,
            [this](int row, int column, int, int) { StringGrid1SelectCell(row, column); });
    connect(StringGrid1, &QTableWidget::cellClicked, this, &TQthDlg::StringGrid1SelectCell);
    connect(Button1, &QPushButton::clicked, this, &TQthDlg::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TQthDlg::Button2Click);
    connect(SpeedButton1, &QToolButton::clicked, this, &TQthDlg::SpeedButton1Click);
}

void TQthDlg::showEvent(QShowEvent *event)
{
    VezoDialog::showEvent(event);
    FormShow();
}

bool TQthDlg::eventFilter(QObject *watched, QEvent *event)
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

void TQthDlg::emptyTable()
{
    StringGrid1->clearContents();
    StringGrid1->setRowCount(1);
    Edit1->clear();
    Label1->setText(QStringLiteral("索引件数 ： "));
    m_hits = 0;
}

void TQthDlg::FormShow()
{
    if (QWidget *editor = parentWidget())
        move(editor->x() + 200, editor->y() + 30);
    Button1->setEnabled(true);
    m_state.cityChosen = false;
    // The selection shows as a field only where input fields are flat, and the other way round.
    Edit1->setFrame(m_state.settings.flatWindow);
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
    StringGrid1->setRowCount(m_hits + 1);
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
            StringGrid1->setItem(r, c, item);
        }
    }
    if (m_hits > 0) {
        StringGrid1->setCurrentCell(0, 1);
        Edit1->setText(StringGrid1->item(0, 1)->text());
        m_row = 1;
        Label1->setText(QStringLiteral("索引件数 ： %1").arg(m_hits));
        StringGrid1->setFocus();
    } else {
        m_state.cityChosen = false;
        Edit1->setText(QStringLiteral("対応する市町村はありません"));
        Button1->setEnabled(false);
        Button2->setFocus();
    }
}

void TQthDlg::StringGrid1SelectCell(int row, int)
{
    if (row < 0)
        return;
    const QTableWidgetItem *city = StringGrid1->item(row, 1);
    Edit1->setText(city ? city->text() : QString());
    m_row = row + 1;
}

void TQthDlg::Button1Click()
{
    if (Edit1->text().isEmpty()) {
        m_services.messages.notice(QStringLiteral("市町村が選択されていません"));
        return;
    }
    const int row = m_row - 1;
    auto cell = [&](int column) {
        const QTableWidgetItem *item = StringGrid1->item(row, column);
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
    StringGrid1->setFocus();
    accept();
}

void TQthDlg::Button2Click()
{
    StringGrid1->setFocus();
    reject();
}

void TQthDlg::SpeedButton1Click() {}

void TQthDlg::done(int result)
{
    VezoDialog::done(result);
    emptyTable();
}

} // namespace vz::ui
