// zkvsim: a simulated ЗКВ-7 on a pseudo-terminal, published as a COM port until stopped.
#include <chrono>
#include <csignal>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <type_traits>

#include "platform/serial/com_ports.h"
#include "platform/system/clock.h"
#include "sim/hosts.h"
#include "sim/instrument.h"
#include "sim/paced_host.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void OnSignal(int) { stopRequested = 1; }

void Usage() {
    std::fprintf(stderr,
                 "usage: zkvsim [--port N] [--address A] [--folder DIR] [--baud B [--turnaround-us T]]\n"
                 "  Publishes a simulated instrument as COM<N> (default 1) in DIR\n"
                 "  (default: $ZKV_PORTS, else %s) until interrupted. With --baud its bytes\n"
                 "  move as fast as on a line at B baud, answers starting T us (default 2000)\n"
                 "  after a request.\n",
                 platform::kDefaultPortsFolder);
}

// A verification as the pressure source runs it: the pressure steps through 0, 25, 50, 75 and
// 100 % of a 0..1000 kPa range, held half a minute at each point with a little noise, and four
// 4-20 mA transducers of that range answer with small errors of their own.
void Animate(sim::Instrument& instrument, std::uint32_t nowMs) {
    const double levels[] = {0.0, 250.0, 500.0, 750.0, 1000.0, 750.0, 500.0, 250.0};
    const double t = nowMs / 1000.0;
    const double pressure = levels[static_cast<std::uint32_t>(t / 30.0) % 8] + 0.05 * std::sin(t * 3.1);
    instrument.setSource(1, pressure);
    const double offsets[4] = {0.0, 0.002, -0.004, 0.008};
    for (int ch = 0; ch < 4; ++ch) {
        instrument.setSource(5 + ch, 4.0 + 16.0 * (pressure + offsets[ch] * 1000.0) / 1000.0);
    }
}

// Publishes the host's pseudo-terminal and serves it until a signal comes; a host that takes
// microseconds is paced and waits for its next due byte.
template <typename Host>
int Serve(sim::Instrument& instrument, Host& host, const std::string& folder, int port) {
    if (!host.ok()) {
        std::fprintf(stderr, "zkvsim: no pseudo-terminal could be made\n");
        return 1;
    }
    if (!host.publish(folder, port)) {
        std::fprintf(stderr, "zkvsim: COM%d already leads to a device in %s\n", port, folder.c_str());
        return 1;
    }
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    std::printf("zkvsim: simulated instrument, address %d, published as COM%d in %s (%s)\n",
                instrument.address(), port, folder.c_str(), host.devicePath().c_str());
    std::fflush(stdout);

    const auto origin = std::chrono::steady_clock::now();
    while (!stopRequested) {
        const std::uint32_t now = platform::TickCountMs();
        Animate(instrument, now);
        if constexpr (std::is_same_v<Host, sim::PacedPtyHost>) {
            host.serveRealTime(origin, 5);
        } else {
            host.service(now);
            host.waitForRequest(5);
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    int port = 1;
    int address = 1;
    int baud = 0;
    sim::LinePace pace;
    std::string folder = platform::PortsFolder();
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 < argc && arg == "--port") port = std::atoi(argv[++i]);
        else if (i + 1 < argc && arg == "--address") address = std::atoi(argv[++i]);
        else if (i + 1 < argc && arg == "--folder") folder = argv[++i];
        else if (i + 1 < argc && arg == "--baud") baud = std::atoi(argv[++i]);
        else if (i + 1 < argc && arg == "--turnaround-us")
            pace.turnaroundUs = std::strtoull(argv[++i], nullptr, 10);
        else return Usage(), 2;
    }
    if (port < 1 || address < 1 || address > 255 || baud < 0) return Usage(), 2;

    sim::Instrument instrument(address);
    if (baud == 0) {
        sim::PtyHost host(instrument);
        return Serve(instrument, host, folder, port);
    }
    pace.baud = baud;
    sim::PacedPtyHost host(instrument, pace);
    return Serve(instrument, host, folder, port);
}
