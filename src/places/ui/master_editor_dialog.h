// SPDX-License-Identifier: GPL-3.0-or-later
// The JCC master editor: loads one region's master file into a table, lets the operator change
// cells in place, insert, append and delete rows, and writes the file back with a backup copy.
// Opened from the main window's "JCC編集" without blocking it; created for each opening and
// destroyed when closed. The save button doubles as the mark that the table holds changes.
#pragma once

#include "app/app_state.h"
#include "common/ui/vezo_dialog.h"
#include "places/master_file.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QTableWidget;

namespace vz::ui {

class MasterEditorDialog : public VezoDialog
{
    Q_OBJECT
public:
    MasterEditorDialog(app::AppState &state, UiServices &services, QWidget *parent = nullptr);
    ~MasterEditorDialog() override;

    // The editor has no help topic of its own.
    int helpContext() const { return 0; }

    // The loaded master file, empty while no area is loaded.
    const std::string &loadedPath() const { return m_path; }
    bool hasChanges() const;
    // The table's data rows as they would be written.
    std::vector<places::MasterRow> tableRows() const;

    void loadArea(int area);
    void reject() override; // Escape closes as "終　了" does
    void done(int result) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildAreaButtons();
    void buildTable();
    void buildCommands();

    void goToFirstRow();
    void goToLastRow();
    void jumpToRow();
    void insertRow();
    void appendRow();
    void deleteRow();
    void saveMaster();
    // False when the operator kept the table (unsaved changes and the answer No).
    bool clearTable();
    void closeEditor();

    void setChanged();
    void setRowsLoaded(bool loaded);
    void fillRow(int row, const places::MasterRow &cells);
    // The row as it was loaded, while every cell still shows what it showed then.
    std::optional<places::MasterRow> untouchedRow(int row) const;
    static constexpr int kLoadedRecordRole = Qt::UserRole + 1;
    void renumberFrom(int row);
    void showCount();
    void scrollToTop(int row);
    QString cityOfRow(int row) const;
    void emptyToOneRow();

    app::AppState &m_state;
    std::array<QPushButton *, places::kMasterAreaCount> m_areaButtons{};
    QTableWidget *m_table = nullptr;
    QLabel *m_countLabel = nullptr;
    QLabel *m_countValue = nullptr;
    QLineEdit *m_jumpEdit = nullptr;
    QPushButton *m_firstRowButton = nullptr;
    QPushButton *m_lastRowButton = nullptr;
    QPushButton *m_jumpButton = nullptr;
    QPushButton *m_insertButton = nullptr;
    QPushButton *m_appendButton = nullptr;
    QPushButton *m_deleteButton = nullptr;
    QPushButton *m_saveButton = nullptr;
    QPushButton *m_clearButton = nullptr;
    QPushButton *m_closeButton = nullptr;
    std::string m_path;
    bool m_closing = false;
};

} // namespace vz::ui
