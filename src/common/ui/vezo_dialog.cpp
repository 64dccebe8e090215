// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ui/vezo_dialog.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>

namespace vz::ui {

namespace {

bool isInputField(QObject *o)
{
    return qobject_cast<QLineEdit *>(o) || qobject_cast<QPlainTextEdit *>(o) ||
           qobject_cast<QAbstractSpinBox *>(o);
}

} // namespace

QPushButton *makeDialogButton(QWidget *parent, const QString &name, const QString &caption,
                              const QRect &geometry, bool flat)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setGeometry(geometry);
    b->setAutoDefault(false);
    b->setFlat(flat);
    return b;
}

void setFieldFocusLook(QWidget *field, bool focused)
{
    QPalette p = field->palette();
    const QPalette standard = field->style()->standardPalette();
    p.setColor(QPalette::Base,
               focused ? standard.color(QPalette::Base) : standard.color(QPalette::Button));
    field->setPalette(p);
}

VezoDialog::VezoDialog(DialogLook look, UiServices &services, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_services(services), m_look(look)
{
}

VezoDialog::~VezoDialog()
{
    // The controls are destroyed after this, and a focused field reports leaving as it goes;
    // by then no handler of the dialog may answer. Every dialog's connections end here.
    for (QObject *child : findChildren<QObject *>())
        disconnect(child, nullptr, this, nullptr);
}

void VezoDialog::setTitle(const QString &title)
{
    m_title = title;
    // Without a caption bar the painted title is all the user sees; the window manager's
    // task list and window switcher show this one.
    setWindowTitle(title);
    update();
}

void VezoDialog::setGreyFrame(bool on)
{
    m_greyFrame = on;
    update();
}

void VezoDialog::adoptChildren()
{
    for (QWidget *w : findChildren<QWidget *>()) {
        w->removeEventFilter(this);
        w->installEventFilter(this);
        if (isInputField(w))
            setFieldFocusLook(w, w->hasFocus());
    }
    applyFieldLook();
}

void VezoDialog::applyFieldLook()
{
    // Flat fields and lists, without a border, when the user chose the flat look.
    const bool flat = m_look.flatFields;
    for (QLineEdit *e : findChildren<QLineEdit *>())
        e->setFrame(!flat);
    for (QAbstractItemView *v : findChildren<QAbstractItemView *>())
        if (!qobject_cast<QHeaderView *>(v)) // a grid's header row belongs to its grid
            v->setFrameShape(flat ? QFrame::NoFrame : QFrame::Box);
    for (QPlainTextEdit *t : findChildren<QPlainTextEdit *>())
        t->setFrameShape(flat ? QFrame::NoFrame : QFrame::Box);
}

bool VezoDialog::handleKey(QKeyEvent *event)
{
    if (m_look.keyClick)
        m_services.keyClick.play();
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // Enter moves on: operators type a contact without touching the mouse.
        focusNextChild();
        return true;
    }
    if (event->key() == Qt::Key_F1) {
        // F1 asks for the same page as the dialog's ヘルプ button, where it has one.
        auto *help = findChild<QAbstractButton *>(QStringLiteral("helpButton"));
        if (help && help->isEnabled()) {
            help->click();
            return true;
        }
    }
    return false;
}

bool VezoDialog::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        if (handleKey(static_cast<QKeyEvent *>(event)))
            return true;
        break;
    case QEvent::FocusIn:
    case QEvent::FocusOut:
        if (isInputField(watched))
            setFieldFocusLook(static_cast<QWidget *>(watched), event->type() == QEvent::FocusIn);
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void VezoDialog::keyPressEvent(QKeyEvent *event)
{
    if (handleKey(event))
        return;
    QDialog::keyPressEvent(event);
}

void VezoDialog::showEvent(QShowEvent *event)
{
    adoptChildren();
    QDialog::showEvent(event);
}

void VezoDialog::paintEvent(QPaintEvent *event)
{
    QDialog::paintEvent(event);
    QPainter p(this);
    // The thin frame a caption-less window keeps.
    p.setPen(palette().color(QPalette::Dark));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    if (m_greyFrame) {
        p.setPen(QPen(QColor(128, 128, 128), 2));
        // From (5, 5) to five pixels inside the far corner: (782, 328) on a 787 x 333 dialog.
        p.drawRect(QRectF(5, 5, width() - 10, height() - 10));
    }
    if (m_title.isEmpty())
        return;
    QFont f = font();
    f.setPointSize(11);
    f.setBold(true);
    p.setFont(f);
    const QRect area(0, 0, width(), 40);
    p.setPen(Qt::white);
    p.drawText(area.translated(12, 12), Qt::AlignLeft | Qt::AlignTop, m_title);
    p.setPen(Qt::black);
    p.drawText(area.translated(11, 11), Qt::AlignLeft | Qt::AlignTop, m_title);
}

} // namespace vz::ui
