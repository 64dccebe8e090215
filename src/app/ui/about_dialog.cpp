// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/about_dialog.h"

#include "app/ui/address_opener.h"
#include "app/ui/program_icon.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

namespace vz::ui {

const char *const AboutDialog::kIssuesUrl = "https://github.com/vezodovi/vezodovi/issues";
const char *const AboutDialog::kHomePageUrl = "https://github.com/vezodovi/vezodovi";

namespace {

QLabel *makeLink(QWidget *parent, const QString &name, const char *url, const QString &caption,
                 QPoint at)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::RichText);
    label->setText(
        QStringLiteral("<a href=\"%1\" style=\"color:#008000; text-decoration:underline\">%2</a>")
            .arg(QString::fromLatin1(url), caption.toHtmlEscaped()));
    // The desktop's own handler opens the link, in a window of normal size.
    label->setOpenExternalLinks(false);
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    label->move(at);
    label->adjustSize();
    return label;
}

} // namespace

AboutDialog::AboutDialog(app::AppState &state, UiServices &services, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_state(state), m_services(services)
{
    setObjectName(QStringLiteral("aboutDialog"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setFixedSize(290, 178);

    m_iconLabel = new QLabel(this);
    m_iconLabel->setObjectName(QStringLiteral("iconLabel"));
    m_iconLabel->setGeometry(40, 22, 33, 33);
    m_iconLabel->setScaledContents(true);
    m_iconLabel->setPixmap(programIconPixmap(64));

    m_issuesLink = makeLink(this, QStringLiteral("issuesLink"), kIssuesUrl,
                            QStringLiteral("ご意見・不具合の報告"), QPoint(87, 112));
    m_homePageLink = makeLink(this, QStringLiteral("homePageLink"), kHomePageUrl,
                              QStringLiteral("VEZODovi ホームページ"), QPoint(79, 129));
    m_opener = new AddressOpener(m_services.messages, this);
    for (QLabel *link : {m_issuesLink, m_homePageLink})
        connect(link, &QLabel::linkActivated, m_opener,
                [this](const QString &url) { m_opener->open(QUrl(url)); });

    m_okButton = new QPushButton(QStringLiteral("OK"), this);
    m_okButton->setObjectName(QStringLiteral("okButton"));
    m_okButton->setGeometry(203, 148, 75, 25);
    m_okButton->setDefault(true);
    connect(m_okButton, &QPushButton::clicked, this, &QWidget::close);
    m_okButton->installEventFilter(this);
    m_okButton->setFocus();

    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
}

bool AboutDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && m_state.settings.keyClick)
        m_services.keyClick.play();
    return QDialog::eventFilter(watched, event);
}

void AboutDialog::paintEvent(QPaintEvent *event)
{
    QDialog::paintEvent(event);
    QPainter p(this);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setPen(palette().color(QPalette::Dark));
    p.drawRect(rect().adjusted(0, 0, -1, -1));

    QFont f(QStringLiteral("Times New Roman"));
    f.setStyleHint(QFont::Serif);
    f.setBold(true);
    f.setItalic(true);
    auto text = [&](int pointSize, QPoint at, const QColor &colour, const QString &s) {
        f.setPointSize(pointSize);
        p.setFont(f);
        p.setPen(colour);
        p.drawText(QRect(at, QSize(width() - at.x(), 40)), Qt::AlignLeft | Qt::AlignTop, s);
    };
    // The first two lines twice, white then black one pixel up and left: a raised look.
    const QString name = QStringLiteral("VEZODovi");
    text(16, {110, 20}, Qt::white, name);
    text(16, {109, 19}, Qt::black, name);
    const QString version = QStringLiteral("Version 5.02");
    text(11, {120, 47}, Qt::white, version);
    text(11, {119, 46}, Qt::black, version);
    text(9, {18, 69}, Qt::black, QStringLiteral("Amatureradio Logmanagement  for Windows XX"));
    text(9, {46, 84}, Qt::black, QStringLiteral("Linux edition, rewritten with Qt 6"));
}

} // namespace vz::ui
