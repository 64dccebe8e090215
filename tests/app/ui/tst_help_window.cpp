// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/help_placement.h"
#include "app/ui/help_window.h"

#include <QHelpEngine>
#include <QHelpIndexWidget>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

using namespace vz::ui;

namespace {

struct Topic
{
    int context;
    const char *file;
    const char *title; // the caption the window shows for it
};

// Every help context a window opens, with its page.
constexpr Topic kTopics[] = {
    {12, "events.html", "行事予定の登録"},
    {14, "contact_input.html", "交信記録編集（入力）"},
    {15, "contact_modify.html", "交信記録編集（修正）"},
    {16, "contact_delete.html", "交信記録編集（削除）"},
    {17, "contact_lookup.html", "レコード検索"},
    {19, "postcard.html", "はがき印刷"},
    {20, "commercial_card.html", "市販カード印刷（横型・縦型）"},
    {22, "search.html", "項目別検索・エリア別検索"},
    {24, "personal_fixed_strings.html", "個人情報 － 定型文字列情報"},
    {25, "personal_location.html", "個人情報 － 個人所在地情報"},
    {26, "personal_card_items.html", "個人情報 － カード項目情報"},
    {27, "personal_input.html", "個人情報 － 入力時の情報"},
    {28, "personal_prefixes.html", "個人情報 － 特例プリフィックス情報"},
    {29, "personal_rig.html", "個人情報 － リグ接続"},
    {30, "personal_wsjtx.html", "個人情報 － WSJT-X連携"},
    {31, "personal_lotw.html", "個人情報 － LoTW"},
};

QString shownTitle(HelpWindow &w)
{
    return w.findChild<QTextBrowser *>(QStringLiteral("pageBrowser"))->documentTitle();
}

} // namespace

TEST(HelpWindow, EveryContextNumberOpensItsPage)
{
    HelpWindow w(QStringLiteral(VEZO_HELP_FILE));
    ASSERT_TRUE(w.hasHelp());
    for (const Topic &t : kTopics) {
        EXPECT_TRUE(w.showTopic(t.context)) << t.context;
        EXPECT_EQ(w.currentPage().fileName(), QString::fromUtf8(t.file)) << t.context;
        EXPECT_EQ(shownTitle(w), QString::fromUtf8(t.title)) << t.context;
    }
    EXPECT_TRUE(w.isVisible());
    // Numbers no window uses open nothing, and say so.
    for (const int unused : {0, 13, 18, 21, 23, 32}) {
        EXPECT_FALSE(w.showTopic(unused)) << unused;
        EXPECT_TRUE(w.currentPage().isEmpty()) << unused;
    }
}

TEST(HelpWindow, EveryLinkOfEveryPageResolves)
{
    HelpWindow w(QStringLiteral(VEZO_HELP_FILE));
    ASSERT_TRUE(w.hasHelp());
    QHelpEngine &engine = w.engine();
    const QString ns = QHelpEngineCore::namespaceName(QStringLiteral(VEZO_HELP_FILE));
    const QList<QUrl> pages = engine.files(ns, QString(), QStringLiteral("html"));
    ASSERT_GE(pages.size(), 17);
    const QRegularExpression link(QStringLiteral("(?:href|src)=\"([^\"]+)\""));
    int links = 0;
    for (const QUrl &page : pages) {
        const QString html = QString::fromUtf8(engine.fileData(page));
        EXPECT_TRUE(html.contains(QStringLiteral("<title>"))) << page.toString().toStdString();
        for (auto it = link.globalMatch(html); it.hasNext();) {
            const QUrl target = page.resolved(QUrl(it.next().captured(1)));
            QUrl file = target;
            file.setFragment(QString());
            const QByteArray data = engine.fileData(file);
            EXPECT_FALSE(data.isEmpty())
                << page.fileName().toStdString() << " -> " << target.toString().toStdString();
            if (target.hasFragment()) {
                EXPECT_TRUE(data.contains(("id=\"" + target.fragment() + "\"").toUtf8()))
                    << page.fileName().toStdString() << " -> " << target.toString().toStdString();
            }
            ++links;
        }
    }
    EXPECT_GT(links, 100);
    // Every page can be reached from the contents.
    w.showContents();
    EXPECT_EQ(w.currentPage(), w.contentsPage());
    const QString contents = QString::fromUtf8(engine.fileData(w.contentsPage()));
    for (const QUrl &page : pages) {
        if (page != w.contentsPage()) {
            EXPECT_TRUE(contents.contains(page.fileName())) << page.fileName().toStdString();
        }
    }
}

TEST(HelpWindow, KeywordIndexOpensEmptyAndFollowsTheTypedWord)
{
    HelpWindow w(QStringLiteral(VEZO_HELP_FILE));
    auto *tabs = w.findChild<QTabWidget *>(QStringLiteral("navigation"));
    auto *edit = w.findChild<QLineEdit *>(QStringLiteral("keywordEdit"));
    auto *index = w.findChild<QHelpIndexWidget *>(QStringLiteral("keywordList"));
    edit->setText(QStringLiteral("old search"));
    w.showKeywordIndex();
    EXPECT_EQ(tabs->currentIndex(), 1);
    EXPECT_TRUE(edit->text().isEmpty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return index->model()->rowCount() > 40; }, 10000));

    edit->setText(QStringLiteral("はがき印刷"));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(w.currentPage().fileName(), QStringLiteral("postcard.html"));
}

