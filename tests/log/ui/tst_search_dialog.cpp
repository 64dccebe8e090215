// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/ui/search_dialog.h"

#include "app/session.h"
#include "app/ui/main_window.h"
#include "common/progress.h"
#include "common/ui/hint_bar.h"
#include "log/log_file.h"
#include "log/ui/result_model.h"
#include "log/ui/search_key_dialog.h"

#include "support/recording_answerer.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <string_view>

using namespace vz;
using namespace vz::ui;
using log::ResultColumn;

namespace {

// The area buttons left to right: 1 to 9, then 0, then abroad.
constexpr int kAreasInOrder[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 10};

// keyClicks maps ASCII only; other characters arrive as key events carrying their text.
void typeText(QWidget *w, const QString &text)
{
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

struct Contact
{
    const char *call;
    const char *jcc = "1001";
    const char *mark = "";
    bool qsl = false;
};

void append(const std::string &path, std::initializer_list<Contact> contacts)
{
    std::int32_t n = log::recordCount(path) + 1;
    for (const Contact &c : contacts) {
        log::FieldTexts t;
        t[static_cast<std::size_t>(log::Field::Callsign)] = c.call;
        t[static_cast<std::size_t>(log::Field::FixedJcc)] = c.jcc;
        t[static_cast<std::size_t>(log::Field::UserMark)] = c.mark;
        ASSERT_EQ(log::appendRecord(path, n++, log::buildRecord(t, c.qsl, true)),
                  log::IoResult::Ok);
    }
}

struct Fixture
{
    test::TempDir dir;
    app::AppState state;
    UiServices services;
    test::RecordedMessages messages;
    std::unique_ptr<SearchDialog> dialog;

    Fixture()
    {
        dir.installPrefixTable();
        messages.attach(services.messages);
        app::initDataDir(state, dir.path());
        state.currentCall = "JA1ABC";
        app::buildUserPaths(state);
    }
    ~Fixture()
    {
        if (dialog)
            dialog->close();
    }

    // Opens the logs as start-up does, then the dialog in `mode`.
    SearchDialog &open(int mode, bool withReference = false)
    {
        NoProgress quiet;
        app::openLog(state, quiet);
        if (withReference) {
            state.referenceCall = "JA2REF";
            app::openReferenceLog(state, quiet);
        }
        state.dialogModes.list = mode;
        dialog = std::make_unique<SearchDialog>(state, services);
        dialog->show();
        return *dialog;
    }

    QPushButton *button(const char *name) const { return dialog->findChild<QPushButton *>(name); }
    // Items 1..8 as the search numbers them.
    QPushButton *itemButton(int item) const
    {
        const char *names[] = {"callItemButton", "jccItemButton",     "frequencyItemButton",
                               "modeItemButton", "dateItemButton",    "nameItemButton",
                               "markItemButton", "unissuedItemButton"};
        return button(names[item - 1]);
    }
    QPushButton *areaButton(int area) const
    {
        return dialog->findChild<QPushButton *>(QStringLiteral("area%1Button").arg(area));
    }
    QTableView *grid() const { return dialog->findChild<QTableView *>("resultTable"); }
    void click(QPushButton *b) const { QTest::mouseClick(b, Qt::LeftButton); }

    std::size_t rows() const { return dialog->model()->resultCount(); }
    QStringList column(ResultColumn c) const
    {
        QStringList out;
        for (std::size_t r = 0; r < rows(); ++r)
            out << dialog->model()->cellText(r, c);
        return out;
    }
    std::vector<bool> enabled(std::initializer_list<const char *> buttons) const
    {
        std::vector<bool> out;
        for (const char *name : buttons)
            out.push_back(button(name)->isEnabled());
        return out;
    }

    // Answers the find dialog with `key` (or cancels it when null), noting what it showed.
    QString findTitle, findHelp;
    void answerFind(const char *key)
    {
        QTimer::singleShot(0, [this, key] {
            for (QWidget *w : QApplication::topLevelWidgets()) {
                auto *find = qobject_cast<SearchKeyDialog *>(w);
                if (!find || !find->isVisible())
                    continue;
                findTitle = find->title();
                findHelp = find->findChild<QLabel *>("helpLabel")->text();
                if (key) {
                    typeText(find->findChild<QLineEdit *>("keyEdit"), QString::fromUtf8(key));
                    QTest::mouseClick(find->findChild<QPushButton *>("showButton"), Qt::LeftButton);
                } else {
                    QTest::mouseClick(find->findChild<QPushButton *>("cancelButton"),
                                      Qt::LeftButton);
                }
            }
        });
    }
    void itemSearch(int item, const char *key)
    {
        answerFind(key);
        click(itemButton(item));
    }
};

const QString kNoMatch = QStringLiteral("該当する局はありませんでした");
const QString kShown = QStringLiteral("現在表示中です");

} // namespace

TEST(SearchDialog, ItemSearchShowsItsButtonsGridAndDefaultColumns)
{
    Fixture f;
    SearchDialog &d = f.open(9);
    EXPECT_EQ(d.title(), "項目別検索");
    const char *captions[] = {"コール", "ＪＣＣ", "周波数", "モード",
                              "年月日", "氏　名", "マーク", "未発行"};
    for (int i = 1; i <= 8; ++i) {
        EXPECT_TRUE(f.itemButton(i)->isVisible());
        EXPECT_EQ(f.itemButton(i)->text(), QString::fromUtf8(captions[i - 1]));
    }
    EXPECT_EQ(f.itemButton(1)->toolTip(), "コールサイン検索");
    EXPECT_EQ(f.itemButton(1)->statusTip(), "コールサインで検索します");
    EXPECT_EQ(f.itemButton(8)->statusTip(),
              "交信記録入力でカード交換を指定し、未発行になっている局を表示します");
    for (int area : kAreasInOrder)
        EXPECT_FALSE(f.areaButton(area)->isVisible());

    QHeaderView *header = f.grid()->horizontalHeader();
    const int widths[] = {40, 54, 62, 52, 54, 60, 156, 0, 0, 0, 180, 54};
    const char *headers[] = {"R No", "JCC No." /*7*/};
    EXPECT_EQ(d.model()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), headers[0]);
    EXPECT_EQ(d.model()->headerData(7, Qt::Horizontal, Qt::DisplayRole).toString(), headers[1]);
    EXPECT_EQ(d.model()->headerData(11, Qt::Horizontal, Qt::DisplayRole).toString(), "参照局");
    for (int c = 0; c < 12; ++c) {
        EXPECT_EQ(f.grid()->isColumnHidden(c), widths[c] == 0) << c;
        if (widths[c]) {
            EXPECT_EQ(header->sectionSize(c), widths[c]) << c;
        }
    }
    EXPECT_EQ(header->sectionResizeMode(0), QHeaderView::Interactive) << "borders draggable";
    EXPECT_EQ(f.grid()->rowHeight(0), 16);
    EXPECT_EQ(d.model()->rowCount(), 1) << "one empty row";
    EXPECT_EQ(f.enabled({"jccColumnButton", "portableColumnButton", "markColumnButton",
                         "allColumnsButton", "defaultColumnsButton", "clearButton"}),
              (std::vector<bool>{true, true, true, true, false, false}));
    EXPECT_EQ(f.grid()->selectionMode(), QAbstractItemView::ContiguousSelection);
}

