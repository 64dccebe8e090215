// SPDX-License-Identifier: GPL-3.0-or-later
#include "rig/ui/rig_poller.h"

#include "common/ui/qt_text.h"
#include "rig/rig_connection.h"
#include "rig/rig_fields.h"
#include "rig/ui/rig_worker.h"

#include <QTimer>

#include <atomic>
#include <chrono>

namespace vz::ui {

// What the worker and the window's watch timer share: since when the current read has been
// waiting (0 when none is), and whether the silence was told.
struct PollWatch
{
    std::atomic<long long> readingSinceMs{0};
    std::atomic<bool> silenceReported{false};
};

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kInterval = 1000ms;
constexpr long long kNoAnswerMs = 3000;

long long nowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch())
        .count();
}

void poll(const std::shared_ptr<Mailbox> &mailbox, const std::shared_ptr<PollWatch> &watch,
          RigPoller *poller, const rig::RigTarget &target, const std::string &dataMode)
{
    std::unique_ptr<rig::RigConnection> radio;
    while (!mailbox->isClosed()) {
        const Clock::time_point start = Clock::now();
        rig::ReadOutcome outcome;
        watch->readingSinceMs = std::max(nowMs(), 1LL);
        if (!radio)
            radio = rig::RigConnection::open(target, outcome.error);
        if (radio)
            outcome = radio->read();
        watch->readingSinceMs = 0;
        if (outcome.ok) {
            const bool wasSilent = watch->silenceReported.exchange(false);
            // The poller is alive whenever a delivery runs: its mailbox closes before it goes.
            mailbox->post([poller, wasSilent,
                           frequency = rig::frequencyFieldText(outcome.reading.frequencyHz),
                           mode = rig::modeFieldText(outcome.reading.mode, dataMode)] {
                if (wasSilent)
                    Q_EMIT poller->answeringAgain();
                Q_EMIT poller->fieldsRead(QString::fromStdString(frequency), fromSjis(mode));
            });
        } else {
            radio.reset(); // opened again on the next round
            if (!watch->silenceReported.exchange(true)) {
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
    : QObject(parent), m_settings(settings), m_mailbox(std::make_shared<Mailbox>(this)),
      m_watch(std::make_shared<PollWatch>())
{
    const std::optional<rig::RigTarget> target = rig::targetOf(settings);
    if (!target)
        return;
    rig::prepareHamlib(); // here, on the window's thread
    startWorker([mailbox = m_mailbox, watch = m_watch, poller = this, target = *target,
                 dataMode = settings.dataMode] { poll(mailbox, watch, poller, target, dataMode); });
    // Hamlib's own timeouts and retries let a frozen radio hold a read for many seconds.
    m_watchTimer = new QTimer(this);
    connect(m_watchTimer, &QTimer::timeout, this, [this] {
        const long long since = m_watch->readingSinceMs;
        if (since != 0 && nowMs() - since >= kNoAnswerMs &&
            !m_watch->silenceReported.exchange(true))
            Q_EMIT stoppedAnswering(QStringLiteral("no answer within 3 s"));
    });
    m_watchTimer->start(250);
}

RigPoller::~RigPoller()
{
    m_mailbox->close();
}

} // namespace vz::ui
