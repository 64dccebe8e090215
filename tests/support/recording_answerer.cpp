// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/recording_answerer.h"

namespace vz::test {

void RecordedMessages::attach(ui::MessageService &service)
{
    service.setAnswerer([this](ui::MessageKind kind, const QString &caption, const QString &text) {
        captions << caption;
        texts << text;
        if (kind == ui::MessageKind::NoticeWithSave)
            return saveAnswer;
        return kind == ui::MessageKind::Confirm ? confirmAnswer : true;
    });
}

} // namespace vz::test