TEST(SearchDialog, AreaSearchButtonsRunOneToNineThenZeroThenAbroad)
{
    Fixture f;
    SearchDialog &d = f.open(10);
    EXPECT_EQ(d.title(), "エリア別検索");
    const char *captions[] = {"関　東", "東　海", "近　畿", "中　国", "四　国", "九　州",
                              "東　北", "北海道", "北　陸", "信　越", "その他"};
    for (int i = 0; i < 11; ++i) {
        EXPECT_TRUE(f.areaButton(kAreasInOrder[i])->isVisible());
        EXPECT_EQ(f.areaButton(kAreasInOrder[i])->text(), QString::fromUtf8(captions[i]));
    }
    EXPECT_EQ(f.areaButton(6)->statusTip(), "九州・沖縄（６エリア）");
    EXPECT_EQ(f.areaButton(10)->statusTip(), "その他のエリア（海外）");
    for (int n = 1; n <= 8; ++n)
        EXPECT_FALSE(f.itemButton(n)->isVisible());
}

TEST(SearchDialog, AreaListingOwnThenReferenceRefusesANewSearchUntilCleared)
{
    Fixture f;
    append(f.state.logPath, {{"JA3AAA"}, {"JA1BBB"}, {"JA3CCC"}});
    append(f.dir.file("JA2REF.DAT"), {{"JA3DDD"}});
    f.open(10, true);
    f.click(f.areaButton(3));
    EXPECT_EQ(f.column(ResultColumn::Callsign), (QStringList{"JA3AAA", "JA3CCC", "JA3DDD"}));
    EXPECT_EQ(f.column(ResultColumn::RecordNo), (QStringList{"1", "3", "1"}));
    EXPECT_EQ(f.column(ResultColumn::ReferenceCall), (QStringList{"", "", "JA2REF"}));
    EXPECT_EQ(f.dialog->model()->rowCount(), 4) << "and the empty row";
    EXPECT_TRUE(f.messages.texts.isEmpty());
    EXPECT_TRUE(f.state.resultsShown);
    for (int area = 0; area <= 10; ++area)
        EXPECT_EQ(f.areaButton(area)->isEnabled(), area == 3) << area;
    EXPECT_EQ(f.enabled({"jccColumnButton", "portableColumnButton", "markColumnButton",
                         "allColumnsButton", "clearButton"}),
              std::vector<bool>(5, true));

    f.click(f.areaButton(3));
    EXPECT_EQ(f.messages.last(), kShown);
    EXPECT_EQ(f.messages.captions.last(), "通知");
    EXPECT_EQ(f.rows(), 3u);

    f.click(f.button("clearButton")); // 表示クリア
    EXPECT_EQ(f.rows(), 0u);
    EXPECT_EQ(f.dialog->model()->rowCount(), 1);
    EXPECT_FALSE(f.state.resultsShown);
    for (int area = 0; area <= 10; ++area)
        EXPECT_TRUE(f.areaButton(area)->isEnabled());
    EXPECT_EQ(f.enabled({"jccColumnButton", "portableColumnButton", "markColumnButton",
                         "allColumnsButton", "defaultColumnsButton", "clearButton"}),
              std::vector<bool>(6, false));
    f.click(f.areaButton(1));
    EXPECT_EQ(f.column(ResultColumn::Callsign), (QStringList{"JA1BBB"}));
    EXPECT_EQ(f.messages.last(), kNoMatch) << "the reference log has nothing in area 1";
}

