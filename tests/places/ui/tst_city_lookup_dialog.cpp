// SPDX-License-Identifier: GPL-3.0-or-later
#include "places/ui/city_lookup_dialog.h"

#include "app/session.h"
#include "places/jcc_master.h"

#include "support/recording_answerer.h"
#include "support/temp_dir.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

using namespace vz;
using namespace vz::ui;
using test::sj;

namespace {

places::JccMasterRecord city(const std::string &jcc, const char *name, const char *initial,
                             std::int16_t latDeg, std::int16_t lonDeg)
{
    places::JccMasterRecord r;
    r.setText(places::MasterText::JccNumber, jcc);
    r.setText(places::MasterText::CityName, sj(name));
    r.setText(places::MasterText::ShortCode, sj(initial));
    r.setText(places::MasterText::LatHemisphere, "N");
    r.setText(places::MasterText::LonHemisphere, "E");
    r.setNumber(places::MasterNumber::LatDegrees, latDeg);
    r.setNumber(places::MasterNumber::LatMinutes, 12);
    r.setNumber(places::MasterNumber::LatSeconds, 34);
    r.setNumber(places::MasterNumber::LonDegrees, lonDeg);
    r.setNumber(places::MasterNumber::LonMinutes, 5);
    r.setNumber(places::MasterNumber::LonSeconds, 6);
    return r;
}

struct Fixture
{
    test::TempDir dir;
    app::AppState state;
    UiServices services;
    test::RecordedMessages messages;
    QWidget editor;
    std::unique_ptr<CityLookupDialog> dlg;

    Fixture()
    {
        std::string bytes;
        for (const auto &r :
             {city("1105", "鎌倉市", "か", 35, 139), city("1106", "藤沢市", "ふ", 35, 139),
              city("1217", "柏市", "か", 36, 140), city("1302", "川越市", "か", 36, 139)})
            bytes.append(r.bytes.data(), places::kMasterRecordSize);
        dir.write("Master01.cty", bytes);
        app::initDataDir(state, dir.path());
        state.settings.fixedSpot = {35, 41, 38, 139, 45, 12};
        state.settings.mobileSpot = {43, 3, 43, 141, 21, 15};
        state.currentArea = 1;
        state.searchKey = sj("か");
        messages.attach(services.messages);
        editor.setGeometry(100, 120, 400, 300);
        dlg = std::make_unique<CityLookupDialog>(state, services, &editor);
    }

    QTableWidget *grid() const { return dlg->findChild<QTableWidget *>("cityTable"); }
    QString cell(int row, int column) const
    {
        const QTableWidgetItem *item = grid()->item(row, column);
        return item ? item->text() : QString();
    }
    QString name() const { return dlg->findChild<QLineEdit *>("selectedCityEdit")->text(); }
    QString count() const { return dlg->findChild<QLabel *>("hitCountLabel")->text(); }
    QPushButton *confirm() const { return dlg->findChild<QPushButton *>("confirmButton"); }
    void clickRow(int row) const
    {
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {},
                          grid()->visualRect(grid()->model()->index(row, 1)).center());
    }
};

} // namespace

