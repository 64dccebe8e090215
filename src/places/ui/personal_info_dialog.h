// SPDX-License-Identifier: GPL-3.0-or-later
// The personal information: the editor of the current user's settings on five pages (fixed
// strings; own places and name; card items; input options; the special-prefix list). It lives
// from start-up to the end and is shown modally from the main window's "個人情報".
//
// Its fields are a view of the settings the program holds: an edit goes into them at once, so
// the options (key click, flat fields) act while the dialog is open. "適　用" writes the
// settings file and reads it back, "中　止" reads it back (the edits are gone), "終　了" writes
// when there is something to write and reads back. The own fixed and mobile places are
// entered as JCC numbers and looked up in the master, which gives their city and position.
//
// The contact dialog hears of what concerns it through the signals; the main window passes
// them on when that dialog is open.
#pragma once

#include "app/app_state.h"
#include "common/ui/vezo_dialog.h"
#include "places/prefix_list.h"

#include <array>
#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QTabWidget;

namespace vz::ui {

class RigConnectionPage;
class WsjtxPage;
class TqslPage;

class PersonalInfoDialog : public VezoDialog
{
    Q_OBJECT
public:
    enum Page { FixedStrings = 1, OwnPlaces, CardItems, InputOptions, SpecialPrefixes };

    PersonalInfoDialog(app::AppState &state, UiServices &services, QWidget *parent = nullptr);

    // The help topic of the page last entered: 24 to 30; 0 before any page was entered.
    int helpContext() const { return m_page == 0 ? 0 : 23 + m_page; }

    // Shows the settings the program holds in the fields.
    void showSettings();
    // The lines of PreFix.CFG into the page's list; false when the file cannot be read.
    bool loadPrefixList();
    const places::PrefixList &prefixList() const { return m_prefixes; }
    WsjtxPage *wsjtxPage() const { return m_wsjtxPage; }

    void reject() override; // Escape does not throw the edits away
    void done(int result) override;

Q_SIGNALS:
    // The operator changed fixed string `index` (0..9).
    void fixedStringEdited(int index, const QString &text);
    // The own portable place changed by a lookup, or ended ("移動運用解除": empty).
    void ownPortablePlaceChanged(const QString &city);
    // The settings were read again ("中　止", "終　了").
    void settingsReloaded();
    // PreFix.CFG was written: the call areas follow the new table.
    void prefixTableSaved();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    struct TextField
    {
        QLineEdit *edit;
        std::string app::UserSettings::*member;
    };
    enum class Place { Fixed, Mobile };

    QWidget *buildFixedStringsPage();
    QWidget *buildOwnPlacesPage();
    QWidget *buildCardItemsPage();
    QWidget *buildInputOptionsPage();
    QWidget *buildSpecialPrefixesPage();
    QLineEdit *addTextField(QWidget *page, const char *name, std::string app::UserSettings::*member,
                            const QRect &at, bool kana);
    QCheckBox *addOption(QWidget *page, const char *name, const char *caption, int y,
                         bool app::UserSettings::*member, bool marksChange);

    void enterPage(int index);
    void setChanged();
    void placeEdited(Place place, const QString &text);
    void lookUpPlace(Place place);
    void mobileOperationClicked();
    void endMobileOperation();

    void applySettings();
    void cancelEdits();
    void finish();
    void openHelp();
    bool writeSettings();
    // False when the operator, told that the log holds a newly set mark already, stops.
    bool newMarksAccepted();
    void readSettings();

    void prefixLineClicked(int row);
    void addPrefixLine();
    void replacePrefixLine();
    void removePrefixLine();
    void cancelPrefixEdits();
    void savePrefixList();
    void showPrefixList();

    app::AppState &m_state;
    QTabWidget *m_pages = nullptr;
    std::array<QLineEdit *, 10> m_fixedStringEdits{};
    std::vector<TextField> m_textFields;
    QLineEdit *m_fixedJccEdit = nullptr;
    QLabel *m_fixedCityLabel = nullptr;
    QLabel *m_fixedPositionLabel = nullptr;
    QCheckBox *m_mobileCheck = nullptr;
    QPushButton *m_endMobileButton = nullptr;
    QLineEdit *m_mobileJccEdit = nullptr;
    QLabel *m_mobileCityLabel = nullptr;
    QLabel *m_mobilePositionLabel = nullptr;
    std::vector<std::pair<QCheckBox *, bool app::UserSettings::*>> m_options;
    QListWidget *m_prefixListBox = nullptr;
    QLineEdit *m_prefixEdit = nullptr;
    QPushButton *m_prefixSaveButton = nullptr;
    QPushButton *m_applyButton = nullptr;
    QPushButton *m_cancelButton = nullptr;
    QPushButton *m_closeButton = nullptr;
    QPushButton *m_helpButton = nullptr;
    RigConnectionPage *m_rigPage = nullptr;
    WsjtxPage *m_wsjtxPage = nullptr;
    // The card, LoTW and eQSL marks as shown: a save checks the ones set anew.
    std::array<std::string, 3> m_shownMarks;
    TqslPage *m_tqslPage = nullptr;

    places::PrefixList m_prefixes;
    bool m_fixedJccChanged = false;
    bool m_mobileJccChanged = false;
    bool m_closing = false;
    int m_page = 0;
};

} // namespace vz::ui
