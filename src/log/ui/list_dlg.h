// SPDX-License-Identifier: GPL-3.0-or-later
// The search dialog (TListDlg): searches the own log and, while a reference station is set, the
// reference log, and lists the matching contacts in a grid. It opens in one of two modes:
//   9  item search: pick an item, type its key in the find dialog (not for "未発行")
//   10 area search: pick a call area and get all its contacts
// While it is open the list mode holds the item of the last item search (1..8).
//
//   SpeedButton1..8   items: コール ＪＣＣ 周波数 モード 年月日 氏　名 マーク 未発行
//   SpeedButton9..19  areas 1..9, then 0, then 10
//   StringGrid1       the result grid: 12 columns, one empty row after the last result
//   SpeedButton20..24 column sets: JCC 移動地 マーク 全項目, and 初期値 (reset)
//   SpeedButton25 "表示クリア"   SpeedButton26 "ヘルプ" (help topic 22)   SpeedButton27 "終　了"
//
// The results-shown flag (AppState::resultsShown) is set whenever a row is added and cleared at
// the start of each log's pass, by "表示クリア" and by "終　了". A new search is refused while it
// is set; so after a search whose reference pass found nothing, the own rows stay and the next
// search adds its rows below them.
#pragma once

#include "common/ui/vezo_dialog.h"
#include "log/search.h"

#include <array>

class QButtonGroup;
class QPushButton;
class QTableView;

namespace vz {
class ProgressSink;
}

namespace vz::ui {

class ResultModel;

class TListDlg : public VezoDialog
{
    Q_OBJECT
public:
    // The list mode (9 or 10) must be set in the state's dialog modes before.
    TListDlg(app::AppState &state, UiServices &services, QWidget *parent = nullptr);

    // Where long passes show their progress (the hint bar); none by default.
    void setProgress(ProgressSink &progress) { m_progress = &progress; }

    ResultModel *model() const { return m_model; }
    // The mode the dialog was opened in: 9 item search, 10 area search.
    int kind() const { return m_kind; }

    void done(int result) override;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    friend class ListPass;
    enum ColumnSet { JccSet, PortableSet, MarkSet, AllSet };

    void ItemButtonClick(int item); // SpeedButton1..8: item search
    void AreaButtonClick(int area); // SpeedButton9..19: area search
    void SpeedButton20Click();      // JCC column
    void SpeedButton21Click();      // portable place column
    void SpeedButton22Click();      // mark column
    void SpeedButton23Click();      // all three
    void SpeedButton24Click();      // back to the default columns
    void SpeedButton25Click();      // 表示クリア: empties the list
    void SpeedButton27Click();      // 終　了

    void buildButtons();
    void buildGrid();
    void resetColumns();
    void applyColumnSet(ColumnSet set);
    void showColumn(log::ResultColumn column, int width);
    void setColumnSetButtonsEnabled(bool enabled);
    void keepOnlyPressed(const QButtonGroup *group, int pressedId);
    void runPasses(const log::SearchPlan &plan);

    int m_kind;
    ProgressSink *m_progress;
    ResultModel *m_model;
    QButtonGroup *m_itemGroup;
    QButtonGroup *m_areaGroup;
    std::array<QPushButton *, log::kItemCount> m_itemButtons{};
    std::array<QPushButton *, 11> m_areaButtons{};
    QTableView *StringGrid1;
    QPushButton *SpeedButton20;
    QPushButton *SpeedButton21;
    QPushButton *SpeedButton22;
    QPushButton *SpeedButton23;
    QPushButton *SpeedButton24;
    QPushButton *SpeedButton25;
    QPushButton *SpeedButton26;
    QPushButton *SpeedButton27;
};

} // namespace vz::ui
