// SPDX-License-Identifier: GPL-3.0-or-later
// "LoTWへ送信" in the window: the contacts not yet sent, after the operator said yes, signed
// and uploaded by tqsl in a QProcess under a time limit while a busy box shows, and the outcome
// with TQSL's last lines in a message box.
#pragma once

#include "app/app_state.h"
#include "lotw/tqsl_process.h"

class QWidget;

namespace vz::ui {

class MessageService;

// Runs tqsl as a QProcess, waiting in a local event loop so the window keeps drawing.
class QtTqslRunner final : public lotw::TqslRunner
{
public:
    explicit QtTqslRunner(QWidget *parent) : m_parent(parent) {}
    lotw::TqslRun run(const std::vector<std::string> &argv, std::chrono::seconds limit) override;

private:
    QWidget *m_parent;
};

void uploadToLotw(app::AppState &state, MessageService &messages, lotw::TqslRunner &runner);

} // namespace vz::ui
