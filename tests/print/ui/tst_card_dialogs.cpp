// SPDX-License-Identifier: GPL-3.0-or-later
#include "places/ui/personal_info_dialog.h"
#include "print/ui/commercial_card_dialog.h"
#include "print/ui/postcard_dialog.h"

#include "log/log_file.h"
#include "print/layout_file.h"

#include "support/recording_canvas.h"
#include "support/window_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace vz;
using namespace vz::ui;

namespace {

struct CardDialogFixture : test::WindowFixture
{
    std::vector<test::RecordingJob *> jobs; // owned by the dialogs' runs, valid while running
    int pagesPrinted = 0;

    CardDialogFixture()
    {
        state.currentCall = "JA1ABC";
        app::buildUserPaths(state);
        for (std::int32_t n = 1; n <= 3; ++n) {
            log::QsoRecord r;
            r.setField(log::Field::Callsign, "JA1AAA");
            r.setQslFlag(true);
            log::appendRecord(state.logPath, n, r);
        }
        state.nextRecordNo = 4;
    }
    template <typename Dialog> std::unique_ptr<Dialog> open(int mode = 0)
    {
        state.dialogModes.prin = mode;
        auto dialog = std::make_unique<Dialog>(state, services);
        dialog->setPrintJobFactory([this] {
            auto job = std::make_unique<CountingJob>(pagesPrinted);
            return std::unique_ptr<print::PrintJob>(std::move(job));
        });
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
        return dialog;
    }

    // Counts the pages that reach the end of their job.
    struct CountingJob : test::RecordingJob
    {
        explicit CountingJob(int &pages) : m_total(pages) {}
        bool end() override
        {
            m_total += pages;
            return RecordingJob::end();
        }
        int &m_total;
    };
};

void drag(QWidget *label, QPoint by)
{
    const QPoint press(4, 4);
    QMouseEvent down(QEvent::MouseButtonPress, press, label->mapToGlobal(press), Qt::LeftButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(label, &down);
    QMouseEvent move(QEvent::MouseMove, press + by, label->mapToGlobal(press + by), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(label, &move);
    QMouseEvent up(QEvent::MouseButtonRelease, press + by, label->mapToGlobal(press + by),
                   Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(label, &up);
}

// A press on the box's indicator.
void clickBox(QCheckBox *box)
{
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(8, box->height() / 2));
}

} // namespace

TEST(CommercialCardDialog, DraggedLabelIsWhereItWasLeftAfterReopening)
{
    CardDialogFixture f;
    for (const auto &[mode, item] : {std::pair{2, 12}, std::pair{3, 17}}) {
        QPoint moved;
        {
            auto dialog = f.open<CommercialCardDialog>(mode);
            QWidget *label = dialog->findChild<QWidget *>(QStringLiteral("item%1Label").arg(item));
            ASSERT_NE(label, nullptr);
            const QPoint before = label->pos();
            drag(label, {31, 16});
            moved = label->pos();
            EXPECT_EQ(moved, before + QPoint(31, 16));
            dialog->close();
            EXPECT_EQ(f.state.dialogModes.prin, 0);
        }
        auto reopened = f.open<CommercialCardDialog>(mode);
        EXPECT_EQ(reopened->findChild<QWidget *>(QStringLiteral("item%1Label").arg(item))->pos(),
                  moved);
        reopened->close();
    }
    EXPECT_TRUE(f.state.layoutModified);
}

TEST(CommercialCardDialog, OptionsTestPrintAndNumberFields)
{
    CardDialogFixture f;
    const std::string before = f.dir.read("JA1ABC.DAT");
    auto dialog = f.open<CommercialCardDialog>(2);
    // Closing untouched leaves no layout behind.
    auto *address = dialog->findChild<QCheckBox *>(QStringLiteral("addressBox"));
    auto *kanji = dialog->findChild<QCheckBox *>(QStringLiteral("kanjiAddressBox"));
    auto *latin = dialog->findChild<QCheckBox *>(QStringLiteral("latinAddressBox"));
    clickBox(latin);
    EXPECT_TRUE(latin->isChecked());
    EXPECT_FALSE(kanji->isChecked());
    clickBox(address);
    EXPECT_FALSE(latin->isChecked());
    clickBox(kanji);
    EXPECT_FALSE(kanji->isChecked());
    EXPECT_TRUE(dialog->itemLabel(21)->isVisible()); // until applied
    QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("applyButton")),
                      Qt::LeftButton);
    EXPECT_FALSE(dialog->itemLabel(21)->isVisible());

