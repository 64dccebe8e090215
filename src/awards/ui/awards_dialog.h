// SPDX-License-Identifier: GPL-3.0-or-later
// The award progress of the own log: the city (JCC), ward (区) and district (JCG) tables as
// tabs, one row per prefecture with the places worked, confirmed and listed in the master and
// a bar; choosing a prefecture lists its places beside it, and a worked place opens its first
// contact in the contact dialog's modify mode (the main window does that on `openContact`).
//
// The log is counted when the dialog opens and again on "再集計", after contacts were changed.
#pragma once

#include "app/app_state.h"
#include "awards/award_table.h"
#include "common/ui/vezo_dialog.h"
#include "log/confirmation_mark.h"

#include <array>
#include <cstdint>
#include <string>

class QLabel;
class QTabBar;
class QCheckBox;
class QTableWidget;

namespace vz {
class ProgressSink;
}

namespace vz::ui {

class AwardsDialog : public VezoDialog
{
    Q_OBJECT
public:
    static constexpr int kHelpContext = 50;

    AwardsDialog(app::AppState &state, UiServices &services, QWidget *parent = nullptr);

    // Where the long pass shows its progress (the hint bar); none when not set.
    void setProgress(ProgressSink &progress) { m_progress = &progress; }

    // Counts the log afresh and shows the tables; false when the log could not be read.
    bool recount();
    // Shows the table of a kind (the tab) and the places of a prefecture (1..47).
    void showKind(awards::AwardKind kind);
    void showPrefecture(int prefecture);
    const awards::AwardTable &table(awards::AwardKind kind) const
    {
        return m_tables[static_cast<std::size_t>(kind)];
    }

Q_SIGNALS:
    // The operator chose a worked place: its first contact, record number `recordNo`.
    void openContact(std::int32_t recordNo);

private:
    void buildControls();
    void fillPrefectures();
    void placeActivated(int row);
    void closeDialog();

    void confirmedByClicked(QCheckBox *box);

    app::AppState &m_state;
    ProgressSink *m_progress = nullptr;
    // The confirmations counted: paper cards alone until the operator chooses more.
    log::ConfirmedBy m_confirmedBy;
    std::array<QCheckBox *, 3> m_confirmedByChecks{}; // card, LoTW, eQSL
    std::array<awards::AwardTable, 3> m_tables;
    awards::AwardTally m_tally;
    std::string m_countedLog; // the log the tables were counted from
    awards::AwardKind m_kind = awards::AwardKind::City;
    int m_prefecture = 0;
    QTabBar *m_kindTabs = nullptr;
    QTableWidget *m_prefectureTable = nullptr;
    QTableWidget *m_placeTable = nullptr;
    QLabel *m_summaryLabel = nullptr;
    QLabel *m_placesLabel = nullptr;
};

} // namespace vz::ui
