// SPDX-License-Identifier: GPL-3.0-or-later
// Radio work runs on threads of its own, because a radio that does not answer keeps a read
// waiting for its timeouts. A worker hands its results to a window object through a mailbox,
// for as long as that object lives; once the mailbox is closed the worker's results are
// dropped and it ends when its current read returns. Nobody waits for it.
#pragma once

#include <QMetaObject>
#include <QObject>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

namespace vz::ui {

class Mailbox
{
public:
    explicit Mailbox(QObject *receiver) : m_receiver(receiver) {}

    // Runs `delivery` on the receiver's thread, unless the mailbox is closed by then.
    void post(std::function<void()> delivery);
    // No more deliveries; a worker asleep in `sleepFor` wakes up. Called on the receiver's
    // thread before the receiver goes.
    void close();
    bool isClosed() const;
    // Waits for `duration` or until the mailbox is closed; false when it was closed.
    bool sleepFor(std::chrono::milliseconds duration);

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    QObject *m_receiver;
};

// Runs `work` on a detached thread of its own.
void startWorker(std::function<void()> work);
// The workers that have not ended yet (tests wait for them before they stop a rigctld).
int runningWorkers();

} // namespace vz::ui
