// SPDX-License-Identifier: GPL-3.0-or-later
// The edit dialog while a contact is typed: call area, date and time, history, city and distance.
#include "log/ui/contact_dialog.h"

#include "common/data_dir.h"
#include "common/sjis.h"
#include "common/ui/hint_bar.h"
#include "common/ui/qt_text.h"
#include "log/area_index.h"
#include "log/call_area.h"
#include "log/entry_assist.h"
#include "log/geodesy.h"
#include "log/history.h"
#include "log/log_file.h"
#include "log/ui/compass.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFocusEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QToolButton>
#include <QValidator>

namespace vz::ui {

using log::Field;

// ---------------------------------------------------------------------------------------------
// Entry assistance (mode 1)

void ContactDialog::callsignEdited()
{
    if (m_mode == Input && field(Field::Callsign)->text().isEmpty())
        clearContact();
}

void ContactDialog::callsignLeft()
{
    LogField *call = field(Field::Callsign);
    if (m_mode != Input || m_closing || call->text().isEmpty() || !call->changed())
        return;
    call->setChanged(false);
    takeCallsign();
}

void ContactDialog::takeCallsign()
{
    m_state.portableEntry = false;
    m_state.searchKey = fieldSjis(Field::Callsign);
    m_state.currentArea = callsignArea();
    showStandardRemark(m_state.currentArea);
    runHistory();
}

log::CallsignCache &ContactDialog::calls(std::unique_ptr<log::CallsignCache> &cache,
                                         const std::string &path)
{
    if (!cache || cache->path() != path)
        cache = std::make_unique<log::CallsignCache>(path);
    return *cache;
}

void ContactDialog::runHistory()
{
    const int area = m_state.currentArea;
    const log::HistoryResult own = log::lookupHistory(calls(m_ownCalls, m_state.logPath),
                                                      m_state.ownIndex, area, m_state.searchKey);
    if (own.result == log::IoResult::Failed)
        m_services.messages.error(QStringLiteral("ログファイルを読めませんでした。\n%1")
                                      .arg(QString::fromStdString(m_state.logPath)));
    if (own.result == log::IoResult::Ok) {
        m_ownHistoryLabel->setText(fromSjis(own.line));
        m_ownHistoryLabel->show();
        if (own.hits > 0) {
            setFieldSjis(Field::OpName, own.last.field(Field::OpName));
            if (m_state.settings.historyFill) {
                setFieldSjis(Field::QsoDate, clockDate());
                setFieldSjis(Field::StartTime, clockTime());
                setFieldSjis(Field::FixedQth, own.last.field(Field::FixedQth));
                setFieldSjis(Field::FixedJcc, own.last.field(Field::FixedJcc));
                setFieldSjis(Field::PortableQth, own.last.field(Field::PortableQth));
                setFieldSjis(Field::PortableJcc, own.last.field(Field::PortableJcc));
                field(Field::HisRst)->setFocus();
            }
        }
    }
    if (!m_state.referenceOn)
        return;
    const log::HistoryResult ref =
        log::lookupHistory(calls(m_referenceCalls, m_state.referenceLogPath),
                           m_state.referenceIndex, area, m_state.searchKey);
    // A line left from the previous callsign would tell of another station.
    const bool show = ref.result == log::IoResult::Ok && ref.hits > 0;
    if (show) {
        m_referenceHistoryLabel->setText(fromSjis(ref.line));
        m_referenceCallLabel->setText(QString::fromStdString(m_state.referenceCall));
    }
    m_referenceCallLabel->setVisible(show);
    m_referenceHistoryLabel->setVisible(show);
}

void ContactDialog::portableAreaEdited()
{
    if (m_mode != Input || !field(Field::PortableArea)->text().isEmpty())
        return;
    for (const Field f : {Field::PortableForm, Field::QsoDate, Field::StartTime, Field::FixedQth,
                          Field::FixedJcc, Field::PortableQth, Field::PortableJcc})
        field(f)->clearText();
    clearCompass();
    m_state.currentArea = callsignArea();
    m_state.portableEntry = false;
}

void ContactDialog::portableAreaLeft()
{
    LogField *area = field(Field::PortableArea);
    if (m_mode != Input || m_closing || !area->changed())
        return;
    const auto portable = log::portableAreaOf(fieldSjis(Field::PortableArea));
    if (!portable)
        return;
    area->setChanged(false);
    m_state.currentArea = *portable;
    m_state.portableEntry = true;
}

void ContactDialog::portableFormLeft(Qt::FocusReason reason)
{
    if (m_mode != Input || m_closing || !m_state.settings.autoDateTime)
        return;
    if (!field(Field::Callsign)->text().isEmpty() && field(Field::QsoDate)->text().isEmpty() &&
        field(Field::StartTime)->text().isEmpty()) {
        setFieldSjis(Field::QsoDate, clockDate());
        setFieldSjis(Field::StartTime, clockTime());
    }
    // Moving on, the filled date and time are skipped.
    if (reason == Qt::TabFocusReason)
        field(m_state.portableEntry ? Field::PortableQth : Field::FixedQth)
            ->setFocus(Qt::TabFocusReason);
}

void ContactDialog::dateLeft()
{
    if (m_mode != Input || m_closing)
        return;
    if (!field(Field::Callsign)->text().isEmpty() && field(Field::QsoDate)->text().isEmpty())
        setFieldSjis(Field::QsoDate, clockDate());
}

void ContactDialog::startTimeLeft(Qt::FocusReason reason)
{
    if (m_mode != Input || m_closing)
        return;
    if (field(Field::Callsign)->text().isEmpty() || !field(Field::StartTime)->text().isEmpty())
        return;
    setFieldSjis(Field::StartTime, clockTime());
    if (m_state.portableEntry && reason == Qt::TabFocusReason)
        field(Field::PortableQth)->setFocus(Qt::TabFocusReason);
}

void ContactDialog::cityLeft(Field number)
{
    LogField *city = field(number);
    if (m_mode != Input || m_closing || !city->changed())
        return;
    const std::string initial = fieldSjis(number);
    if (!log::isCityInitial(initial))
        return;
    CityLookup *lookup = qthDialog();
    if (!lookup)
        return;
    city->setChanged(false);
    m_state.searchKey = initial;

    const bool confirmed = lookup->lookUpCity() && m_state.cityChosen;
    // Typing goes on here, whatever the window system activates next.
    activateWindow();
    if (!confirmed) {
        city->clearText();
        city->setFocus();
        return;
    }
    const bool portable = m_state.portableEntry;
    setFieldSjis(portable ? Field::PortableQth : Field::FixedQth, lookup->chosenCity());
    setFieldSjis(portable ? Field::PortableJcc : Field::FixedJcc, lookup->chosenJcc());
    showDistanceAndCompass();
    field(field(Field::OpName)->text().isEmpty() ? Field::OpName : Field::HisRst)->setFocus();
}

void ContactDialog::showDistanceAndCompass()
{
    log::DistanceBearing result;
    const std::string line =
        log::distanceBearingText(m_state.ownLocation, m_state.workedPosition, &result);
    m_distanceLabel->setText(fromSjis(line));
    m_distanceLabel->show();
    drawCompass(m_compass, result.compassDegrees, palette().color(QPalette::Button));
    m_compassLabel->setPixmap(QPixmap::fromImage(m_compass));
}

void ContactDialog::cityEdited(Field number)
{
    if (m_mode != Input || !field(number)->text().isEmpty())
        return;
    for (const Field f : kCityFields)
        field(f)->clearText();
    clearCompass();
    field(number <= Field::FixedJcc ? Field::FixedQth : Field::PortableQth)->setFocus();
}

void ContactDialog::endTimeLeft()
{
    LogField *end = field(Field::EndTime);
    if (m_mode != Input || m_closing || field(Field::Callsign)->text().isEmpty())
        return;
    if (end->text().isEmpty()) {
        setFieldSjis(Field::EndTime, clockTime());
        m_registerButton->setEnabled(true);
    } else if (end->changed()) {
        m_registerButton->setEnabled(true);
    }
    end->setChanged(false);
}

void ContactDialog::endTimeEdited()
{
    if (field(Field::EndTime)->text().isEmpty())
        m_registerButton->setEnabled(false);
}

} // namespace vz::ui