TEST(CityLookupDialog, ListsTheCitiesOfTheInitialWithOneEmptyRowAfter)
{
    Fixture f;
    f.dlg->show();
    EXPECT_EQ(f.dlg->pos(), f.editor.pos() + QPoint(200, 30));
    ASSERT_EQ(f.grid()->columnCount(), 11);
    const char *const headings[] = {"No", "市町村名", "ｺｰﾄﾞ", "緯度", "度", "分",
                                    "秒", "経度",     "度",   "分",   "秒"};
    for (int c = 0; c < 11; ++c)
        EXPECT_EQ(f.grid()->horizontalHeaderItem(c)->text(), QString::fromUtf8(headings[c]));
    EXPECT_EQ(f.grid()->columnWidth(1), 172);
    EXPECT_EQ(f.grid()->columnWidth(2), 58);
    EXPECT_EQ(f.grid()->columnWidth(5), 32);

    ASSERT_EQ(f.grid()->rowCount(), 4);
    EXPECT_EQ(f.cell(0, 0), "1");
    EXPECT_EQ(f.cell(0, 1), "鎌倉市");
    EXPECT_EQ(f.cell(1, 1), "柏市");
    EXPECT_EQ(f.cell(2, 0), "3");
    EXPECT_EQ(f.cell(2, 1), "川越市");
    EXPECT_EQ(f.cell(2, 2), "1302");
    EXPECT_EQ(f.cell(2, 3), "N");
    EXPECT_EQ(f.cell(2, 4), "36");
    EXPECT_EQ(f.cell(2, 6), "34");
    EXPECT_EQ(f.cell(2, 10), "6");
    EXPECT_EQ(f.cell(3, 1), "");
    EXPECT_EQ(f.count(), "索引件数 ： 3");
    EXPECT_EQ(f.name(), "鎌倉市");
    EXPECT_TRUE(f.confirm()->isEnabled());
    EXPECT_EQ(f.grid()->item(0, 0)->textAlignment(), int(Qt::AlignRight | Qt::AlignVCenter));
    EXPECT_EQ(f.grid()->item(0, 3)->textAlignment(), int(Qt::AlignCenter));

    // The empty row selects nothing.
    f.clickRow(3);
    EXPECT_EQ(f.name(), "");
    QTest::mouseClick(f.confirm(), Qt::LeftButton);
    EXPECT_EQ(f.messages.last(), "市町村が選択されていません");
    EXPECT_TRUE(f.dlg->isVisible());

    f.clickRow(1);
    EXPECT_EQ(f.name(), "柏市");
    QTest::mouseClick(f.confirm(), Qt::LeftButton);
    EXPECT_EQ(f.dlg->result(), QDialog::Accepted);
    EXPECT_TRUE(f.state.cityChosen);
    EXPECT_EQ(f.dlg->chosenCity(), sj("柏市"));
    EXPECT_EQ(f.dlg->chosenJcc(), "1217");
    EXPECT_EQ(f.state.workedPosition, (app::SpotCoordinates{36, 12, 34, 140, 5, 6}));
    EXPECT_EQ(f.state.ownLocation, f.state.settings.fixedSpot);

    // Closed: emptied for the next lookup.
    EXPECT_EQ(f.grid()->rowCount(), 1);
    EXPECT_EQ(f.cell(0, 1), "");
    EXPECT_EQ(f.name(), "");
    EXPECT_EQ(f.count(), "索引件数 ： ");
}

TEST(CityLookupDialog, NoHitAndMissingMasterFile)
{
    Fixture f;
    f.state.searchKey = sj("ん");
    f.dlg->show();
    EXPECT_EQ(f.name(), "対応する市町村はありません");
    EXPECT_FALSE(f.confirm()->isEnabled());
    EXPECT_EQ(f.grid()->rowCount(), 1);
    f.dlg->reject();
    EXPECT_FALSE(f.state.cityChosen);

    f.state.currentArea = 5;
    f.state.searchKey = sj("か");
    f.dlg->show();
    EXPECT_EQ(f.grid()->rowCount(), 1);
    EXPECT_EQ(f.name(), "");
    QTest::mouseClick(f.confirm(), Qt::LeftButton);
    EXPECT_EQ(f.messages.last(), "市町村が選択されていません");
    f.dlg->reject();
}

TEST(CityLookupDialog, OwnPositionFromTheMobileLocationWhenPortableAndNoneWhenUnregistered)
{
    Fixture f;
    f.state.settings.mobileOperation = true;
    f.dlg->show();
    EXPECT_EQ(f.state.ownLocation, f.state.settings.mobileSpot);
    f.dlg->reject();

    f.state.settings.mobileOperation = false;
    f.state.settings.fixedSpot = {};
    f.dlg->show();
    QTest::mouseClick(f.confirm(), Qt::LeftButton);
    EXPECT_EQ(f.messages.last(), "個人情報が登録されていません。");
    EXPECT_EQ(f.dlg->result(), QDialog::Accepted);
    EXPECT_FALSE(f.state.cityChosen);
    EXPECT_FALSE(f.dlg->isVisible());
}
