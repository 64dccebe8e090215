// SPDX-License-Identifier: GPL-3.0-or-later
#include "places/ui/master_editor_dialog.h"

#include "places/master_file.h"

#include "support/window_fixture.h"

#include <QApplication>
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

places::MasterRow row(const std::string &jcc, const char *city)
{
    places::MasterRow r;
    r.cell(places::kJccColumn) = jcc;
    r.cell(places::kCityColumn) = sj(city);
    r.cell(places::kShortCodeColumn) = sj("し");
    r.cell(places::kAreaMarkColumn) = jcc.substr(0, 2);
    r.cell(places::kLatHemisphereColumn) = "N";
    r.cell(places::kLonHemisphereColumn) = "E";
    for (int c : {6, 7, 8, 10, 11, 12})
        r.cell(c) = std::to_string(c);
    return r;
}

std::string fileOf(const std::vector<places::MasterRow> &rows)
{
    std::string out;
    for (const places::MasterRow &r : rows)
        out.append(places::recordOf(r).value().bytes.data(), places::kMasterRecordSize);
    return out;
}

const std::vector<places::MasterRow> kFive = {row("1001", "一市"), row("1002", "二市"),
                                              row("1003", "三市"), row("1004", "四市"),
                                              row("1005", "五市")};

struct Editor : test::WindowFixture
{
    std::unique_ptr<MasterEditorDialog> dlg;

    Editor()
    {
        dir.write("Master01.cty", fileOf(kFive) + std::string(10, 'x')); // 300 bytes
        state.dialogModes.master = 1;
        dlg = std::make_unique<MasterEditorDialog>(state, services);
        dlg->show();
        dlg->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
    }

    QTableWidget *table() const { return dlg->findChild<QTableWidget *>("table"); }
    QPushButton *button(const char *name) const
    {
        return dlg->findChild<QPushButton *>(QString::fromUtf8(name));
    }
    QPushButton *area(int i) const
    {
        return dlg->findChild<QPushButton *>(QStringLiteral("areaButton%1").arg(i));
    }
    QString cell(int r, int c) const
    {
        const QTableWidgetItem *item = table()->item(r, c);
        return item ? item->text() : QString();
    }
    QString count() const { return dlg->findChild<QLabel *>("countValue")->text(); }
    QLineEdit *jumpEdit() const { return dlg->findChild<QLineEdit *>("jumpEdit"); }
    void click(const char *name) const { QTest::mouseClick(button(name), Qt::LeftButton); }
    void jump(const QString &text) const
    {
        jumpEdit()->setText(text);
        click("jumpButton");
    }
};

} // namespace

TEST(MasterEditorDialog, LoadsAnAreaAndLocksTheOtherAreasUntilCleared)
{
    Editor e;
    for (const char *name : {"firstRowButton", "lastRowButton", "deleteButton", "insertButton",
                             "appendButton", "saveButton", "clearButton", "jumpButton"})
        EXPECT_FALSE(e.button(name)->isEnabled()) << name;
    // A missing file only says so.
    QTest::mouseClick(e.area(3), Qt::LeftButton);
    EXPECT_EQ(e.messages.last(),
              QStringLiteral("ファイルオープンできません。ファイルの有無を点検してください"));
    EXPECT_TRUE(e.area(1)->isEnabled());
    EXPECT_FALSE(e.button("clearButton")->isEnabled());

    QTest::mouseClick(e.area(1), Qt::LeftButton);
    ASSERT_EQ(e.table()->rowCount(), 5); // 300 bytes: five whole records
    EXPECT_EQ(e.count(), "5");
    EXPECT_EQ(e.cell(4, 0), "5");
    EXPECT_EQ(e.cell(2, 2), QStringLiteral("三市"));
    EXPECT_EQ(e.cell(0, 5), "N");
    EXPECT_EQ(e.cell(0, 12), "12");
    EXPECT_EQ(e.table()->horizontalHeaderItem(4)->text(), QStringLiteral("ｴﾘｱ"));
    EXPECT_EQ(e.table()->columnWidth(2), 154);
    for (int i = 0; i < 11; ++i)
        EXPECT_EQ(e.area(i)->isEnabled(), i == 1) << i;
    EXPECT_TRUE(e.button("clearButton")->isEnabled());
    EXPECT_FALSE(e.button("saveButton")->isEnabled());
    EXPECT_EQ(e.dlg->loadedPath(), e.dir.file("Master01.cty"));

    e.click("clearButton");
    EXPECT_TRUE(e.area(3)->isEnabled());
    EXPECT_EQ(e.table()->rowCount(), 1);
    EXPECT_EQ(e.count(), "");

    // An empty master file shows one empty row and no cities.
    e.dir.write("Master02.cty", "");
    QTest::mouseClick(e.area(2), Qt::LeftButton);
    EXPECT_EQ(e.table()->rowCount(), 1);
    EXPECT_EQ(e.count(), "0");
}