TEST(SearchDialog, AreaWithoutOwnRecordsIsRefusedEvenWhenTheReferenceHasSome)
{
    Fixture f;
    append(f.state.logPath, {{"JA1AAA"}});
    append(f.dir.file("JA2REF.DAT"), {{"JA8BBB"}});
    f.open(10, true);
    f.click(f.areaButton(8));
    EXPECT_EQ(f.messages.texts, QStringList{"選ばれたエリアの記録はありません"});
    EXPECT_EQ(f.rows(), 0u);
    EXPECT_FALSE(f.state.resultsShown);
    EXPECT_TRUE(f.areaButton(1)->isEnabled());
    EXPECT_FALSE(f.button("clearButton")->isEnabled());
}

TEST(SearchDialog, MatchOnlyInTheReferenceLog)
{
    Fixture f;
    append(f.state.logPath, {{"JA1AAA"}});
    append(f.dir.file("JA2REF.DAT"), {{"JA1ZZZ"}, {"JA3YYY"}});
    f.open(9, true);
    f.itemSearch(1, "ja1z");
    EXPECT_EQ(f.findTitle, "コールサイン検索キー");
    EXPECT_EQ(f.state.searchKey, "JA1Z");
    EXPECT_EQ(f.state.dialogModes.list, 1);
    EXPECT_EQ(f.messages.texts, QStringList{kNoMatch}) << "for the own log only";
    EXPECT_EQ(f.column(ResultColumn::Callsign), QStringList{"JA1ZZZ"});
    EXPECT_EQ(f.column(ResultColumn::ReferenceCall), QStringList{"JA2REF"});
    EXPECT_TRUE(f.state.resultsShown);
    for (int n = 1; n <= 8; ++n)
        EXPECT_EQ(f.itemButton(n)->isEnabled(), n == 1) << n;
}

