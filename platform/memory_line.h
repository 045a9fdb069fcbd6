#pragma once

#include <deque>
#include <memory>
#include <string>

#include "platform/byte_stream.h"

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

private:
    struct State {
        std::deque<std::uint8_t> toHost;
        std::deque<std::uint8_t> fromHost;
        bool hostOpen = false;
        int opens = 0;
    };
    class HostEnd;
    std::shared_ptr<State> state_;
};

}  // namespace platform