    auto *test = dialog->findChild<QPushButton *>(QStringLiteral("testPrintButton"));
    QTest::mouseClick(test, Qt::LeftButton);
    EXPECT_EQ(f.pagesPrinted, 1);
    EXPECT_EQ(f.dir.read("JA1ABC.DAT"), before);

    auto *from = dialog->findChild<QLineEdit *>(QStringLiteral("fromEdit"));
    from->setFocus();
    QTest::keyClicks(from, "a");
    EXPECT_FALSE(test->isEnabled());
    // Pressing print with a non-number in the field: one notice, the focus back, no print.
    QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("printRangeButton")),
                      Qt::LeftButton);
    EXPECT_EQ(f.messages.texts, QStringList{QStringLiteral("範囲外のナンバーです")});
    EXPECT_TRUE(QTest::qWaitFor([from] { return QApplication::focusWidget() == from; }));
    from->clear();
    QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("printRangeButton")),
                      Qt::LeftButton);
    EXPECT_EQ(f.messages.last(), QStringLiteral("番号が空欄です"));
    dialog->close();
    const ProfileFile file = *ProfileFile::load(f.state.layoutPath);
    EXPECT_FALSE(file.value(print::layoutSection(print::CardKind::Horizontal), "07Top"));
    EXPECT_FALSE(print::readCommercialOptions(file, {}).addressWanted);
}

// テスト印刷 rests while a range is being typed and comes back when the fields are empty
// again, by erasing or by printing the range.
TEST(CommercialCardDialog, TestPrintReturnsOnceTheRangeIsEmptyAgain)
{
    CardDialogFixture f;
    auto dialog = f.open<CommercialCardDialog>(2);
    auto *test = dialog->findChild<QPushButton *>(QStringLiteral("testPrintButton"));
    auto *from = dialog->findChild<QLineEdit *>(QStringLiteral("fromEdit"));
    auto *to = dialog->findChild<QLineEdit *>(QStringLiteral("toEdit"));
    from->setFocus();
    QTest::keyClicks(from, "1");
    EXPECT_FALSE(test->isEnabled());
    QTest::keyClick(from, Qt::Key_Backspace);
    EXPECT_TRUE(test->isEnabled());
    QTest::keyClicks(from, "1");
    QTest::keyClicks(to, "1");
    EXPECT_FALSE(test->isEnabled());
    QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("printRangeButton")),
                      Qt::LeftButton);
    EXPECT_EQ(f.pagesPrinted, 1);
    EXPECT_TRUE(test->isEnabled());
    QTest::mouseClick(test, Qt::LeftButton);
    EXPECT_EQ(f.pagesPrinted, 2);
    dialog->close();
}

TEST(PostcardDialog, PrintsRangeAndBatchAndKeepsItsOptions)
{
    CardDialogFixture f;
    f.state.settings.cardNo = "20";
    auto dialog = f.open<PostcardDialog>();
    auto *from = dialog->findChild<QLineEdit *>(QStringLiteral("fromEdit"));
    auto *to = dialog->findChild<QLineEdit *>(QStringLiteral("toEdit"));
    auto *printRange = dialog->findChild<QPushButton *>(QStringLiteral("printRangeButton"));
    EXPECT_FALSE(printRange->isEnabled());
    from->setFocus();
    QTest::keyClicks(from, "2x");
    EXPECT_EQ(from->text(), QStringLiteral("2"));
    EXPECT_TRUE(printRange->isEnabled());
    QTest::keyClicks(to, "3");
    QTest::mouseClick(printRange, Qt::LeftButton);
    EXPECT_EQ(f.pagesPrinted, 2);
    EXPECT_EQ(f.state.settings.cardNo, "22");
    EXPECT_TRUE(from->text().isEmpty());
    EXPECT_FALSE(printRange->isEnabled());
    QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("printUnissuedButton")),
                      Qt::LeftButton);
    EXPECT_EQ(f.pagesPrinted, 3); // only record 1 was still pending

    auto *kanji = dialog->findChild<QCheckBox *>(QStringLiteral("kanjiAddressBox"));
    auto *latin = dialog->findChild<QCheckBox *>(QStringLiteral("latinAddressBox"));
    clickBox(kanji);
    EXPECT_TRUE(latin->isChecked());
    EXPECT_FALSE(dialog->findChild<QLabel *>(QStringLiteral("samplePicture"))->pixmap().isNull());
    dialog->close();
    const print::PostcardOptions kept =
        print::readPostcardOptions(*ProfileFile::load(f.state.layoutPath), {});
    EXPECT_TRUE(kept.latinAddress);
    EXPECT_FALSE(kept.kanjiAddress);
}

