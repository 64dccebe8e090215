// SPDX-License-Identifier: GPL-3.0-or-later
// Every message of the program goes through one of three boxes with fixed captions: error
// ("エラー", stop icon), notice ("通知", information icon) and confirmation ("確認", Yes/No, where
// only No cancels). Failures that no message of the program covers (a picture that cannot be
// read) go to a fourth, plain error box captioned with the program's name. Tests replace the
// answerer to read the text and answer.
#pragma once

#include <QString>

#include <functional>
#include <vector>

namespace vz::ui {

enum class MessageKind { Error, Notice, NoticeWithSave, Confirm, Plain, Unexpected };

class MessageService
{
public:
    // Returns the answer to a confirmation (true unless No) or to a notice offering to save (true
    // for 保存); ignored for error and notice.
    using Answerer = std::function<bool(MessageKind, const QString &caption, const QString &text)>;

    MessageService();

    void error(const QString &text);
    void notice(const QString &text);
    bool confirm(const QString &text);
    // A notice with a 保存 button beside OK (a summary whose full list can be saved): true when
    // the operator chose 保存.
    bool noticeOfferingSave(const QString &text);
    // A plain box with the program's name as caption and no icon, for the one message that
    // was never one of the three.
    void plain(const QString &text);

    // The plain error box for an unexpected failure; the program goes on after OK.
    void unexpected(const QString &text);

    // An error box naming a file that could not be written.
    void writeFailed(const QString &path);

    void setAnswerer(Answerer answerer) { m_answerer = std::move(answerer); }
    static QString caption(MessageKind kind);

private:
    bool ask(MessageKind kind, const QString &text);
    Answerer m_answerer;
};

} // namespace vz::ui
