#pragma once

#include <deque>
#include <functional>
#include <limits>
#include <memory>
#include <string>

#include "platform/serial/byte_stream.h"

namespace platform {

// An in-memory serial line for tests: the workstation opens its host end as a port, the far end
// (a simulated instrument or a test) takes what was written and queues answers. Only one host end
// may be open at a time, like a real port. discard() on the host end drops both queues.
class MemoryLine {
public:
    MemoryLine();

    // Null while another host end is open.
    std::unique_ptr<ByteStream> openHost();
    bool hostOpen() const;
    int openCount() const;

    // Far end.
    std::string takeFromHost();
    void sendToHost(const std::string& bytes);
    std::size_t pendingToHost() const;

    // A line that takes no more than this many bytes the far end has not yet taken.
    void setCapacity(std::size_t bytes);
    // Runs while the host end waits for room, with the time it would wait: the far end's chance
    // to take bytes (and a test's to move its clock).
    void onHostWaitsForRoom(std::function<void(int timeoutMs)> farEnd);

private:
    struct State {
        std::deque<std::uint8_t> toHost;
        std::deque<std::uint8_t> fromHost;
        std::size_t capacity = std::numeric_limits<std::size_t>::max();
        std::function<void(int)> whileHostWaits;
        bool hostOpen = false;
        int opens = 0;
    };
    class HostEnd;
    std::shared_ptr<State> state_;
};

}  // namespace platform
