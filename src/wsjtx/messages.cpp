// SPDX-License-Identifier: GPL-3.0-or-later
#include "wsjtx/messages.h"

#include <functional>
#include <optional>

namespace vz::wsjtx {

namespace {

// Reads a message's fields in order. The leading fields are required; once the datagram ends
// cleanly between two later fields, the rest keep their defaults (older senders stop there).
class FieldReader
{
public:
    explicit FieldReader(WireReader &in) : m_in(in) {}

    // Fields read after this may be missing at the end of the datagram.
    void optionalFromHere() { m_optional = true; }

    template <class T, class Read> void read(T &target, Read how)
    {
        if (m_stopped || m_in.failed())
            return;
        if (m_optional && m_in.atEnd()) {
            m_stopped = true;
            return;
        }
        if (auto v = std::invoke(how, m_in))
            target = std::move(*v);
    }
    void text(std::string &t) { read(t, &WireReader::utf8); }
    void u64(std::uint64_t &v) { read(v, &WireReader::u64); }
    void u32(std::uint32_t &v) { read(v, &WireReader::u32); }
    void flag(bool &v) { read(v, &WireReader::boolean); }
    void dateTime(WireDateTime &v) { read(v, &WireReader::dateTime); }
    void skipU32()
    {
        std::uint32_t ignored = 0;
        u32(ignored);
    }
    void skipU8()
    {
        std::uint8_t ignored = 0;
        read(ignored, &WireReader::u8);
    }

private:
    WireReader &m_in;
    bool m_optional = false;
    bool m_stopped = false;
};

Heartbeat readHeartbeat(FieldReader &f)
{
    Heartbeat m;
    f.optionalFromHere();
    f.u32(m.maxSchema);
    f.text(m.version);
    f.text(m.revision);
    return m;
}

Status readStatus(FieldReader &f)
{
    Status m;
    f.u64(m.dialFrequency);
    f.text(m.mode);
    f.text(m.dxCall);
    f.optionalFromHere();
    f.text(m.report);
    f.text(m.txMode);
    f.flag(m.txEnabled);
    f.flag(m.transmitting);
    f.flag(m.decoding);
    f.skipU32(); // Rx DF
    f.skipU32(); // Tx DF
    f.text(m.deCall);
    f.text(m.deGrid);
    f.text(m.dxGrid);
    bool watchdog = false;
    f.flag(watchdog);
    f.text(m.subMode);
    return m;
}

QsoLogged readQsoLogged(FieldReader &f)
{
    QsoLogged m;
    f.dateTime(m.timeOff);
    f.text(m.dxCall);
    f.text(m.dxGrid);
    f.u64(m.txFrequency);
    f.text(m.mode);
    f.optionalFromHere();
    f.text(m.reportSent);
    f.text(m.reportReceived);
    f.text(m.txPower);
    f.text(m.comments);
    f.text(m.name);
    m.timeOn = m.timeOff;
    WireDateTime on;
    on.msOfDay = 0xffffffffU;
    f.dateTime(on);
    if (on.valid())
        m.timeOn = on;
    f.text(m.operatorCall);
    f.text(m.myCall);
    f.text(m.myGrid);
    f.text(m.exchangeSent);
    f.text(m.exchangeReceived);
    f.text(m.propagationMode);
    return m;
}

} // namespace

Decoded decode(std::string_view datagram)
{
    Decoded out;
    if (datagram.size() > kMaxDatagramBytes) {
        out.error = "datagram over 64 KiB";
        return out;
    }
    WireReader in(datagram);
    const auto magic = in.u32();
    const auto schema = in.u32();
    const auto type = in.u32();
    if (!magic || *magic != kMagic) {
        out.error = magic ? "not a WSJT-X datagram (magic number)" : "datagram cut short";
        return out;
    }
    if (!schema || !type) {
        out.error = "datagram cut short";
        return out;
    }
    out.schema = *schema;
    if (*schema == 0 || *schema > kHighestSchema) {
        out.error = "schema " + std::to_string(*schema) + " not supported";
        return out;
    }
    std::string id;
    if (auto v = in.utf8())
        id = std::move(*v);
    FieldReader fields(in);
    switch (*type) {
    case 0:
        out.message = readHeartbeat(fields);
        std::get<Heartbeat>(out.message).id = id;
        break;
    case 1:
        out.message = readStatus(fields);
        std::get<Status>(out.message).id = id;
        break;
    case 5:
        out.message = readQsoLogged(fields);
        std::get<QsoLogged>(out.message).id = id;
        break;
    case 6:
        out.message = Close{id};
        break;
    case 12: {
        LoggedAdif m{id, {}};
        fields.text(m.adif);
        out.message = std::move(m);
        break;
    }
    default:
        out.message = OtherType{*type, id};
        break;
    }
    if (in.failed())
        out.error = "type " + std::to_string(*type) + ": " + in.error();
    return out;
}

std::string encodeHeartbeat(const Heartbeat &heartbeat, std::uint32_t schema)
{
    WireWriter out;
    out.u32(kMagic);
    out.u32(schema);
    out.u32(0);
    out.utf8(heartbeat.id);
    out.u32(heartbeat.maxSchema);
    out.utf8(heartbeat.version);
    out.utf8(heartbeat.revision);
    return out.bytes();
}

} // namespace vz::wsjtx
