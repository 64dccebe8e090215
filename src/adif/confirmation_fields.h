// SPDX-License-Identifier: GPL-3.0-or-later
// Which confirmations an ADIF record carries. A paper card arrives as QSL_RCVD in a file of any
// logging program; LoTW and eQSL each have a field of their own, and their downloads (LoTW's
// report, eQSL's inbox) use QSL_RCVD for their own confirmation, never for a card.
#pragma once

#include "adif/adif_record.h"

#include <string_view>

namespace vz::adif {

enum class AdifSource {
    Other,
    Lotw, // a LoTW report: PROGRAMID "LoTW", APP_LoTW_* fields
    Eqsl, // an eQSL inbox: PROGRAMID "eQSL.cc ..."
};

// The source a file's header names (its PROGRAMID); Other without a header.
AdifSource sourceOfFile(std::string_view fileText);

struct ReceivedConfirmations
{
    bool card = false;
    bool lotw = false;
    bool eqsl = false;
    // The record has a field about LoTW or eQSL confirmation at all, "Y" or not.
    bool electronicField = false;
};

// What `record` of a file from `source` says was received: "Y" (any case) in QSL_RCVD,
// LOTW_QSL_RCVD and EQSL_QSL_RCVD. A record with APP_LoTW_* fields is one of LoTW's whatever the
// header said.
ReceivedConfirmations receivedConfirmations(const AdifRecord &record, AdifSource source);

// Appends `mark` to `userMark` (the log's user mark, "-" when empty) unless it holds it already.
// False when the result would not fit the field; `userMark` is then unchanged.
bool addMark(std::string &userMark, std::string_view mark);

} // namespace vz::adif
