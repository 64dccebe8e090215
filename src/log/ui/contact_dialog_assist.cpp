// SPDX-License-Identifier: GPL-3.0-or-later
// The edit dialog while a contact is typed: call area, date and time, history, city and distance.
#include "log/ui/contact_dialog.h"
#include "log/ui/contact_fields.h"

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
#include "places/ui/city_lookup_dialog.h"

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
using namespace log_fields;

// ---------------------------------------------------------------------------------------------
// Entry assistance (mode 1)

void ContactDialog::callsignEdited()
{
    if (m_mode == Input && field(kCallsign)->text().isEmpty())
        clearContact();
}

void ContactDialog::callsignLeft()
{
    LogField *call = field(kCallsign);
    if (m_mode != Input || m_closing || call->text().isEmpty() || !call->changed())
        return;
    call->setChanged(false);
    takeCallsign();
}

void ContactDialog::takeCallsign()
{
    m_state.portableEntry = false;
    m_state.searchKey = fieldSjis(kCallsign);
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
            setFieldSjis(kName, own.last.field(Field::OpName));
            if (m_state.settings.historyFill) {
                setFieldSjis(kDate, clockDate());
                setFieldSjis(kStart, clockTime());
                setFieldSjis(kFixedCity, own.last.field(Field::FixedQth));
                setFieldSjis(kFixedJcc, own.last.field(Field::FixedJcc));
                setFieldSjis(kPortableCity, own.last.field(Field::PortableQth));
                setFieldSjis(kPortableJcc, own.last.field(Field::PortableJcc));
                field(kHisRst)->setFocus();
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
    if (m_mode != Input || !field(kPortableArea)->text().isEmpty())
        return;
    for (int n = kPortableForm; n <= kPortableJcc; ++n)
        field(n)->clearText();
    clearCompass();
    m_state.currentArea = callsignArea();
    m_state.portableEntry = false;
}

void ContactDialog::portableAreaLeft()
{
    LogField *area = field(kPortableArea);
    if (m_mode != Input || m_closing || !area->changed())
        return;
    const auto portable = log::portableAreaOf(fieldSjis(kPortableArea));
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
    if (!field(kCallsign)->text().isEmpty() && field(kDate)->text().isEmpty() &&
        field(kStart)->text().isEmpty()) {
        setFieldSjis(kDate, clockDate());
        setFieldSjis(kStart, clockTime());
    }
    // Moving on, the filled date and time are skipped.
    if (reason == Qt::TabFocusReason)
        field(m_state.portableEntry ? kPortableCity : kFixedCity)->setFocus(Qt::TabFocusReason);
}

void ContactDialog::dateLeft()
{
    if (m_mode != Input || m_closing)
        return;
    if (!field(kCallsign)->text().isEmpty() && field(kDate)->text().isEmpty())
        setFieldSjis(kDate, clockDate());
}

void ContactDialog::startTimeLeft(Qt::FocusReason reason)
{
    if (m_mode != Input || m_closing)
        return;
    if (field(kCallsign)->text().isEmpty() || !field(kStart)->text().isEmpty())
        return;
    setFieldSjis(kStart, clockTime());
    if (m_state.portableEntry && reason == Qt::TabFocusReason)
        field(kPortableCity)->setFocus(Qt::TabFocusReason);
}

void ContactDialog::cityLeft(int number)
{
    LogField *city = field(number);
    if (m_mode != Input || m_closing || !city->changed())
        return;
    const std::string initial = fieldSjis(number);
    if (!log::isCityInitial(initial))
        return;
    city->setChanged(false);
    m_state.searchKey = initial;

    CityLookupDialog *lookup = qthDialog();
    const bool confirmed = lookup->exec() == QDialog::Accepted && m_state.cityChosen;
    // Typing goes on here, whatever the window system activates next.
    activateWindow();
    if (!confirmed) {
        city->clearText();
        city->setFocus();
        return;
    }
    const bool portable = m_state.portableEntry;
    setFieldSjis(portable ? kPortableCity : kFixedCity, lookup->chosenCity());
    setFieldSjis(portable ? kPortableJcc : kFixedJcc, lookup->chosenJcc());
    showDistanceAndCompass();
    field(field(kName)->text().isEmpty() ? kName : kHisRst)->setFocus();
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

void ContactDialog::cityEdited(int number)
{
    if (m_mode != Input || !field(number)->text().isEmpty())
        return;
    for (int n = kFixedCity; n <= kPortableJcc; ++n)
        field(n)->clearText();
    clearCompass();
    field(number <= kFixedJcc ? kFixedCity : kPortableCity)->setFocus();
}

void ContactDialog::endTimeLeft()
{
    LogField *end = field(kEndTime);
    if (m_mode != Input || m_closing || field(kCallsign)->text().isEmpty())
        return;
    if (end->text().isEmpty()) {
        setFieldSjis(kEndTime, clockTime());
        m_registerButton->setEnabled(true);
    } else if (end->changed()) {
        m_registerButton->setEnabled(true);
    }
    end->setChanged(false);
}

void ContactDialog::endTimeEdited()
{
    if (field(kEndTime)->text().isEmpty())
        m_registerButton->setEnabled(false);
}

} // namespace vz::ui
