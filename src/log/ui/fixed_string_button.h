// SPDX-License-Identifier: GPL-3.0-or-later
// A fixed-string button of the contact dialog: 60 x 20 pixels for a caption of up to ten
// characters ("UR 5NN TNX"). The caption is drawn whole in the largest font that shows it, from
// the dialog's own size down to 7 points, narrowed at 7 points when it still does not fit; only
// a caption longer than that is cut, at its end. The button's text stays the whole caption.
#pragma once

#include <QToolButton>

namespace vz::ui {

class FixedStringButton : public QToolButton
{
    Q_OBJECT
public:
    static constexpr int kLeastPointSize = 7;

    explicit FixedStringButton(QWidget *parent = nullptr);

    // Sets the text and picks the font that shows it.
    void setCaption(const QString &text);
    // What the button shows of its text: all of it, or its start and "…".
    QString shownCaption() const;
    // The width the caption may take inside the button's frame.
    int captionRoom() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void fitCaption();
    QFont m_baseFont;
};

} // namespace vz::ui