TEST(SearchDialog, RowsStayWhenTheReferencePassFindsNothingAndTheNextSearchAddsBelow)
{
    Fixture f;
    append(f.state.logPath, {{"JA1AAA"}, {"JA3BBB"}});
    append(f.dir.file("JA2REF.DAT"), {{"JA4CCC"}});
    f.open(9, true);
    f.itemSearch(1, "JA1");
    EXPECT_EQ(f.messages.texts, QStringList{kNoMatch}) << "for the reference log";
    EXPECT_EQ(f.rows(), 1u);
    EXPECT_FALSE(f.state.resultsShown) << "the reference pass cleared it";

    f.itemSearch(1, "JA3");
    EXPECT_EQ(f.messages.texts, (QStringList{kNoMatch, kNoMatch}));
    EXPECT_EQ(f.column(ResultColumn::Callsign), (QStringList{"JA1AAA", "JA3BBB"}));
}

TEST(SearchDialog, JccAndMarkSearchesShowTheirColumn)
{
    Fixture f;
    append(f.state.logPath, {{"JA1AAA", "1001", "B"}, {"JA1BBB", "2501", "AB"}});
    f.open(9);
    f.itemSearch(2, "10");
    EXPECT_EQ(f.findHelp,
              "ＪＣＣの頭から任意に指定した桁数に応じた範囲を検索します。例えば 10 なら東京都全域");
    EXPECT_EQ(f.column(ResultColumn::FixedJcc), QStringList{"1001"});
    EXPECT_FALSE(f.grid()->isColumnHidden(7));
    EXPECT_EQ(f.grid()->columnWidth(7), 60);
    EXPECT_EQ(f.enabled({"jccColumnButton", "portableColumnButton", "markColumnButton",
                         "allColumnsButton", "defaultColumnsButton"}),
              (std::vector<bool>{false, true, true, false, true}));

    f.click(f.button("clearButton"));
    f.itemSearch(7, "B");
    EXPECT_EQ(f.column(ResultColumn::Mark), (QStringList{"B", "AB"}));
    EXPECT_TRUE(f.grid()->isColumnHidden(7));
    EXPECT_FALSE(f.grid()->isColumnHidden(9));
    EXPECT_EQ(f.grid()->columnWidth(9), 54);
    EXPECT_EQ(f.enabled({"jccColumnButton", "portableColumnButton", "markColumnButton",
                         "allColumnsButton", "defaultColumnsButton"}),
              (std::vector<bool>{true, true, false, false, true}));
}

TEST(SearchDialog, ColumnSetButtons)
{
    struct Case
    {
        std::string_view button;
        std::vector<bool> shown;   // columns 7, 8, 9
        std::vector<bool> enabled; // JCC, 移動地, マーク, 全項目, 初期値
    };
    const Case cases[] = {
        {"jccColumnButton", {true, false, false}, {false, true, true, false, true}},
        {"portableColumnButton", {false, true, false}, {true, false, true, false, true}},
        {"markColumnButton", {false, false, true}, {true, true, false, false, true}},
        {"allColumnsButton", {true, true, true}, {false, false, false, false, true}},
        {"defaultColumnsButton", {false, false, false}, {true, true, true, true, false}},
    };
    Fixture f;
    f.open(9);
    const int widths[] = {60, 154, 54};
    for (const Case &c : cases) {
        // From the default set, with another column shown first where the set resets.
        if (f.button("defaultColumnsButton")->isEnabled())
            f.click(f.button("defaultColumnsButton"));
        if (c.button == "jccColumnButton" || c.button == "portableColumnButton" ||
            c.button == "markColumnButton")
            f.click(
                f.button(c.button == "jccColumnButton" ? "markColumnButton" : "jccColumnButton"));
        else if (c.button == "defaultColumnsButton")
            f.click(f.button("allColumnsButton"));
        f.click(f.button(c.button.data()));
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(!f.grid()->isColumnHidden(7 + i), c.shown[static_cast<std::size_t>(i)])
                << c.button << " column " << 7 + i;
            if (c.shown[static_cast<std::size_t>(i)]) {
                EXPECT_EQ(f.grid()->columnWidth(7 + i), widths[i]);
            }
        }
        EXPECT_EQ(f.enabled({"jccColumnButton", "portableColumnButton", "markColumnButton",
                             "allColumnsButton", "defaultColumnsButton"}),
                  c.enabled)
            << c.button;
    }
}

