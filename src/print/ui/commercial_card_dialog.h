// SPDX-License-Identifier: GPL-3.0-or-later
// The commercial card dialog: prints the data of a contact into the blanks of preprinted
// horizontal or vertical QSL cards. Each printed item is a label on a small preview of the
// card that the user drags to where the card's blank is; the positions are kept per user and
// card kind in the layout file when the dialog closes. Eleven options choose what prints, and
// a test print fills a card with sample values to try the layout.
//
//   preview                 the card's white panel; item07Label .. item27Label on it
//   fromEdit, toEdit        "自", "至": record numbers
//   printRangeButton "本印刷開始", printUnissuedButton "未発行分一括印刷",
//   testPrintButton "テスト印刷" (off for good once a number is typed),
//   applyButton "適　用", helpButton "ヘルプ" (help topic 20), closeButton "終　了"
#pragma once

#include "print/layout_file.h"
#include "print/ui/card_dialog.h"

#include <QLabel>

#include <array>

class QCheckBox;
class QFrame;

namespace vz::ui {

// A preview label the user drags with the mouse; it turns aqua while held.
class LayoutLabel : public QLabel
{
    Q_OBJECT
public:
    LayoutLabel(const QString &caption, QWidget *parent);

Q_SIGNALS:
    void dropped();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void setColour(const QColor &colour);
    QPoint m_pressPoint;
    bool m_held = false;
};

class CommercialCardDialog : public CardDialog
{
    Q_OBJECT
public:
    // Its dialog mode, which sets the kind; it comes from the state's dialog modes.
    enum Mode { Horizontal = 2, Vertical = 3 };
    CommercialCardDialog(app::AppState &state, UiServices &services, QWidget *parent = nullptr);

    int helpContext() const override { return 20; }
    print::CardKind kind() const { return m_kind; }
    print::CommercialOptions options() const;
    // Where the labels are now, in preview pixels.
    print::CardLayout layout() const;
    LayoutLabel *itemLabel(int item) const
    {
        return m_labels[static_cast<std::size_t>(item - print::kFirstItem)];
    }

    void done(int result) override;

protected:
    print::CardDrawing cardDrawing() const override;
    void numberTyped() override;
    void rangeCleared() override;
    bool cardLies() const override { return m_kind == print::CardKind::Horizontal; }
    void paintEvent(QPaintEvent *event) override;

private:
    void buildPreview();
    void buildOptions();
    void setOptions(const print::CommercialOptions &options);
    void applyVisibility();
    void applyOptions();
    void addressSwitched();
    void scriptPressed(QCheckBox *pressed, QCheckBox *other);
    void testPrint();
    bool writeOptions();

    print::CardKind m_kind;
    QFrame *m_preview = nullptr;
    std::array<LayoutLabel *, print::kItemCount> m_labels{};
    std::array<QCheckBox *, 11> m_optionBoxes{};
    QCheckBox *m_addressBox = nullptr;
    QCheckBox *m_kanjiBox = nullptr;
    QCheckBox *m_latinBox = nullptr;
    QPushButton *m_testPrintButton = nullptr;
    QPushButton *m_applyButton = nullptr;
    QPushButton *m_helpButton = nullptr;
    QPushButton *m_closeButton = nullptr;
};

} // namespace vz::ui