TEST(MasterEditorDialog, OnlyTypedCharactersMarkTheTableChanged)
{
    Editor e;
    QTest::mouseClick(e.area(1), Qt::LeftButton);
    e.table()->setFocus();
    e.table()->setCurrentCell(1, 2);
    for (Qt::Key key : {Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Right, Qt::Key_Left})
        QTest::keyClick(e.table(), key);
    EXPECT_FALSE(e.button("saveButton")->isEnabled());
    QTest::keyClick(e.table(), Qt::Key_A);
    EXPECT_TRUE(e.button("saveButton")->isEnabled());
    // Reloading the area discards the table but keeps the mark.
    QTest::mouseClick(e.area(1), Qt::LeftButton);
    EXPECT_EQ(e.cell(1, 2), QStringLiteral("二市"));
    EXPECT_TRUE(e.button("saveButton")->isEnabled());
    // Closing with changes asks; No keeps the editor open.
    e.messages.confirmAnswer = false;
    e.click("closeButton");
    EXPECT_EQ(e.messages.last(), QStringLiteral("変更があります。　保存しなくてもよろしいか？"));
    EXPECT_TRUE(e.dlg->isVisible());
    e.messages.confirmAnswer = true;
    e.click("closeButton");
    EXPECT_FALSE(e.dlg->isVisible());
    EXPECT_EQ(e.state.dialogModes.master, 0);
}

TEST(MasterEditorDialog, InsertAndDeleteRenumberTheRowsBelow)
{
    Editor e;
    QTest::mouseClick(e.area(1), Qt::LeftButton);
    e.table()->setCurrentCell(1, 1);
    e.messages.confirmAnswer = false;
    e.click("deleteButton");
    EXPECT_EQ(e.messages.last(), QStringLiteral("二市　を削除してもよろしいか"));
    EXPECT_EQ(e.table()->rowCount(), 5);
    EXPECT_FALSE(e.button("saveButton")->isEnabled());

    e.messages.confirmAnswer = true;
    e.click("deleteButton");
    ASSERT_EQ(e.table()->rowCount(), 4);
    EXPECT_EQ(e.cell(1, 2), QStringLiteral("三市"));
    EXPECT_EQ(e.cell(1, 0), "2");
    EXPECT_EQ(e.cell(3, 0), "4");
    EXPECT_EQ(e.table()->currentRow(), 1);
    EXPECT_EQ(e.count(), "4");
    EXPECT_TRUE(e.button("saveButton")->isEnabled());

    e.click("insertButton");
    EXPECT_EQ(e.messages.last(), QStringLiteral("三市　の上に空白行を挿入してよろしいか"));
    EXPECT_EQ(e.cell(1, 0), "2");
    EXPECT_EQ(e.cell(1, 2), "");
    EXPECT_EQ(e.cell(2, 2), QStringLiteral("三市"));
    EXPECT_EQ(e.cell(4, 0), "5");

    e.click("appendButton");
    EXPECT_EQ(e.messages.last(), QStringLiteral("最終行の後に空白行追加してよろしいか"));
    EXPECT_EQ(e.table()->rowCount(), 6);
    EXPECT_EQ(e.cell(5, 0), "6");
    EXPECT_EQ(e.table()->currentRow(), 5);

    // Deleting down to nothing leaves one empty row to type into.
    e.dir.write("Master05.cty", fileOf({row("3601", "一市")}));
    e.messages.confirmAnswer = true;
    e.click("clearButton");
    QTest::mouseClick(e.area(5), Qt::LeftButton);
    e.click("deleteButton");
    EXPECT_EQ(e.table()->rowCount(), 1);
    EXPECT_EQ(e.cell(0, 2), "");
    EXPECT_EQ(e.count(), "0");
}

TEST(MasterEditorDialog, JumpGoesToRowsOneToTheLastOnly)
{
    Editor e;
    QTest::mouseClick(e.area(1), Qt::LeftButton);
    e.jump("5");
    EXPECT_EQ(e.table()->currentRow(), 4);
    EXPECT_EQ(e.jumpEdit()->text(), "");
    EXPECT_TRUE(e.messages.texts.isEmpty());
    for (const char *text : {"6", "0", "-1", "x"}) {
        e.jump(QString::fromUtf8(text));
        EXPECT_EQ(e.messages.last(), QStringLiteral("範囲外のレコードナンバーです")) << text;
        EXPECT_EQ(e.jumpEdit()->text(), "");
    }
    EXPECT_EQ(e.messages.texts.size(), 4);
    e.jump("");
    EXPECT_EQ(e.messages.texts.size(), 4);
}