TEST(SearchDialog, CancelledFindRunsNothingAndUnissuedListsWithoutAKey)
{
    Fixture f;
    append(f.state.logPath, {{"JA1AAA", "1001", "", true}, {"JA1BBB"}});
    log::markDeleted(f.state.logPath, 1, true);
    f.open(9);
    f.itemSearch(3, nullptr);
    EXPECT_EQ(f.findTitle, "周波数検索キー");
    EXPECT_EQ(f.state.searchKey, "");
    EXPECT_EQ(f.rows(), 0u);
    EXPECT_TRUE(f.messages.texts.isEmpty());
    EXPECT_TRUE(f.button("clearButton")->isEnabled());
    EXPECT_TRUE(f.itemButton(4)->isEnabled());

    f.click(f.button("clearButton"));
    f.click(f.itemButton(8)); // no find dialog: none is open to answer
    EXPECT_EQ(f.state.dialogModes.list, 8);
    EXPECT_EQ(f.column(ResultColumn::Callsign), QStringList{"-"}) << "deleted, box was on";
    EXPECT_TRUE(f.state.resultsShown);
    EXPECT_TRUE(f.button("clearButton")->isEnabled()) << "rows on the list can be cleared";
    f.click(f.itemButton(8)); // lists again without "現在表示中です"
    EXPECT_EQ(f.rows(), 2u);
    EXPECT_TRUE(f.messages.texts.isEmpty());
    f.itemSearch(1, "JA1");
    EXPECT_EQ(f.messages.texts, QStringList{kShown});
}

TEST(SearchDialog, UnissuedRowsCanBeClearedWhenTheReferenceHasNoPendingCards)
{
    Fixture f;
    append(f.state.logPath, {{"JA1AAA", "1001", "", true}, {"JA1BBB"}});
    append(f.dir.file("JA2REF.DAT"), {{"JA4CCC"}});
    f.open(9, true);
    f.click(f.itemButton(8));
    ASSERT_EQ(f.column(ResultColumn::Callsign), QStringList{"JA1AAA"});
    EXPECT_FALSE(f.state.resultsShown) << "the reference pass found nothing";
    ASSERT_TRUE(f.button("clearButton")->isEnabled()) << "rows on the list can be cleared";
    f.click(f.button("clearButton"));
    EXPECT_EQ(f.rows(), 0u);
    f.click(f.itemButton(8));
    EXPECT_EQ(f.column(ResultColumn::Callsign), QStringList{"JA1AAA"}) << "listed once again";
}

TEST(SearchDialog, ClosingClearsTheFlagAndTheListMode)
{
    Fixture f;
    append(f.state.logPath, {{"JA1AAA"}});
    f.open(10);
    f.click(f.areaButton(1));
    ASSERT_TRUE(f.state.resultsShown);
    f.click(f.button("closeButton"));
    EXPECT_FALSE(f.dialog->isVisible());
    EXPECT_FALSE(f.state.resultsShown);
    EXPECT_EQ(f.state.dialogModes.list, 0);
}

