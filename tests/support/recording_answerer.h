// SPDX-License-Identifier: GPL-3.0-or-later
// Records every message box a window shows and answers confirmations as told.
#pragma once

#include "common/ui/message_service.h"

#include <QString>
#include <QStringList>

namespace vz::test {

struct RecordedMessages
{
    QStringList texts;
    QStringList captions;
    bool confirmAnswer = true;
    bool saveAnswer = false; // a notice offering 保存: not saved

    void attach(ui::MessageService &service);
    QString last() const { return texts.isEmpty() ? QString() : texts.back(); }
};

} // namespace vz::test
