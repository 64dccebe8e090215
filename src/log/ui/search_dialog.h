// SPDX-License-Identifier: GPL-3.0-or-later
// The search dialog: searches the own log and, while a reference station is set, the reference
// log, and lists the matching contacts in a grid of 12 columns with one empty row after the last
// result. It opens in one of two modes:
//   9  item search: pick an item, type its key in the search key dialog (not for "未発行")
//   10 area search: pick a call area and get all its contacts
// While it is open the list mode holds the item of the last item search (1..8).
//
// The results-shown flag (AppState::resultsShown) is set whenever a row is added and cleared at
// the start of each log's pass, by "表示クリア" and by "終　了". A new search is refused while it
// is set; so after a search whose reference pass found nothing, the own rows stay and the next
// search adds its rows below them.
#pragma once

#include "app/app_state.h"
#include "common/ui/vezo_dialog.h"
#include "log/search.h"

#include <array>
#include <functional>
#include <optional>

class QButtonGroup;
class QPushButton;
class QTableView;

namespace vz {
class ProgressSink;
}

namespace vz::ui {

class ResultModel;

class SearchDialog : public VezoDialog
{
    Q_OBJECT
public:
    // The list mode it opens in; set in the state's dialog modes before.
    enum Mode { ItemSearch = 9, AreaSearch = log::kAreaListing };
    SearchDialog(app::AppState &state, UiServices &services, QWidget *parent = nullptr);

    // Where long passes show their progress (the hint bar); none by default.
    void setProgress(ProgressSink &progress) { m_progress = &progress; }
    // Places the search key dialog before it opens (below the hint bar); by default it stands
    // at x = 300 level with this dialog's top.
    void setKeyDialogPlacer(std::function<void(QWidget *)> placer)
    {
        m_placeKeyDialog = std::move(placer);
    }

    ResultModel *model() const { return m_model; }
    // The help page of the dialog, in either mode.
    static constexpr int kHelpContext = 22;

    // The mode the dialog was opened in.
    int kind() const { return m_kind; }

    void done(int result) override;

    // Another program changed the log and the state's index follows it: the list shown is
    // made again by its last search.
    void logChanged();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    friend class ListPass;
    enum ColumnSet { JccSet, PortableSet, MarkSet, AllSet };

    void searchItem(int item); // one of the eight item buttons
    void searchArea(int area); // one of the eleven area buttons
    void showJccColumn();      // JCC column
    void showPortableColumn(); // portable place column
    void showMarkColumn();     // mark column
    void showAllColumns();     // all three
    void showDefaultColumns(); // back to the default columns
    void clearList();          // 表示クリア: empties the list
    void showHelp();           // ヘルプ: the help page of this dialog
    void closeDialog();        // 終　了

    void buildButtons();
    void buildGrid();
    void resetColumns();
    void applyColumnSet(ColumnSet set);
    void showColumn(log::ResultColumn column, int width);
    void setColumnSetButtonsEnabled(bool enabled);
    void keepOnlyPressed(const QButtonGroup *group, int pressedId);
    void runPasses(const log::SearchPlan &plan);

    app::AppState &m_state;
    int m_kind;
    std::optional<log::SearchPlan> m_lastPlan; // the search the list shows, while it shows one
    ProgressSink *m_progress;
    std::function<void(QWidget *)> m_placeKeyDialog;
    ResultModel *m_model;
    QButtonGroup *m_itemGroup;
    QButtonGroup *m_areaGroup;
    std::array<QPushButton *, log::kItemCount> m_itemButtons{};
    std::array<QPushButton *, 11> m_areaButtons{};
    QTableView *m_resultTable;
    QPushButton *m_jccColumnButton;
    QPushButton *m_portableColumnButton;
    QPushButton *m_markColumnButton;
    QPushButton *m_allColumnsButton;
    QPushButton *m_defaultColumnsButton;
    QPushButton *m_clearButton;
    QPushButton *m_helpButton;
    QPushButton *m_closeButton;
};

} // namespace vz::ui
