// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/help_window.h"

#include "app/ui/help_placement.h"
#include "app/ui/program_icon.h"
#include "common/ui/hint_bar.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHelpContentModel>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QHelpIndexWidget>
#include <QHelpLink>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSplitter>
#include <QTabWidget>
#include <QTextDocument>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>
#include <cstdlib>

namespace vz::ui {

HelpBrowser::HelpBrowser(QHelpEngineCore &engine, QWidget *parent)
    : QTextBrowser(parent), m_engine(engine)
{
    // Links are followed by the window: pages inside the help file here, anything else
    // (a web address) by the desktop.
    setOpenLinks(false);
}

QVariant HelpBrowser::loadResource(int type, const QUrl &name)
{
    // A page's style sheet and pictures are named relative to the page.
    const QUrl url = name.isRelative() ? source().resolved(name) : name;
    if (url.scheme() == QLatin1String("qthelp")) {
        const QByteArray data = m_engine.fileData(url);
        // Style sheets are taken only as text.
        if (type == QTextDocument::StyleSheetResource)
            return QString::fromUtf8(data);
        return data;
    }
    return QTextBrowser::loadResource(type, name);
}

QString HelpWindow::contextId(int context)
{
    return QStringLiteral("context%1").arg(context);
}

HelpWindow::HelpWindow(const QString &helpFile, QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("helpWindow"));
    setWindowTitle(QStringLiteral("VEZODovi ヘルプ"));
    setWindowIcon(programIcon());
    resize(860, 600);

    // The help engine keeps its collection and search index in files of its own; they live in
    // a folder of this run, so the installed help file is only ever read.
    m_engine = std::make_unique<QHelpEngine>(m_collectionDir.filePath(QStringLiteral("help.qhc")));
    m_engine->setReadOnly(false);
    m_engine->setUsesFilterEngine(true);
    if (m_collectionDir.isValid() && QFileInfo(helpFile).isFile() && m_engine->setupData()) {
        m_namespace = QHelpEngineCore::namespaceName(helpFile);
        m_ready = !m_namespace.isEmpty() && m_engine->registerDocumentation(helpFile);
    }

    m_splitter = new QSplitter(this);
    m_navigation = new QTabWidget(m_splitter);
    m_navigation->setObjectName(QStringLiteral("navigation"));

    QHelpContentWidget *contents = m_engine->contentWidget();
    contents->setObjectName(QStringLiteral("contentsTree"));
    m_navigation->addTab(contents, QStringLiteral("目次"));

    auto *indexPage = new QWidget;
    auto *indexLayout = new QVBoxLayout(indexPage);
    m_keywordEdit = new QLineEdit(indexPage);
    m_keywordEdit->setObjectName(QStringLiteral("keywordEdit"));
    m_keywordEdit->setPlaceholderText(QStringLiteral("キーワードを入力"));
    QHelpIndexWidget *index = m_engine->indexWidget();
    index->setObjectName(QStringLiteral("keywordList"));
    indexLayout->addWidget(m_keywordEdit);
    indexLayout->addWidget(index);
    m_navigation->addTab(indexPage, QStringLiteral("キーワード"));

    auto *searchPage = new QWidget;
    auto *searchLayout = new QVBoxLayout(searchPage);
    auto *searchRow = new QHBoxLayout;
    m_searchEdit = new QLineEdit(searchPage);
    m_searchEdit->setObjectName(QStringLiteral("searchEdit"));
    m_searchEdit->setPlaceholderText(QStringLiteral("探す語句"));
    auto *searchButton = new QPushButton(QStringLiteral("検索"), searchPage);
    searchButton->setObjectName(QStringLiteral("searchButton"));
    searchRow->addWidget(m_searchEdit);
    searchRow->addWidget(searchButton);
    m_searchResults = new QListWidget(searchPage);
    m_searchResults->setObjectName(QStringLiteral("searchResults"));
    searchLayout->addLayout(searchRow);
    searchLayout->addWidget(m_searchResults);
    m_navigation->addTab(searchPage, QStringLiteral("検索"));

