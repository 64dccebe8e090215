// SPDX-License-Identifier: GPL-3.0-or-later
#include "rig/ui/rig_poller.h"

#include "common/ui/qt_text.h"
#include "rig/rig_connection.h"
#include "rig/rig_fields.h"
#include "rig/ui/rig_worker.h"

#include <chrono>

namespace vz::ui {

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kInterval = 1000ms;

void poll(const std::shared_ptr<Mailbox> &mailbox, RigPoller *poller, const rig::RigTarget &target,
          const std::string &dataMode)
{
    std::unique_ptr<rig::RigConnection> radio;
    bool silenceReported = false;
    while (!mailbox->isClosed()) {
        const Clock::time_point start = Clock::now();
        rig::ReadOutcome outcome;
        if (!radio)
            radio = rig::RigConnection::open(target, outcome.error);
        if (radio)
            outcome = radio->read();
        if (outcome.ok) {
            silenceReported = false;
            // The poller is alive whenever a delivery runs: its mailbox closes before it goes.
            mailbox->post([poller, frequency = rig::frequencyFieldText(outcome.reading.frequencyHz),
                           mode = rig::modeFieldText(outcome.reading.mode, dataMode)] {
                Q_EMIT poller->fieldsRead(QString::fromStdString(frequency), fromSjis(mode));
            });
        } else {
            radio.reset(); // opened again on the next round
            if (!silenceReported) {
                silenceReported = true;
                const QString error = QString::fromStdString(outcome.error);
                mailbox->post([poller, error] { Q_EMIT poller->stoppedAnswering(error); });
            }
        }
        const auto spent =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
        if (!mailbox->sleepFor(std::max(kInterval - spent, 50ms)))
            break;
    }
}

} // namespace

RigPoller::RigPoller(const rig::RigSettings &settings, QObject *parent)
    : QObject(parent), m_settings(settings), m_mailbox(std::make_shared<Mailbox>(this))
{
    const std::optional<rig::RigTarget> target = rig::targetOf(settings);
    if (!target)
        return;
    rig::prepareHamlib(); // here, on the window's thread
    startWorker([mailbox = m_mailbox, poller = this, target = *target,
                 dataMode = settings.dataMode] { poll(mailbox, poller, target, dataMode); });
}

RigPoller::~RigPoller()
{
    m_mailbox->close();
}

} // namespace vz::ui
