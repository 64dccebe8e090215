// SPDX-License-Identifier: GPL-3.0-or-later
// The WSJT-X listener's throughput: datagrams decoded and handled per second by the listener
// core, and through the window's UDP listener over loopback, a turn of the event loop at a time.
#include "wsjtx/listener_core.h"
#include "wsjtx/ui/udp_listener.h"
#include "wsjtx/wire.h"

#include <QCoreApplication>
#include <QUdpSocket>

#include <benchmark/benchmark.h>

namespace {

std::string statusDatagram()
{
    vz::wsjtx::WireWriter w;
    w.u32(vz::wsjtx::kMagic);
    w.u32(3);
    w.u32(1);
    w.utf8("WSJT-X");
    w.u64(7'074'000);
    w.utf8("FT8");
    w.utf8("JA1ABC");
    w.utf8("-10");
    w.utf8("FT8");
    for (int i = 0; i < 3; ++i)
        w.boolean(false);
    w.u32(1500);
    w.u32(1200);
    w.utf8("JA1ZZZ");
    w.utf8("PM95");
    w.utf8("PM96");
    return w.bytes();
}

void BM_ListenerCoreStatus(benchmark::State &state)
{
    vz::wsjtx::ListenerCore core("bench");
    const std::string datagram = statusDatagram();
    std::int64_t now = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(core.datagram(datagram, ++now));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ListenerCoreStatus);

void BM_UdpListenerLoopback(benchmark::State &state)
{
    int argc = 1;
    char name[] = "bench_wsjtx";
    char *argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    vz::wsjtx::ListenerSettings settings;
    settings.port = 0; // a free port
    vz::ui::UdpListener listener(settings, QStringLiteral("bench"));
    QString error;
    if (!listener.start(error)) {
        state.SkipWithError(error.toStdString().c_str());
        return;
    }
    QUdpSocket sender;
    const QByteArray datagram = QByteArray::fromStdString(statusDatagram());
    const auto batch = static_cast<std::uint64_t>(state.range(0));
    for (auto _ : state) {
        const std::uint64_t target = listener.handled() + batch;
        for (std::uint64_t i = 0; i < batch; ++i)
            sender.writeDatagram(datagram, QHostAddress::LocalHost, listener.localPort());
        // Datagrams the socket buffer could not take are lost: count what arrives.
        for (int spins = 0; listener.handled() < target && spins < 2000; ++spins)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(listener.handled()));
}
BENCHMARK(BM_UdpListenerLoopback)->Arg(200)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