    m_browser = new HelpBrowser(*m_engine, m_splitter);
    m_browser->setObjectName(QStringLiteral("pageBrowser"));
    m_splitter->setStretchFactor(1, 3);
    m_splitter->setSizes({240, 620});
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_splitter);

    connect(contents, &QHelpContentWidget::linkActivated, this, &HelpWindow::openPage);
    // One click on a title opens its page.
    connect(contents, &QAbstractItemView::clicked, this, [this](const QModelIndex &index) {
        if (const QHelpContentItem *item = m_engine->contentModel()->contentItemAt(index))
            openPage(item->url());
    });
    // The contents are read in the background; show them opened one level when they arrive.
    connect(m_engine->contentModel(), &QHelpContentModel::contentsCreated, contents,
            [contents] { contents->expandToDepth(1); });
    connect(m_keywordEdit, &QLineEdit::textChanged, index,
            [index](const QString &text) { index->filterIndices(text); });
    connect(m_keywordEdit, &QLineEdit::returnPressed, index,
            &QHelpIndexWidget::activateCurrentItem);
    connect(index, &QHelpIndexWidget::documentActivated, this,
            [this](const QHelpLink &link) { openPage(link.url); });
    connect(index, &QHelpIndexWidget::documentsActivated, this,
            [this](const QList<QHelpLink> &links) {
                if (!links.isEmpty())
                    openPage(links.first().url);
            });
    connect(m_searchEdit, &QLineEdit::returnPressed, this, &HelpWindow::runSearch);
    connect(searchButton, &QPushButton::clicked, this, &HelpWindow::runSearch);
    connect(m_searchResults, &QListWidget::itemActivated, this, [this](QListWidgetItem *item) {
        openPage(item->data(Qt::UserRole).toUrl());
        // Show where the first word stands on the page.
        if (!m_searchWords.isEmpty())
            m_browser->find(m_searchWords.first());
    });
    connect(m_browser, &QTextBrowser::anchorClicked, this, &HelpWindow::followLink);

    if (!m_ready)
        showNote(QStringLiteral("ヘルプファイルが見つかりません。\n%1").arg(helpFile));
}

HelpWindow::~HelpWindow()
{
    // The navigation views show the engine's models: they go first.
    delete m_splitter;
}

QUrl HelpWindow::pageOf(int context) const
{
    if (!m_ready)
        return {};
    const QList<QHelpLink> links = m_engine->documentsForIdentifier(contextId(context));
    return links.isEmpty() ? QUrl() : links.first().url;
}

QUrl HelpWindow::contentsPage() const
{
    if (!m_ready)
        return {};
    return QUrl(QStringLiteral("qthelp://%1/doc/index.html").arg(m_namespace));
}

void HelpWindow::loadPageTexts()
{
    if (!m_ready || !m_pageTexts.isEmpty())
        return;
    // The pages in the order of the contents page, the others after them.
    QList<QUrl> pages = m_engine->files(m_namespace, QString(), QStringLiteral("html"));
    const QString contents = QString::fromUtf8(m_engine->fileData(contentsPage()));
    std::stable_sort(pages.begin(), pages.end(), [&](const QUrl &a, const QUrl &b) {
        const auto at = [&](const QUrl &u) {
            const qsizetype i = contents.indexOf(u.fileName());
            return u == contentsPage() ? -1 : i < 0 ? contents.size() : i;
        };
        return at(a) < at(b);
    });
    for (const QUrl &page : pages) {
        QTextDocument doc;
        doc.setHtml(QString::fromUtf8(m_engine->fileData(page)));
        m_pageTexts.push_back(
            {page, doc.metaInformation(QTextDocument::DocumentTitle), doc.toPlainText()});
    }
}

QList<HelpWindow::Hit> HelpWindow::search(const QString &words)
{
    loadPageTexts();
    // Blanks of either width separate the words.
    m_searchWords =
        words.split(QRegularExpression(QStringLiteral("[\\s\u3000]+")), Qt::SkipEmptyParts);
    QList<Hit> hits;
    if (m_searchWords.isEmpty())
        return hits;
    for (const PageText &p : m_pageTexts) {
        int count = 0;
        for (const QString &word : m_searchWords) {
            const int n = static_cast<int>(p.text.count(word, Qt::CaseInsensitive));
            if (n == 0) {
                count = 0;
                break;
            }
            count += n;
        }
        if (count > 0)
            hits.push_back({p.page, p.title, count});
    }
    std::stable_sort(hits.begin(), hits.end(),
                     [](const Hit &a, const Hit &b) { return a.count > b.count; });
    return hits;
}

void HelpWindow::runSearch()
{
    m_searchResults->clear();
    const QList<Hit> hits = search(m_searchEdit->text());
    for (const Hit &hit : hits) {
        auto *item = new QListWidgetItem(QStringLiteral("%1（%2）").arg(hit.title).arg(hit.count),
                                         m_searchResults);
        item->setData(Qt::UserRole, hit.page);
    }
    if (hits.isEmpty() && !m_searchWords.isEmpty())
        new QListWidgetItem(QStringLiteral("見つかりませんでした"), m_searchResults);
}

void HelpWindow::showContents()
{
    m_navigation->setCurrentIndex(0);
    if (m_ready)
        openPage(contentsPage());
    present();
}

void HelpWindow::showKeywordIndex()
{
    // The index with an empty search field, ready for typing.
    m_navigation->setCurrentIndex(1);
    m_keywordEdit->clear();
    present();
    m_keywordEdit->setFocus();
}

bool HelpWindow::showTopic(int context)
{
    const QUrl page = pageOf(context);
    if (page.isValid())
        openPage(page);
    else if (m_ready)
        showNote(QStringLiteral("ヘルプ番号 %1 の説明はありません。").arg(context));
    present();
    return page.isValid();
}

