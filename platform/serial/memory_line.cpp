#include "platform/serial/memory_line.h"

#include <algorithm>

namespace platform {

class MemoryLine::HostEnd final : public ByteStream {
public:
    explicit HostEnd(std::shared_ptr<State> state) : state_(std::move(state)) {}
    ~HostEnd() override { state_->hostOpen = false; }

    int writeSome(const std::uint8_t* data, std::size_t count) override {
        const std::size_t taken = std::min(count, room());
        state_->fromHost.insert(state_->fromHost.end(), data, data + taken);
        return static_cast<int>(taken);
    }
    bool waitWritable(int timeoutMs) override {
        if (room() == 0 && state_->whileHostWaits) state_->whileHostWaits(timeoutMs);
        return room() > 0;
    }
    int available() override { return static_cast<int>(state_->toHost.size()); }
    int read(std::uint8_t* buffer, std::size_t limit) override {
        const std::size_t n = std::min(limit, state_->toHost.size());
        std::copy_n(state_->toHost.begin(), n, buffer);
        state_->toHost.erase(state_->toHost.begin(), state_->toHost.begin() + static_cast<long>(n));
        return static_cast<int>(n);
    }
    void discard() override {
        state_->toHost.clear();
        state_->fromHost.clear();
    }

private:
    std::size_t room() const {
        return state_->fromHost.size() < state_->capacity ? state_->capacity - state_->fromHost.size() : 0;
    }

    std::shared_ptr<State> state_;
};

MemoryLine::MemoryLine() : state_(std::make_shared<State>()) {}

std::unique_ptr<ByteStream> MemoryLine::openHost() {
    if (state_->hostOpen) return nullptr;
    state_->hostOpen = true;
    ++state_->opens;
    return std::make_unique<HostEnd>(state_);
}

bool MemoryLine::hostOpen() const { return state_->hostOpen; }
int MemoryLine::openCount() const { return state_->opens; }

std::string MemoryLine::takeFromHost() {
    std::string bytes(state_->fromHost.begin(), state_->fromHost.end());
    state_->fromHost.clear();
    return bytes;
}

void MemoryLine::sendToHost(const std::string& bytes) { state_->toHost.insert(state_->toHost.end(), bytes.begin(), bytes.end()); }

std::size_t MemoryLine::pendingToHost() const { return state_->toHost.size(); }

void MemoryLine::setCapacity(std::size_t bytes) { state_->capacity = bytes; }

void MemoryLine::onHostWaitsForRoom(std::function<void(int timeoutMs)> farEnd) {
    state_->whileHostWaits = std::move(farEnd);
}

}  // namespace platform