TEST(SearchKeyDialog, TitlesHelpUpperCaseAndTheKeyHandedOn)
{
    const char *titles[] = {"コールサイン検索キー",  "ＪＣＣナンバー検索キー",
                            "周波数検索キー",        "電波形式検索キー",
                            "年月日検索キー",        "オペレータ名検索キー",
                            "策定したマーク検索キー"};
    for (int item = 1; item <= 7; ++item)
        EXPECT_EQ(SearchKeyDialog::titleFor(item), QString::fromUtf8(titles[item - 1]));
    EXPECT_EQ(SearchKeyDialog::helpFor(3),
              "例えば１４Ｍｈｚ［１４］では１４４Ｍｈｚも含まれます。");

    Fixture f;
    for (bool flat : {false, true}) {
        f.state.settings.flatWindow = flat;
        SearchKeyDialog find(f.state, f.services, 4);
        find.show();
        auto *edit = find.findChild<QLineEdit *>("keyEdit");
        auto *show = find.findChild<QPushButton *>("showButton");
        EXPECT_EQ(edit->hasFrame(), flat) << "a border only with the flat look";
        EXPECT_FALSE(show->isEnabled());
        QTest::keyClicks(edit, "ssb");
        EXPECT_EQ(edit->text(), "SSB");
        EXPECT_TRUE(show->isEnabled());
        typeText(edit, QStringLiteral("☃"));
        EXPECT_EQ(edit->text(), "SSB") << "no Shift_JIS form";
        edit->clear();
        EXPECT_FALSE(show->isEnabled());
        typeText(edit, QStringLiteral("ｆｍ"));
        QTest::mouseClick(show, Qt::LeftButton);
        EXPECT_EQ(find.result(), QDialog::Accepted);
        EXPECT_EQ(f.state.searchKey, test::sj("ＦＭ"));
        EXPECT_TRUE(edit->text().isEmpty());
    }
}

TEST(SearchDialog, MainWindowOpensItUnderItselfWithTheInterlocks)
{
    test::TempDir dir;
    dir.installPrefixTable();
    app::AppState state;
    UiServices services;
    MainWindow form(state, services, QString::fromStdString(dir.path()));
    form.show();
    const Command held[] = {Command::NewUser, Command::SwitchUser, Command::Reference,
                            Command::ItemSearch, Command::AreaSearch};
    state.dialogModes.log = 1; // the contact edit dialog holds the user commands too

    form.runCommand(Command::AreaSearch);
    auto *dialog = form.findChild<SearchDialog *>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->kind(), 10);
    EXPECT_TRUE(dialog->testAttribute(Qt::WA_DeleteOnClose));
    for (Command id : held)
        EXPECT_FALSE(form.commandButton(id)->isEnabled());
    const int mainBottom = form.frameGeometry().bottom() + 1;
    EXPECT_EQ(dialog->pos(), QPoint(form.x(), mainBottom));
    EXPECT_EQ(form.hintBar()->y(), mainBottom + 336);

    dialog->findChild<QPushButton *>("closeButton")->click();
    EXPECT_TRUE(form.commandButton(Command::ItemSearch)->isEnabled());
    EXPECT_TRUE(form.commandButton(Command::AreaSearch)->isEnabled());
    EXPECT_FALSE(form.commandButton(Command::NewUser)->isEnabled());
    EXPECT_NE(form.hintBar()->y(), mainBottom) << "the edit dialog still carries it";

    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    state.dialogModes.log = 0;
    form.runCommand(Command::ItemSearch);
    form.findChild<SearchDialog *>()->findChild<QPushButton *>("closeButton")->click();
    for (Command id : held)
        EXPECT_TRUE(form.commandButton(id)->isEnabled());
    EXPECT_EQ(form.hintBar()->y(), mainBottom);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(form.findChild<SearchDialog *>(), nullptr) << "discarded on closing";
    state.startAborted = true;
    form.close();
}

TEST(ResultModel, RowsAppendAboveTheEmptyRow)
{
    ResultModel model;
    log::ResultRow row;
    std::vector<std::string> numbers;
    for (int i = 0; i < 100000; ++i) {
        numbers.push_back(std::to_string(i + 1));
        row.cells[0] = numbers.back();
        row.cells[1] = "JA1AAA";
        model.addRow(row);
    }
    EXPECT_EQ(model.rowCount(), 1) << "rows appear on flush";
    model.flush();
    EXPECT_EQ(model.rowCount(), 100001);
    EXPECT_EQ(model.index(99999, 0).data().toString(), "100000");
    EXPECT_EQ(model.index(100000, 1).data().toString(), "");
    EXPECT_EQ(model.index(0, 0).data(Qt::TextAlignmentRole).value<Qt::Alignment>(),
              Qt::AlignRight | Qt::AlignTop);
    model.clear();
    EXPECT_EQ(model.rowCount(), 1);
}