TEST(HelpWindow, SearchFindsWordsInsideJapaneseText)
{
    HelpWindow w(QStringLiteral(VEZO_HELP_FILE));
    const auto files = [&](const QString &words) {
        QStringList names;
        for (const HelpWindow::Hit &hit : w.search(words))
            names << hit.page.fileName();
        return names;
    };
    // A word in the middle of a sentence, and every word of several.
    const QStringList printing = files(QStringLiteral("一括印刷"));
    EXPECT_TRUE(printing.contains(QStringLiteral("postcard.html")))
        << printing.join(' ').toStdString();
    EXPECT_TRUE(printing.contains(QStringLiteral("commercial_card.html")));
    EXPECT_FALSE(printing.contains(QStringLiteral("events.html")));
    EXPECT_EQ(files(QStringLiteral("ファンクションキー　f10")).value(0),
              QStringLiteral("personal_fixed_strings.html"));
    EXPECT_TRUE(files(QStringLiteral("一括印刷 誕生日")).isEmpty());
    EXPECT_TRUE(files(QStringLiteral("  ")).isEmpty());

    // Choosing a result opens its page.
    auto *edit = w.findChild<QLineEdit *>(QStringLiteral("searchEdit"));
    auto *results = w.findChild<QListWidget *>(QStringLiteral("searchResults"));
    edit->setText(QStringLiteral("ゴミの収集日"));
    QTest::keyClick(edit, Qt::Key_Return);
    ASSERT_EQ(results->count(), 2);
    Q_EMIT results->itemActivated(results->item(0));
    EXPECT_EQ(w.currentPage().fileName(), QStringLiteral("events.html"));
}

TEST(HelpWindow, AMissingHelpFileIsSaidInTheWindow)
{
    HelpWindow w(QStringLiteral("/nonexistent/VEZODovi.qch"));
    EXPECT_FALSE(w.hasHelp());
    EXPECT_FALSE(w.showTopic(14));
    w.showContents();
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.findChild<QTextBrowser *>(QStringLiteral("pageBrowser"))
                    ->toPlainText()
                    .startsWith(QStringLiteral("ヘルプファイルが見つかりません。")));
}

TEST(HelpDesk, OpensTheWindowAtTheFirstRequestAndIgnoresContextZero)
{
    HelpService service;
    {
        HelpDesk desk(service, QStringLiteral(VEZO_HELP_FILE));
        service.showTopic(0); // a page not known yet
        EXPECT_EQ(desk.window(), nullptr);
        service.showTopic(19);
        ASSERT_NE(desk.window(), nullptr);
        EXPECT_EQ(desk.window()->currentPage().fileName(), QStringLiteral("postcard.html"));
        service.showContents();
        EXPECT_EQ(desk.window()->currentPage().fileName(), QStringLiteral("index.html"));
    }
    service.showContents(); // the desk is gone: nothing is opened, nothing crashes
}

TEST(HelpPlacement, BesideTheAskingWindowElseBelowElseShrunkToTheRoom)
{
    const QSize preferred(868, 632);
    const QSize least(428, 332);
    struct Case
    {
        const char *what;
        QRect screen;
        QRect avoid; // the dialog with its hint bar
        QRect expected;
    };
    const Case cases[] = {
        {"wide screen: to the right", {0, 0, 1920, 1080}, {0, 100, 787, 362}, {791, 100, 868, 632}},
        {"dialog at the right edge: to the left",
         {0, 0, 1920, 1080},
         {1100, 100, 787, 362},
         {228, 100, 868, 632}},
        {"room only below", {0, 0, 1280, 1024}, {300, 0, 700, 300}, {300, 304, 868, 632}},
        {"no room for all of it: the largest strip, below, shrunk",
         {0, 0, 1280, 1024},
         {0, 100, 787, 362},
         {0, 466, 868, 558}},
        {"screen with a panel on top: its free area counts",
         {0, 30, 1280, 994},
         {0, 130, 787, 362},
         {0, 496, 868, 528}},
    };
    for (const Case &c : cases) {
        const QRect placed = helpPlacement(c.avoid, c.screen, preferred, least);
        EXPECT_EQ(placed, c.expected) << c.what;
        EXPECT_FALSE(placed.intersects(c.avoid)) << c.what;
        EXPECT_TRUE(c.screen.contains(placed)) << c.what;
    }
    // A screen too small to leave the dialog free: the least size, on the screen.
    const QRect screen(0, 0, 800, 600);
    const QRect placed = helpPlacement({0, 100, 787, 362}, screen, preferred, least);
    EXPECT_EQ(placed.size(), QSize(800, 332));
    EXPECT_TRUE(screen.contains(placed));
}