void HelpWindow::openPage(const QUrl &url)
{
    if (!url.isValid())
        return;
    m_currentPage = url;
    m_browser->setSource(url);
}

void HelpWindow::followLink(const QUrl &url)
{
    if (url.scheme() == QLatin1String("qthelp") || url.isRelative())
        openPage(m_browser->source().resolved(url));
    else
        QDesktopServices::openUrl(url);
}

void HelpWindow::showNote(const QString &text)
{
    m_currentPage.clear();
    m_browser->setPlainText(text);
}

void HelpWindow::present()
{
    show();
    raise();
    activateWindow();
}

HelpDesk::HelpDesk(HelpService &service, QString helpFile)
    : m_service(service), m_helpFile(std::move(helpFile))
{
    m_service.setOpener([this](HelpService::View view, int context) { open(view, context); });
}

HelpDesk::~HelpDesk()
{
    m_service.setOpener({});
    if (m_owner)
        m_owner->removeEventFilter(this);
    delete m_window.data();
}

void HelpDesk::open(HelpService::View view, int context)
{
    if (!m_window)
        m_window = new HelpWindow(m_helpFile);
    // A modal dialog lets no other window take a click: the help joins it. Otherwise the help
    // stands on its own beside the window that asked.
    QWidget *modal = QApplication::activeModalWidget();
    if (modal == m_window)
        modal = nullptr;
    QWidget *asking = modal ? modal : QApplication::activeWindow();
    const bool moved = belongTo(modal);
    // A help window already open stays where the operator has put it.
    if (asking && asking != m_window && (moved || !m_window->isVisible()))
        placeBeside(asking);
    switch (view) {
    case HelpService::View::Contents:
        m_window->showContents();
        break;
    case HelpService::View::KeywordIndex:
        m_window->showKeywordIndex();
        break;
    case HelpService::View::Topic:
        m_window->showTopic(context);
        break;
    }
    settlePlace();
}

bool HelpDesk::belongTo(QWidget *owner)
{
    if (m_window->parentWidget() == owner)
        return false;
    if (m_owner)
        m_owner->removeEventFilter(this);
    m_owner = owner;
    if (owner)
        owner->installEventFilter(this);
    // A window given to another parent is hidden and made anew on the desktop, which forgets
    // its frame: it keeps its size, and its frame's place is set again once it shows.
    if (m_window->windowHandle() && !m_window->windowHandle()->frameMargins().isNull())
        m_frame = m_window->windowHandle()->frameMargins();
    const QSize size = m_window->size();
    m_frameAt = m_window->frameGeometry().topLeft();
    m_placeAgain = m_window->testAttribute(Qt::WA_WState_Created);
    m_window->setParent(owner, Qt::Window);
    m_window->resize(size);
    m_window->move(m_frameAt);
    return true;
}

void HelpDesk::settlePlace()
{
    if (m_placeAgain && m_window->isVisible())
        if (QWindow *window = m_window->windowHandle())
            window->setFramePosition(m_frameAt);
    m_placeAgain = false;
}

bool HelpDesk::eventFilter(QObject *watched, QEvent *event)
{
    // The modal dialog closes: the help, still open, stays for reading on its own.
    if (watched == m_owner && m_window && event->type() == QEvent::Hide) {
        const bool shown = m_window->isVisible();
        belongTo(nullptr);
        if (shown) {
            m_window->show();
            settlePlace();
        }
    }
    return QObject::eventFilter(watched, event);
}

void HelpDesk::placeBeside(const QWidget *asking)
{
    const QScreen *screen = asking->screen();
    if (!screen)
        return;
    // The hint bar under the dialog belongs to it: the help leaves it visible as well.
    QRect avoid = asking->frameGeometry();
    for (const QWidget *w : QApplication::topLevelWidgets()) {
        const auto *bar = qobject_cast<const HintBar *>(w);
        if (bar && bar->isVisible() && std::abs(bar->frameGeometry().top() - avoid.bottom()) < 8)
            avoid = avoid.united(bar->frameGeometry());
    }
    // The desktop's frame around the help window; guessed until it has been shown once.
    // The desktop's frame around the help window, as last seen (guessed before that).
    if (m_window->windowHandle() && !m_window->windowHandle()->frameMargins().isNull())
        m_frame = m_window->windowHandle()->frameMargins();
    const QSize frameExtra(m_frame.left() + m_frame.right(), m_frame.top() + m_frame.bottom());
    const QRect placed = helpPlacement(avoid, screen->availableGeometry(),
                                       kPreferredSize + frameExtra, kLeastSize + frameExtra);
    m_window->resize(placed.size() - frameExtra);
    m_frameAt = placed.topLeft();
    m_window->move(m_frameAt);
}

} // namespace vz::ui
