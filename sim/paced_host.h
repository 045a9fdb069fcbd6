#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>

#include "platform/serial/pseudo_terminal.h"
#include "sim/hosts.h"
#include "sim/instrument.h"

namespace sim {

// The pace of a serial line: every byte costs its bits at the baud rate, and the instrument starts
// an answer a turnaround after the last byte of the request.
struct LinePace {
    int baud = 9600;
    int bitsPerByte = 10;  // start bit, eight data bits, stop bit
    std::uint64_t turnaroundUs = 2000;

    double byteUs() const { return 1e6 * bitsPerByte / baud; }
};

// Puts an instrument on a pseudo-terminal that moves bytes as fast as a real line at the given pace
// would: a request counts as received when its last byte would have arrived, and the answer's
// bytes are released one by one at their wire times. Time is passed in by the caller.
class PacedPtyHost {
  public:
    PacedPtyHost(Instrument& instrument, LinePace pace);

    bool ok() const { return pty_.ok(); }
    const std::string& devicePath() const { return pty_.devicePath(); }
    bool publish(const std::string& folder, int port) {
        return ok() && entry_.publish(devicePath(), folder, port);
    }

    // Takes what the workstation wrote and releases the answer bytes due by nowUs.
    void service(std::uint64_t nowUs);
    // When the next answer byte is due; nothing while no answer is on its way.
    std::optional<std::uint64_t> nextDueUs() const;
    bool waitForRequest(int timeoutMs) { return pty_.waitReadable(timeoutMs); }
    // One turn of serving the line in real time, counted from origin: services it, then sleeps
    // until the next answer byte is due, or waits at most waitMs for a request.
    void serveRealTime(std::chrono::steady_clock::time_point origin, int waitMs);

    // The least time the traffic so far needs on the wire: every byte of both directions at the
    // baud rate plus one turnaround per answer.
    double wireTimeUs() const;
    std::uint64_t bytesIn() const { return bytesIn_; }
    std::uint64_t bytesOut() const { return bytesOut_; }
    std::uint64_t answers() const { return answers_; }

  private:
    struct Timed {
        char byte;
        std::uint64_t dueUs;
    };

    Instrument& instrument_;
    LinePace pace_;
    platform::PseudoTerminal pty_;
    PortEntry entry_;
    std::uint64_t inboundDoneUs_ = 0;   // when the last request byte so far reached the instrument
    std::uint64_t outboundDoneUs_ = 0;  // when the last answer byte queued so far leaves the wire
    std::deque<Timed> outbox_;
    std::uint64_t bytesIn_ = 0;
    std::uint64_t bytesOut_ = 0;
    std::uint64_t answers_ = 0;
};

}  // namespace sim