TEST(PostcardDialog, DeletedRecordIsLeftOutOfBatchAndRangeAndSaidSo)
{
    CardDialogFixture f;
    f.state.settings.cardNo = "5";
    ASSERT_EQ(log::markDeleted(f.state.logPath, 2, true), log::IoResult::Ok);
    auto dialog = f.open<PostcardDialog>();
    const QString leftOut = QStringLiteral("削除済みのレコード 1 件は印刷しませんでした");
    QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("printUnissuedButton")),
                      Qt::LeftButton);
    EXPECT_EQ(f.pagesPrinted, 2);
    EXPECT_EQ(f.state.settings.cardNo, "7");
    EXPECT_EQ(f.messages.last(), leftOut);

    auto *from = dialog->findChild<QLineEdit *>(QStringLiteral("fromEdit"));
    from->setFocus();
    QTest::keyClicks(from, "1");
    QTest::keyClicks(dialog->findChild<QLineEdit *>(QStringLiteral("toEdit")), "3");
    QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("printRangeButton")),
                      Qt::LeftButton);
    EXPECT_EQ(f.pagesPrinted, 4);
    EXPECT_EQ(f.state.settings.cardNo, "9");
    EXPECT_EQ(f.messages.texts.size(), 2);
    EXPECT_EQ(f.messages.last(), leftOut);
    log::QsoRecord deleted;
    log::readRecord(f.state.logPath, 2, deleted);
    EXPECT_TRUE(deleted.qslPending()); // the 未発行 list still finds it
    dialog->close();
}

TEST(CardDialogs, HelpOpensThePageOfEachKind)
{
    CardDialogFixture f;
    std::vector<int> opened;
    f.services.help.setOpener([&](HelpService::View view, int context) {
        if (view == HelpService::View::Topic)
            opened.push_back(context);
    });
    // The button, then F1 from the field that has the focus.
    auto postcard = f.open<PostcardDialog>();
    QTest::mouseClick(postcard->findChild<QPushButton *>("helpButton"), Qt::LeftButton);
    postcard->findChild<QLineEdit *>(QStringLiteral("fromEdit"))->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
    postcard->close();
    auto commercial = f.open<CommercialCardDialog>(2);
    QTest::mouseClick(commercial->findChild<QPushButton *>("helpButton"), Qt::LeftButton);
    QTest::keyClick(commercial.get(), Qt::Key_F1);
    commercial->close();
    EXPECT_EQ(opened, (std::vector<int>{19, 19, 20, 20}));
}

// A job the printer refuses changes nothing; an accepted one keeps its card number in the
// settings file at once, so 中止 in the personal information (which reads the file back) gives
// no number twice; a batch that finds nothing pending says so.
TEST(PostcardDialog, RefusedJobsChangeNothingAndNumbersSurviveCancel)
{
    CardDialogFixture f;
    f.state.settings.cardNo = "29";
    bool refuse = true;
    auto dialog = f.open<PostcardDialog>();
    dialog->setPrintJobFactory([&] {
        auto job = std::make_unique<test::RecordingJob>();
        job->refuseAtEnd = refuse;
        return std::unique_ptr<print::PrintJob>(std::move(job));
    });
    auto *batch = dialog->findChild<QPushButton *>(QStringLiteral("printUnissuedButton"));
    const std::string log = f.dir.read("JA1ABC.DAT");
    QTest::mouseClick(batch, Qt::LeftButton);
    EXPECT_EQ(f.messages.captions, QStringList{QStringLiteral("エラー")});
    EXPECT_EQ(f.messages.last(), QStringLiteral("印刷できませんでした。\nprinter offline"));
    EXPECT_EQ(f.dir.read("JA1ABC.DAT"), log);
    EXPECT_EQ(f.state.settings.cardNo, "29");

    refuse = false;
    QTest::mouseClick(batch, Qt::LeftButton);
    EXPECT_EQ(f.state.settings.cardNo, "32");
    PersonalInfoDialog personal(f.state, f.services);
    personal.show();
    QTest::mouseClick(personal.findChild<QPushButton *>(QStringLiteral("cancelButton")),
                      Qt::LeftButton);
    EXPECT_EQ(f.state.settings.cardNo, "32");

    QTest::mouseClick(batch, Qt::LeftButton);
    EXPECT_EQ(f.messages.last(), QStringLiteral("印刷する未発行のカードはありません"));
    EXPECT_EQ(f.messages.captions.last(), QStringLiteral("通知"));
    EXPECT_EQ(f.state.settings.cardNo, "32");
    dialog->close();
}
