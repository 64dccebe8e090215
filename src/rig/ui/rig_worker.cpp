// SPDX-License-Identifier: GPL-3.0-or-later
#include "rig/ui/rig_worker.h"

#include <atomic>
#include <thread>

namespace vz::ui {

namespace {

std::atomic<int> &running()
{
    static std::atomic<int> count{0};
    return count;
}

} // namespace

void Mailbox::post(std::function<void()> delivery)
{
    std::lock_guard lock(m_mutex);
    // Under the lock: the receiver cannot go between the check and the posting, and an event
    // posted to it is discarded with it if it goes before the event is handled.
    if (m_receiver)
        QMetaObject::invokeMethod(m_receiver, std::move(delivery), Qt::QueuedConnection);
}

void Mailbox::close()
{
    {
        std::lock_guard lock(m_mutex);
        m_receiver = nullptr;
    }
    m_wake.notify_all();
}

bool Mailbox::isClosed() const
{
    std::lock_guard lock(m_mutex);
    return m_receiver == nullptr;
}

bool Mailbox::sleepFor(std::chrono::milliseconds duration)
{
    std::unique_lock lock(m_mutex);
    return !m_wake.wait_for(lock, duration, [this] { return m_receiver == nullptr; });
}

void startWorker(std::function<void()> work)
{
    ++running();
    std::thread([work = std::move(work)] {
        work();
        --running();
    }).detach();
}

int runningWorkers()
{
    return running().load();
}

} // namespace vz::ui
