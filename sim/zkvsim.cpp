// zkvsim: a simulated ЗКВ-7 on a pseudo-terminal, published as a COM port until stopped.
#include <csignal>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/clock.h"
#include "platform/com_ports.h"
#include "sim/hosts.h"
#include "sim/instrument.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void OnSignal(int) { stopRequested = 1; }

void Usage() {
    std::fprintf(stderr,
                 "usage: zkvsim [--port N] [--address A] [--folder DIR]\n"
                 "  Publishes a simulated instrument as COM<N> (default 1) in DIR\n"
                 "  (default: $ZKV_PORTS, else %s) until interrupted.\n",
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

}  // namespace

int main(int argc, char** argv) {
    int port = 1;
    int address = 1;
    std::string folder = platform::PortsFolder();
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 < argc && arg == "--port") port = std::atoi(argv[++i]);
        else if (i + 1 < argc && arg == "--address") address = std::atoi(argv[++i]);
        else if (i + 1 < argc && arg == "--folder") folder = argv[++i];
        else return Usage(), 2;
    }
    if (port < 1 || address < 1 || address > 255) return Usage(), 2;

    sim::Instrument instrument(address);
    sim::PtyHost host(instrument);
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
    std::printf("zkvsim: simulated instrument, address %d, published as COM%d in %s (%s)\n", address, port,
                folder.c_str(), host.devicePath().c_str());
    std::fflush(stdout);

    while (!stopRequested) {
        host.waitForRequest(5);
        const std::uint32_t now = platform::TickCountMs();
        Animate(instrument, now);
        host.service(now);
    }
    host.unpublish();
    return 0;
}
