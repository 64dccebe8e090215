// SPDX-License-Identifier: GPL-3.0-or-later
// The postcard dialog: QSL cards on plain postcards or blank paper of postcard size, frame and
// data printed together. Prints a range of records or every pending card; six options choose
// which of the user's own texts appear and are kept in the layout file. A sample picture,
// drawn by the postcard layout itself, shows where each text goes.
//
//   fromEdit, toEdit        "自", "至": record numbers, digits only
//   printRangeButton        "本印刷開始" (enabled once a number is typed)
//   printUnissuedButton     "未発行分一括印刷"
//   applyButton "適　用", helpButton "ヘルプ" (help topic 19), closeButton "終　了"
//   samplePicture           the postcard with sample values
#pragma once

#include "print/layout_file.h"
#include "print/ui/card_dialog.h"

#include <array>

class QCheckBox;

namespace vz::ui {

class PostcardDialog : public CardDialog
{
    Q_OBJECT
public:
    PostcardDialog(app::AppState &state, UiServices &services, QWidget *parent = nullptr);

    int helpContext() const override { return 19; }
    print::PostcardOptions options() const;

    void done(int result) override;

    // The sample picture: a postcard with sample values drawn by the postcard layout.
    static QImage samplePicture(const print::PostcardOptions &options);

protected:
    print::CardDrawing cardDrawing() const override;
    void paintEvent(QPaintEvent *event) override;

private:
    void buildOptions();
    void setOptions(const print::PostcardOptions &options);
    void scriptPressed(QCheckBox *pressed, QCheckBox *other);
    void applyOptions();
    bool writeOptions();

    std::array<QCheckBox *, 6> m_optionBoxes{};
    QCheckBox *m_kanjiBox = nullptr;
    QCheckBox *m_latinBox = nullptr;
    QPushButton *m_applyButton = nullptr;
    QPushButton *m_helpButton = nullptr;
    QPushButton *m_closeButton = nullptr;
    QLabel *m_samplePicture = nullptr;
};

} // namespace vz::ui
