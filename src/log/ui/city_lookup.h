// SPDX-License-Identifier: GPL-3.0-or-later
// What the contact dialog asks of a city lookup. Shown modally over the dialog for the kana
// initial in AppState::searchKey, the lookup sets AppState::cityChosen and workedPosition and
// hands back the confirmed city's name and JCC number. The lookup reads the JCC master, which
// lies above the log; the window that creates contact dialogs supplies it.
#pragma once

#include <functional>
#include <string>

class QWidget;

namespace vz::ui {

class CityLookup
{
public:
    // Shows the lookup modally; true when it was closed with a city confirmed.
    virtual bool lookUpCity() = 0;
    // The confirmed city (Shift_JIS as stored), valid while AppState::cityChosen.
    virtual const std::string &chosenCity() const = 0;
    virtual const std::string &chosenJcc() const = 0;

protected:
    ~CityLookup() = default; // owned as a child widget of the dialog it serves
};

// Makes a lookup as a child widget of `parent`, which owns it.
using CityLookupMaker = std::function<CityLookup *(QWidget *parent)>;

} // namespace vz::ui