TEST(MasterEditorDialog, SaveWritesTheTableAndKeepsTheOldFileAsBackup)
{
    Editor e;
    const std::string before = e.dir.read("Master01.cty");
    QTest::mouseClick(e.area(1), Qt::LeftButton);
    e.table()->item(1, 1)->setText(" "); // dropped by the save
    e.table()->item(2, 2)->setText(QStringLiteral("新三市"));
    e.table()->setFocus();
    e.table()->setCurrentCell(0, 3);
    QTest::keyClick(e.table(), Qt::Key_Z); // typed, then taken back
    QTest::keyClick(e.table()->viewport()->findChild<QLineEdit *>(), Qt::Key_Escape);
    ASSERT_TRUE(e.button("saveButton")->isEnabled());

    e.messages.confirmAnswer = false;
    e.click("saveButton");
    EXPECT_EQ(e.messages.last(), QString::fromStdString(e.dir.file("Master01.cty")) +
                                     QStringLiteral(" の修正（削除）データを保存しますか　？"));
    EXPECT_EQ(e.dir.read("Master01.cty"), before);

    e.messages.confirmAnswer = true;
    e.click("saveButton");
    places::MasterRow third = kFive[2];
    third.cell(places::kCityColumn) = sj("新三市");
    EXPECT_EQ(e.dir.read("Master01.cty"), fileOf({kFive[0], third, kFive[3], kFive[4]}));
    EXPECT_EQ(e.dir.read("Master01.Bak"), before);
    EXPECT_FALSE(e.button("saveButton")->isEnabled());
    EXPECT_EQ(e.table()->rowCount(), 1); // cleared, every area open again
    EXPECT_TRUE(e.area(4)->isEnabled());
}

TEST(MasterEditorDialog, EmptyDegreesStopTheSaveAndTheTableCanBeKept)
{
    Editor e;
    const std::string before = e.dir.read("Master01.cty");
    QTest::mouseClick(e.area(1), Qt::LeftButton);
    e.table()->setCurrentCell(4, 1);
    e.click("appendButton"); // a blank row left blank
    e.messages.texts.clear();
    e.messages.captions.clear();
    e.messages.confirmAnswer = true;
    std::vector<bool> answers = {true, false}; // save: Yes; leave unsaved: No
    e.services.messages.setAnswerer(
        [&](MessageKind kind, const QString &caption, const QString &text) {
            e.messages.captions << caption;
            e.messages.texts << text;
            if (kind != MessageKind::Confirm)
                return true;
            const bool answer = answers.front();
            answers.erase(answers.begin());
            return answer;
        });
    e.click("saveButton");
    ASSERT_EQ(e.messages.texts.size(), 3);
    EXPECT_EQ(e.messages.texts[1],
              QStringLiteral(
                  "数値の入るところが空白か文字になっています。 はじめからやり直してください"));
    EXPECT_EQ(e.messages.captions[1], "VEZODovi");
    EXPECT_EQ(e.messages.texts[2], QStringLiteral("変更があります。　保存しなくてもよろしいか？"));
    EXPECT_EQ(e.dir.read("Master01.cty"), before);
    EXPECT_EQ(e.dir.read("Master01.Bak"), ""); // no backup taken either
    EXPECT_EQ(e.table()->rowCount(), 6);       // kept for correcting
    EXPECT_TRUE(e.button("saveButton")->isEnabled());
}

TEST(MasterEditorDialog, CellsRefuseTextTheRecordCannotHold)
{
    Editor e;
    QTest::mouseClick(e.area(1), Qt::LeftButton);
    auto openEditor = [&](int column) {
        e.table()->setCurrentCell(0, column);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        e.table()->editItem(e.table()->item(0, column));
        auto *editor = e.table()->viewport()->findChild<QLineEdit *>();
        editor->clear();
        return editor;
    };
    QLineEdit *editor = openEditor(places::kJccColumn);
    QTest::keyClicks(editor, "123456789");
    EXPECT_EQ(editor->text(), "1234567");
    editor = openEditor(places::kLonHemisphereColumn);
    QTest::keyClicks(editor, "EW");
    EXPECT_EQ(editor->text(), "E");
    editor = openEditor(places::kShortCodeColumn);
    for (const QString &kana : {QStringLiteral("あ"), QStringLiteral("い")})
        editor->insert(kana);
    EXPECT_EQ(editor->text(), QStringLiteral("あ")); // 3 bytes at most
    editor = openEditor(places::kCityColumn);
    editor->insert(QStringLiteral("\u00e9")); // no Shift_JIS form
    EXPECT_EQ(editor->text(), "");
}

