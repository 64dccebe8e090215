// SPDX-License-Identifier: GPL-3.0-or-later
// The contact dialog follows the radio in input mode: the frequency and mode fields show what
// it reads, unless the operator typed into them since they were last emptied. A radio that
// stops answering is told once in the hint bar, until it answers again; typing goes on as
// before. WSJT-X's status fills the callsign, frequency and mode by the same rule: typing
// always wins.
#include "log/ui/contact_dialog.h"

#include "common/ui/qt_text.h"
#include "log/history.h"
#include "rig/rig_settings.h"
#include "rig/ui/rig_poller.h"

#include <QCoreApplication>
#include <QLabel>
#include <QStatusTipEvent>

#include <array>
#include <utility>

namespace vz::ui {

void ContactDialog::followRig()
{
    if (m_mode != Input || m_closing)
        return;
    const rig::RigSettings settings = rig::readRigSettings(m_state.settingsPath);
    if (m_rig && m_rig->settings() == settings)
        return;
    stopFollowingRig();
    if (!rig::targetOf(settings))
        return;
    m_rig = new RigPoller(settings, this);
    connect(m_rig, &RigPoller::fieldsRead, this, &ContactDialog::fillFromRig);
    connect(m_rig, &RigPoller::stoppedAnswering, this, [this] {
        // The hint bar's router shows a status tip from any window.
        QStatusTipEvent tip(QStringLiteral("無線機から応答がありません"));
        QCoreApplication::sendEvent(this, &tip);
    });
    connect(m_rig, &RigPoller::answeringAgain, this, [this] {
        QStatusTipEvent clear{QString()};
        QCoreApplication::sendEvent(this, &clear);
    });
}

void ContactDialog::stopFollowingRig()
{
    delete m_rig; // never waits for the radio
    m_rig = nullptr;
}

bool ContactDialog::fillUntyped(log::Field number, const QString &text)
{
    LogField *f = field(number);
    // Setting the same text again would move the caret of the field being typed in.
    if (text.isEmpty() || f->typed() || f->text() == text)
        return false;
    setFieldSjis(number, toSjis(text).value_or(std::string()));
    return true;
}

void ContactDialog::fillFromRig(const QString &frequency, const QString &mode)
{
    fillUntyped(log::Field::Frequency, frequency);
    // WSJT-X tells FT8 from FT4 where the radio shows only a data mode.
    if (m_wsjtxMode.isEmpty())
        fillUntyped(log::Field::Mode, mode);
}

void ContactDialog::fillFromWsjtx(const QString &callsign, const QString &frequency,
                                  const QString &mode)
{
    if (m_mode != Input || m_closing)
        return;
    const QString upperMode = mode.toUpper();
    m_wsjtxMode = upperMode == QLatin1String("FT8") || upperMode == QLatin1String("FT4")
                      ? upperMode
                      : QString();
    fillUntyped(log::Field::Frequency, frequency);
    fillUntyped(log::Field::Mode, upperMode);
    if (fillUntyped(log::Field::Callsign, callsign.toUpper()))
        takeCallsign(); // its area and history line at once
}

void ContactDialog::showNextRecordNumber()
{
    if (m_mode != Input || m_closing)
        return;
    m_nextRecordLabel->setText(QString::number(m_state.nextRecordNo));
    calls(m_ownCalls, m_state.logPath).refresh();
}

} // namespace vz::ui
