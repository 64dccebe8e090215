// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ui/message_service.h"

#include <QMessageBox>
#include <QPushButton>

namespace vz::ui {

namespace {

// A box whose text the operator can select and copy (a path, an address).
void showSelectable(QMessageBox::Icon icon, const QString &caption, const QString &text)
{
    QMessageBox box(icon, caption, text, QMessageBox::Ok);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    box.exec();
}

bool showBox(MessageKind kind, const QString &caption, const QString &text)
{
    switch (kind) {
    case MessageKind::Error:
    case MessageKind::Unexpected:
        showSelectable(QMessageBox::Critical, caption, text);
        return true;
    case MessageKind::Notice:
        showSelectable(QMessageBox::Information, caption, text);
        return true;
    case MessageKind::NoticeWithSave: {
        QMessageBox box(QMessageBox::Information, caption, text, QMessageBox::Ok);
        box.setTextInteractionFlags(Qt::TextSelectableByMouse);
        QPushButton *save = box.addButton(QStringLiteral("保存..."), QMessageBox::ActionRole);
        box.exec();
        return box.clickedButton() == save;
    }
    case MessageKind::Confirm:
        return QMessageBox::question(nullptr, caption, text, QMessageBox::Yes | QMessageBox::No) !=
               QMessageBox::No;
    case MessageKind::Plain: {
        QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok);
        box.exec();
        return true;
    }
    }
    return true;
}

} // namespace

MessageService::MessageService()
    : m_answerer([](MessageKind kind, const QString &caption, const QString &text) {
          return showBox(kind, caption, text);
      })
{
}

QString MessageService::caption(MessageKind kind)
{
    switch (kind) {
    case MessageKind::Error:
        return QStringLiteral("エラー");
    case MessageKind::Notice:
    case MessageKind::NoticeWithSave:
        return QStringLiteral("通知");
    case MessageKind::Confirm:
        return QStringLiteral("確認");
    case MessageKind::Plain:
    case MessageKind::Unexpected:
        return QStringLiteral("VEZODovi");
    }
    return {};
}

bool MessageService::ask(MessageKind kind, const QString &text)
{
    return m_answerer(kind, caption(kind), text);
}

void MessageService::error(const QString &text)
{
    ask(MessageKind::Error, text);
}

void MessageService::notice(const QString &text)
{
    ask(MessageKind::Notice, text);
}

bool MessageService::noticeOfferingSave(const QString &text)
{
    return ask(MessageKind::NoticeWithSave, text);
}

bool MessageService::confirm(const QString &text)
{
    return ask(MessageKind::Confirm, text);
}

void MessageService::plain(const QString &text)
{
    ask(MessageKind::Plain, text);
}

void MessageService::unexpected(const QString &text)
{
    ask(MessageKind::Unexpected, text);
}

void MessageService::writeFailed(const QString &path)
{
    error(QStringLiteral("ファイルに書き込めませんでした。\n%1").arg(path));
}

} // namespace vz::ui