TEST(MasterEditorDialog, SaveKeepsRowsNobodyEditedByteForByte)
{
    Editor e;
    // A number that fills its field without a NUL, and a name that ends in a lone lead byte:
    // neither survives the way through the table's text, so only untouched rows keep them.
    std::string file = fileOf(kFive);
    file.replace(places::kMasterRecordSize, 8, "12345678");
    file.replace(2 * places::kMasterRecordSize + 8, 7, sj("三市") + "\x93\x93\x93");
    e.dir.write("Master01.cty", file);
    QTest::mouseClick(e.area(1), Qt::LeftButton);
    ASSERT_EQ(e.table()->rowCount(), 5);
    e.table()->item(3, places::kCityColumn)->setText("a");
    e.table()->setFocus();
    e.table()->setCurrentCell(0, places::kCityColumn);
    QTest::keyClick(e.table(), Qt::Key_Z); // typed, then taken back
    QTest::keyClick(e.table()->viewport()->findChild<QLineEdit *>(), Qt::Key_Escape);
    ASSERT_TRUE(e.button("saveButton")->isEnabled());
    e.messages.confirmAnswer = true;
    e.click("saveButton");

    places::MasterRow fourth = kFive[3];
    fourth.cell(places::kCityColumn) = "a";
    std::string expected = file;
    expected.replace(3 * places::kMasterRecordSize, places::kMasterRecordSize, fileOf({fourth}));
    EXPECT_EQ(e.dir.read("Master01.cty"), expected);
    EXPECT_EQ(e.dir.read("Master01.Bak"), file);
}

namespace {

// What Qt says about item editors on standard error while a test runs.
QStringList g_editorWarnings;

void recordEditorWarnings(QtMsgType, const QMessageLogContext &, const QString &message)
{
    if (message.contains(QLatin1String("editor"), Qt::CaseInsensitive) ||
        message.contains(QLatin1String("commitData")))
        g_editorWarnings << message;
}

} // namespace

TEST(MasterEditorDialog, TypedCellsTakeTheirColumnsAlignmentAndEachEditorClosesOnce)
{
    Editor e;
    g_editorWarnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(recordEditorWarnings);
    QTest::mouseClick(e.area(1), Qt::LeftButton);
    e.click("appendButton");
    ASSERT_EQ(e.table()->rowCount(), 6);
    ASSERT_EQ(e.table()->currentRow(), 5);

    // The new row typed cell by cell: the first key opens the editor, Tab goes on to the
    // next cell's editor, Enter ends the last.
    const char *const typed[] = {"1006", "X",  "A", "10",  "N",  "35",
                                 "41",   "12", "E", "139", "45", "30"};
    QTest::keyClick(e.table(), typed[0][0]);
    for (int c = places::kJccColumn; c < places::kMasterColumnCount; ++c) {
        auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        ASSERT_NE(editor, nullptr) << c;
        QTest::keyClicks(editor, typed[c - 1] + (c == places::kJccColumn ? 1 : 0));
        QTest::keyClick(editor, c + 1 < places::kMasterColumnCount ? Qt::Key_Tab : Qt::Key_Return);
        QCoreApplication::sendPostedEvents();
    }
    EXPECT_EQ(QApplication::focusWidget(), e.table()) << "Enter ends the editing in the table";

    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;
    const Qt::Alignment centre = Qt::AlignCenter;
    const Qt::Alignment expected[] = {right, left,  left,   centre, centre, centre, right,
                                      right, right, centre, right,  right,  right};
    for (int c = places::kJccColumn; c < places::kMasterColumnCount; ++c) {
        const QTableWidgetItem *item = e.table()->item(5, c);
        ASSERT_NE(item, nullptr) << c;
        EXPECT_EQ(item->text(), typed[c - 1]) << c;
        EXPECT_EQ(Qt::Alignment(item->textAlignment()), expected[c]) << c;
    }
    EXPECT_EQ(Qt::Alignment(e.table()->item(5, 0)->textAlignment()), expected[0]);

    // A loaded cell changed and left with Enter, then one left by a click on another cell.
    e.table()->setCurrentCell(0, 6);
    QTest::keyClick(e.table(), Qt::Key_9);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(e.cell(0, 6), "9");
    e.table()->setCurrentCell(1, 10);
    QTest::keyClick(e.table(), Qt::Key_8);
    const QRect other = e.table()->visualItemRect(e.table()->item(2, 2));
    QTest::mouseClick(e.table()->viewport(), Qt::LeftButton, {}, other.center());
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(e.cell(1, 10), "8");

    qInstallMessageHandler(previous);
    EXPECT_TRUE(g_editorWarnings.isEmpty()) << g_editorWarnings.join('\n').toStdString();
    EXPECT_TRUE(e.dlg->hasChanges());
}
