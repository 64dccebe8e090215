// SPDX-License-Identifier: GPL-3.0-or-later
// The city lookup: lists every city of the worked station's region whose index initial equals
// the kana the operator typed into a city field of the contact dialog, and hands the confirmed
// city's name, JCC number and position back. Shown modally over the contact dialog; emptied
// each time it closes.
// Inputs from AppState: searchKey (the initial), currentArea (the master file), the settings
// (own location). Outputs: cityChosen, workedPosition, ownLocation, chosenCity(), chosenJcc().
#pragma once

#include "app/app_state.h"
#include "common/ui/vezo_dialog.h"
#include "log/ui/city_lookup.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QToolButton;

namespace vz::ui {

class CityLookupDialog : public VezoDialog, public CityLookup
{
    Q_OBJECT
public:
    CityLookupDialog(app::AppState &state, UiServices &services, QWidget *parent = nullptr);

    bool lookUpCity() override { return exec() == QDialog::Accepted; }
    // The confirmed city (Shift_JIS as stored), valid while AppState::cityChosen.
    const std::string &chosenCity() const override { return m_city; }
    const std::string &chosenJcc() const override { return m_jcc; }
    int hitCount() const { return m_hits; }

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void placeAndSearch();                // places the dialog and searches
    void selectCity(int row, int column); // the row's city becomes the selection
    void confirmCity();                   // 確定: hands the city back
    void cancelLookup();                  // キャンセル
    void showHelp();                      // ヘルプ: nothing to open
    void emptyTable();

    app::AppState &m_state;
    QLabel *m_hitCountLabel;
    QLabel *m_selectionCaptionLabel;
    QLineEdit *m_selectedCityEdit;
    QTableWidget *m_cityTable;
    QPushButton *m_confirmButton;
    QPushButton *m_cancelButton;
    QToolButton *m_helpButton;
    int m_row = 1; // 1-based data row
    int m_hits = 0;
    std::string m_city;
    std::string m_jcc;
};

} // namespace vz::ui
