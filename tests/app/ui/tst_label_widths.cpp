// SPDX-License-Identifier: GPL-3.0-or-later
// Every text of every window fits its label in the font it is drawn in, and no label's text
// runs under a control beside it. Run once under LANG=C and once under a Japanese locale:
// the faces chosen for Japanese text differ with the language.
#include "app/ui/about_dialog.h"
#include "app/ui/main_window.h"
#include "app/ui/record_range_dialog.h"
#include "app/ui/registration_dialog.h"
#include "app/ui/user_switch_dialog.h"
#include "awards/ui/awards_dialog.h"
#include "calendar/ui/event_dialog.h"
#include "cards/font_setup.h"
#include "common/progress.h"
#include "common/ui/hint_bar.h"
#include "log/ui/contact_dialog.h"
#include "log/ui/search_dialog.h"
#include "log/ui/search_key_dialog.h"
#include "places/ui/city_lookup_dialog.h"
#include "places/ui/master_editor_dialog.h"
#include "places/ui/personal_info_dialog.h"
#include "print/ui/commercial_card_dialog.h"
#include "print/ui/postcard_dialog.h"

#include "support/window_fixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QTabWidget>
#include <QTest>
#include <QTextDocument>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>

using namespace vz;
using namespace vz::ui;

namespace {

// Where a label draws its text, in its parent's coordinates.
QRect textRect(const QLabel *label)
{
    QRect room = label->contentsRect();
    const int margin = label->margin();
    room.adjust(margin, margin, -margin, -margin);
    const QRect drawn = label->style()->itemTextRect(label->fontMetrics(), room,
                                                     static_cast<int>(label->alignment()),
                                                     label->isEnabled(), label->text());
    return drawn.translated(label->pos());
}

// Checks the labels that show on `top` now.
void checkLabels(QWidget *top, const std::string &where)
{
    for (QLabel *label : top->findChildren<QLabel *>()) {
        if (!label->isVisibleTo(top) || label->text().isEmpty() || !label->pixmap().isNull())
            continue;
        if (label->textFormat() == Qt::RichText ||
            (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(label->text())))
            continue;
        const std::string name = where + " / " + label->objectName().toStdString() + " 「" +
                                 label->text().toStdString() + "」";
        QRect room = label->contentsRect();
        room.adjust(label->margin(), label->margin(), -label->margin(), -label->margin());
        if (label->wordWrap()) {
            EXPECT_LE(label->heightForWidth(label->width()), label->height()) << name;
            continue;
        }
        const QRect needed = label->fontMetrics().boundingRect(QRect(0, 0, 100000, 100000),
                                                               Qt::TextExpandTabs, label->text());
        EXPECT_LE(needed.width(), room.width()) << name << " width " << label->width();
        // The line box counts a pixel or two of leading below the lowest ink.
        EXPECT_LE(needed.height(), room.height() + 2) << name << " height " << label->height();
        // The text does not run under a control standing beside it.
        const QRect text = textRect(label);
        for (QObject *o : label->parent()->children()) {
            auto *control = qobject_cast<QWidget *>(o);
            if (!control || control == label || !control->isVisibleTo(top) ||
                !(qobject_cast<QAbstractButton *>(control) || qobject_cast<QLineEdit *>(control)))
                continue;
            // A check box's own text is checked as its own; its indicator is what matters.
            EXPECT_FALSE(text.intersects(control->geometry()))
                << name << " meets " << control->objectName().toStdString();
        }
    }
}

// The command buttons that show on `top` now: each shows its whole caption, and stays inside
// the page it stands on.
void checkToolButtons(QWidget *top, const std::string &where)
{
    for (QToolButton *button : top->findChildren<QToolButton *>()) {
        if (!button->isVisibleTo(top) || button->text().isEmpty() || button->objectName().isEmpty())
            continue;
        const std::string name = where + " / " + button->objectName().toStdString() + " 「" +
                                 button->text().toStdString() + "」";
        EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()) + 4, button->width())
            << name;
        const QWidget *page = button->parentWidget();
        EXPECT_LE(button->geometry().right(), page->contentsRect().right()) << name;
    }
}

// Shows the window, walks its tab pages (each in turn) and checks every label.
void walk(QWidget *window, const std::string &where)
{
    window->show();
    QApplication::processEvents();
    checkLabels(window, where);
    for (QTabWidget *tabs : window->findChildren<QTabWidget *>()) {
        for (int i = 0; i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            QApplication::processEvents();
            checkLabels(window, where + " / " + tabs->tabText(i).toStdString());
            checkToolButtons(window, where + " / " + tabs->tabText(i).toStdString());
        }
    }
    window->close();
}

struct Fixture : test::WindowFixture
{
    Fixture()
    {
        installFontSubstitutions();
        dir.installPrefixTable();
        state.currentCall = "JA1ABC";
        app::buildUserPaths(state);
        state.prefixTable.setPath(state.prefixPath);
        NoProgress quiet;
        app::openLog(state, quiet);
    }
};

} // namespace

TEST(LabelWidths, EveryLabelOfEveryWindowShowsItsWholeText)
{
    Fixture f;
    {
        MainWindow form(f.state, f.services, QString::fromStdString(f.dir.path()));
        walk(&form, "MainWindow");
        walk(form.hintBar(), "HintBar");
        walk(form.personalInfo(), "PersonalInfoDialog");
        f.state.startAborted = true;
    }
    for (int mode : {RegistrationDialog::FirstRun, RegistrationDialog::NewUser,
                     RegistrationDialog::BlankCards}) {
        RegistrationDialog d(f.state, f.services, mode);
        walk(&d, "RegistrationDialog " + std::to_string(mode));
    }
    for (int mode : {1, 2}) {
        UserSwitchDialog d(f.state, f.services, mode);
        walk(&d, "UserSwitchDialog " + std::to_string(mode));
    }
    {
        // The about box deletes itself when closed.
        walk(new AboutDialog(f.state, f.services), "AboutDialog");
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        RecordRangeDialog r(f.state, f.services, 10);
        walk(&r, "RecordRangeDialog");
    }
    for (int mode : {1, 2, 3, 4}) {
        f.state.dialogModes.log = mode;
        ContactDialog d(f.state, f.services, mode);
        walk(&d, "ContactDialog " + std::to_string(mode));
        d.close();
    }
    f.state.dialogModes.log = 0;
    for (int mode : {9, 10}) {
        f.state.dialogModes.list = mode;
        SearchDialog d(f.state, f.services);
        walk(&d, "SearchDialog " + std::to_string(mode));
    }
    f.state.dialogModes.list = 0;
    for (int item = 1; item <= 8; ++item) {
        SearchKeyDialog d(f.state, f.services, item);
        walk(&d, "SearchKeyDialog " + std::to_string(item));
    }
    {
        CityLookupDialog city(f.state, f.services);
        walk(&city, "CityLookupDialog");
        MasterEditorDialog master(f.state, f.services);
        walk(&master, "MasterEditorDialog");
        EventDialog events(f.state, f.services);
        walk(&events, "EventDialog");
        AwardsDialog awards(f.state, f.services);
        walk(&awards, "AwardsDialog");
    }
    f.state.dialogModes.post = 1;
    {
        PostcardDialog d(f.state, f.services);
        walk(&d, "PostcardDialog");
    }
    f.state.dialogModes.post = 0;
    for (int mode : {2, 3}) {
        f.state.dialogModes.prin = mode;
        CommercialCardDialog d(f.state, f.services);
        walk(&d, "CommercialCardDialog " + std::to_string(mode));
    }
    f.state.dialogModes.prin = 0;
}
