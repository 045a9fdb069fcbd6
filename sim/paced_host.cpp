#include "sim/paced_host.h"

#include <algorithm>
#include <cmath>
#include <thread>

namespace sim {
namespace {

std::uint64_t Later(std::uint64_t from, double us) {
    return from + static_cast<std::uint64_t>(std::llround(us));
}

}  // namespace

PacedPtyHost::PacedPtyHost(Instrument& instrument, LinePace pace) : instrument_(instrument), pace_(pace) {}

void PacedPtyHost::service(std::uint64_t nowUs) {
    const auto nowMs = static_cast<std::uint32_t>(nowUs / 1000);
    const std::string request = pty_.readAvailable();
    if (!request.empty()) {
        // The pseudo-terminal hands the request over at once; a real line takes its bytes' time.
        inboundDoneUs_ =
            Later(std::max(nowUs, inboundDoneUs_), pace_.byteUs() * static_cast<double>(request.size()));
        bytesIn_ += request.size();
        instrument_.receive(request, nowMs);
    }
    for (std::string answer = instrument_.transmit(nowMs); !answer.empty();
         answer = instrument_.transmit(nowMs)) {
        const std::uint64_t start =
            std::max(Later(inboundDoneUs_, static_cast<double>(pace_.turnaroundUs)), outboundDoneUs_);
        for (std::size_t i = 0; i < answer.size(); ++i)
            outbox_.push_back({answer[i], Later(start, pace_.byteUs() * static_cast<double>(i + 1))});
        outboundDoneUs_ = outbox_.back().dueUs;
        bytesOut_ += answer.size();
        ++answers_;
    }
    std::string due;
    while (!outbox_.empty() && outbox_.front().dueUs <= nowUs) {
        due += outbox_.front().byte;
        outbox_.pop_front();
    }
    if (!due.empty()) pty_.write(due);
}

std::optional<std::uint64_t> PacedPtyHost::nextDueUs() const {
    if (outbox_.empty()) return std::nullopt;
    return outbox_.front().dueUs;
}

void PacedPtyHost::serveRealTime(std::chrono::steady_clock::time_point origin, int waitMs) {
    using std::chrono::microseconds;
    const auto elapsed = std::chrono::duration_cast<microseconds>(std::chrono::steady_clock::now() - origin);
    service(static_cast<std::uint64_t>(elapsed.count()));
    if (const auto due = nextDueUs()) {
        std::this_thread::sleep_until(origin + microseconds(*due));
    } else {
        waitForRequest(waitMs);
    }
}

double PacedPtyHost::wireTimeUs() const {
    return pace_.byteUs() * static_cast<double>(bytesIn_ + bytesOut_) +
           static_cast<double>(pace_.turnaroundUs) * static_cast<double>(answers_);
}

}  // namespace sim
