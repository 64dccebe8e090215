// SPDX-License-Identifier: GPL-3.0-or-later
// The contact dialog follows the radio in input mode: the frequency and mode fields show what
// it reads, unless the operator typed into them since they were last emptied. A radio that
// stops answering is told once in the hint bar, until it answers again; typing goes on as
// before.
#include "log/ui/contact_dialog.h"

#include "common/ui/qt_text.h"
#include "rig/rig_settings.h"
#include "rig/ui/rig_poller.h"

#include <QCoreApplication>
#include <QStatusTipEvent>

#include <array>
#include <utility>

namespace vz::ui {

namespace {

constexpr int kFrequencyField = 13, kModeField = 14;

} // namespace

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

void ContactDialog::fillFromRig(const QString &frequency, const QString &mode)
{
    const std::array<std::pair<int, QString>, 2> readings{
        {{kFrequencyField, frequency}, {kModeField, mode}}};
    for (const auto &[number, text] : readings) {
        LogField *f = field(number);
        // Setting the same text again would move the caret of the field being typed in.
        if (text.isEmpty() || f->typed() || f->text() == text)
            continue;
        setFieldSjis(number, toSjis(text).value_or(std::string()));
    }
}

} // namespace vz::ui
