// SPDX-License-Identifier: GPL-3.0-or-later
// Which contacts an ADIF export takes, by record number: the whole log unless the operator
// narrows it, to send only the contacts logged since the last upload.
#pragma once

#include "app/app_state.h"
#include "common/ui/vezo_dialog.h"

#include <cstdint>

class QSpinBox;

namespace vz::ui {

class RecordRangeDialog : public VezoDialog
{
    Q_OBJECT
public:
    // `last`: the number of the log's last record (at least 1).
    RecordRangeDialog(app::AppState &state, UiServices &services, std::int32_t last,
                      QWidget *parent = nullptr);

    std::int32_t from() const;
    std::int32_t to() const;
    QSpinBox *fromBox() const { return m_from; }
    QSpinBox *toBox() const { return m_to; }

private:
    app::AppState &m_state;
    QSpinBox *m_from;
    QSpinBox *m_to;
};

} // namespace vz::ui
