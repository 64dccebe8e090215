// SPDX-License-Identifier: GPL-3.0-or-later
// The help: the pages of help/ built into one compressed help file (VEZODovi.qch), shown in a
// window with the contents, a keyword index and a full-text search beside the page. The
// windows open a page by its help context number: the page is the one whose keyword carries
// the id "context" + number.
//
// The search looks for the typed words anywhere in the pages' text. The help engine's own
// full-text index splits text at blanks and punctuation only, so in Japanese, written without
// blanks, it finds a word only where it stands alone; the help is small enough to be read
// through at each search.
//
// HelpDesk connects the window to the HelpService every dialog calls: it makes the window at
// the first request, so start-up does not wait for the help. Help asked for from a modal
// dialog belongs to that dialog while it is open (a window of its own, kept above it), since a
// modal dialog takes every click away from the other windows; it is placed clear of the asking
// window, so the dialog's buttons stay in reach.
#pragma once

#include "common/ui/help_service.h"

#include <QMargins>
#include <QPointer>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QUrl>
#include <QWidget>

#include <memory>

class QHelpEngine;
class QHelpEngineCore;
class QLineEdit;
class QListWidget;
class QSplitter;
class QTabWidget;

namespace vz::ui {

// Shows pages straight from the help file, following its links.
class HelpBrowser : public QTextBrowser
{
    Q_OBJECT
public:
    HelpBrowser(QHelpEngineCore &engine, QWidget *parent = nullptr);
    QVariant loadResource(int type, const QUrl &name) override;

private:
    QHelpEngineCore &m_engine;
};

class HelpWindow : public QWidget
{
    Q_OBJECT
public:
    // The page a help context number opens; the id of its keyword in the help project.
    static QString contextId(int context);

    explicit HelpWindow(const QString &helpFile, QWidget *parent = nullptr);
    ~HelpWindow() override;

    // The help file was found and could be read.
    bool hasHelp() const { return m_ready; }
    QHelpEngine &engine() { return *m_engine; }

    void showContents();
    void showKeywordIndex();
    // Opens the page of a context number; false, with a note in the window, when the help
    // has none.
    bool showTopic(int context);

    QUrl pageOf(int context) const;
    QUrl contentsPage() const;
    QUrl currentPage() const { return m_currentPage; }

    struct Hit
    {
        QUrl page;
        QString title;
        int count = 0; // occurrences of the words
    };
    // The pages holding every blank-separated word of `words` (letter case ignored), the most
    // occurrences first, then in the order of the contents.
    QList<Hit> search(const QString &words);

private:
    struct PageText
    {
        QUrl page;
        QString title;
        QString text;
    };
    void loadPageTexts();
    void runSearch();
    void openPage(const QUrl &url);
    void followLink(const QUrl &url);
    void showNote(const QString &text);
    void present();

    QTemporaryDir m_collectionDir;
    std::unique_ptr<QHelpEngine> m_engine;
    QString m_namespace;
    bool m_ready = false;
    QSplitter *m_splitter = nullptr;
    QTabWidget *m_navigation = nullptr;
    QLineEdit *m_keywordEdit = nullptr;
    QLineEdit *m_searchEdit = nullptr;
    QListWidget *m_searchResults = nullptr;
    HelpBrowser *m_browser = nullptr;
    QUrl m_currentPage;
    QList<PageText> m_pageTexts;
    QStringList m_searchWords;
};

class HelpDesk : public QObject
{
    Q_OBJECT
public:
    // The help window's size when the screen has room for it.
    static constexpr QSize kPreferredSize{860, 600};
    static constexpr QSize kLeastSize{420, 300};

    HelpDesk(HelpService &service, QString helpFile);
    ~HelpDesk() override;
    HelpDesk(const HelpDesk &) = delete;
    HelpDesk &operator=(const HelpDesk &) = delete;

    // Null until the first request.
    HelpWindow *window() const { return m_window.data(); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void open(HelpService::View view, int context);
    // Gives the window to `owner` (a modal dialog, or none); true when it changed hands.
    bool belongTo(QWidget *owner);
    void placeBeside(const QWidget *asking);
    void settlePlace();

    HelpService &m_service;
    QString m_helpFile;
    // Owned here; a modal dialog that owns it for a while hands it back as it closes.
    QPointer<HelpWindow> m_window;
    QPointer<QWidget> m_owner;
    QMargins m_frame{4, 28, 4, 4};
    QPoint m_frameAt;          // where the window's frame goes
    bool m_placeAgain = false; // made anew: its place is set again once shown
};

} // namespace vz::ui
