// SPDX-License-Identifier: GPL-3.0-or-later
// The hint bar: a caption-less strip as wide as the main window that shows the hint of the
// command under the pointer, and the progress of long passes over a log. It sits under the
// main window, or under the dialog that carries it.
#pragma once

#include "common/ui/progress_bar_sink.h"

#include <QWidget>

class QLabel;
class QProgressBar;
class QStatusBar;

namespace vz::ui {

class HintBar : public QWidget
{
    Q_OBJECT
public:
    explicit HintBar(QWidget *parent = nullptr);

    void showHint(const QString &text);
    QString hint() const;
    ProgressSink &progress() { return m_progress; }
    QProgressBar *progressBar() const { return m_progressBar; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QStatusBar *m_statusBar;
    QLabel *m_hintTitle;
    QLabel *m_hintText;
    QProgressBar *m_progressBar;
    ProgressBarSink m_progress;
};

// Routes every command's hint ("|" + text, kept as its status tip) to the hint bar while the
// pointer rests on the command, in the main window and in every dialog.
class HintRouter : public QObject
{
    Q_OBJECT
public:
    explicit HintRouter(HintBar &bar, QObject *parent = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    HintBar &m_bar;
    bool m_refusalShown = false; // a refused character's message, cleared by the next key
};

// Gives a command its hint: the text after the "|" (none shows as a pop-up tip).
void setHint(QWidget *command, const QString &hintWithBar);

} // namespace vz::ui
