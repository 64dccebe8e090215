// SPDX-License-Identifier: GPL-3.0-or-later
// Follows the radio while a contact is typed: a worker thread reads the frequency and mode
// about once a second and reports them as the texts of the frequency and mode fields. A
// radio that stops answering is reported once; the worker closes it, and opens it again
// quietly every second until it answers (Hamlib's network client does not reconnect by
// itself). A read that has not answered within three seconds counts as no answer at once (a
// blocked Hamlib call cannot be cancelled; a timer here watches it). Destroying the poller
// never waits: a worker caught in a read ends on its own.
#pragma once

#include "rig/rig_settings.h"

#include <QObject>
#include <QString>

class QTimer;

#include <memory>

namespace vz::ui {

class Mailbox;
struct PollWatch;

class RigPoller : public QObject
{
    Q_OBJECT
public:
    // Starts reading at once. The settings must name a radio (targetOf gives one).
    explicit RigPoller(const rig::RigSettings &settings, QObject *parent = nullptr);
    ~RigPoller() override;

    const rig::RigSettings &settings() const { return m_settings; }

Q_SIGNALS:
    // One reading, as field texts; an empty text leaves its field as it is.
    void fieldsRead(const QString &frequency, const QString &mode);
    // The radio could not be opened or read, or a read took longer than three seconds: the
    // first time since it last answered.
    void stoppedAnswering(const QString &error);
    // The first good reading after stoppedAnswering.
    void answeringAgain();

private:
    rig::RigSettings m_settings;
    std::shared_ptr<Mailbox> m_mailbox;
    std::shared_ptr<PollWatch> m_watch;
    QTimer *m_watchTimer = nullptr;
};

} // namespace vz::ui
