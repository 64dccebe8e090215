// SPDX-License-Identifier: GPL-3.0-or-later
// WSJT-X's UDP messages as this logbook reads them (also what JTDX and other programs send):
// a header of magic number, schema and type, then the fields of the type. Types the logbook
// has no use for and fields past the ones it knows are passed over, as the format asks; a
// datagram that breaks the format is dropped with the reason.
#pragma once

#include "wsjtx/wire.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace vz::wsjtx {

inline constexpr std::uint32_t kMagic = 0xadbccbdaU;
inline constexpr std::uint32_t kHighestSchema = 3;
inline constexpr std::size_t kMaxDatagramBytes = 64 * 1024;

struct Heartbeat
{
    std::string id;
    std::uint32_t maxSchema = 2; // absent in the oldest senders: 2
    std::string version;
    std::string revision;
};

struct Status
{
    std::string id;
    std::uint64_t dialFrequency = 0; // Hz
    std::string mode;
    std::string dxCall;
    std::string report;
    std::string txMode;
    bool txEnabled = false;
    bool transmitting = false;
    bool decoding = false;
    std::string deCall;
    std::string deGrid;
    std::string dxGrid;
    std::string subMode;
};

struct QsoLogged
{
    std::string id;
    WireDateTime timeOff;
    std::string dxCall;
    std::string dxGrid;
    std::uint64_t txFrequency = 0; // Hz
    std::string mode;
    std::string reportSent;
    std::string reportReceived;
    std::string txPower;
    std::string comments;
    std::string name;
    WireDateTime timeOn; // older senders have none: then the time off
    std::string operatorCall;
    std::string myCall;
    std::string myGrid;
    std::string exchangeSent;
    std::string exchangeReceived;
    std::string propagationMode;
};

struct Close
{
    std::string id;
};

struct LoggedAdif
{
    std::string id;
    std::string adif;
};

// A type this logbook does not read.
struct OtherType
{
    std::uint32_t type = 0;
    std::string id;
};

using Message = std::variant<Heartbeat, Status, QsoLogged, Close, LoggedAdif, OtherType>;

struct Decoded
{
    std::uint32_t schema = 0;
    Message message;
    std::string error; // not empty: the datagram is dropped for this reason
    bool ok() const { return error.empty(); }
};

Decoded decode(std::string_view datagram);

// The logbook's own heartbeat, in the schema the client spoke.
std::string encodeHeartbeat(const Heartbeat &heartbeat, std::uint32_t schema);

} // namespace vz::wsjtx
