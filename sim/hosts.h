#pragma once

#include <cstdint>
#include <string>

#include "platform/serial/memory_line.h"
#include "platform/serial/pseudo_terminal.h"
#include "sim/instrument.h"

namespace sim {

// An entry COM<port> of a ports folder that leads to a device; it goes when the entry does.
class PortEntry {
public:
    PortEntry() = default;
    ~PortEntry() { remove(); }
    PortEntry(const PortEntry&) = delete;
    PortEntry& operator=(const PortEntry&) = delete;

    // An entry that leads to a live device is left alone (false).
    bool publish(const std::string& device, const std::string& folder, int port);
    void remove();

private:
    std::string path_;
    std::string device_;
};

// Puts an instrument on a pseudo-terminal. Nothing runs by itself: service() takes what the
// workstation wrote and sends at most one due delivery, so a test decides when the line moves.
class PtyHost {
public:
    explicit PtyHost(Instrument& instrument);
    ~PtyHost();
    PtyHost(const PtyHost&) = delete;
    PtyHost& operator=(const PtyHost&) = delete;

    bool ok() const { return pty_.ok(); }
    const std::string& devicePath() const { return pty_.devicePath(); }
    // Publishes the pseudo-terminal as COM<port> in the folder; an entry that leads to a live
    // device is left alone (false). The entry goes when the host does.
    bool publish(const std::string& folder, int port) { return ok() && entry_.publish(devicePath(), folder, port); }
    void unpublish() { entry_.remove(); }

    void service(std::uint32_t nowMs);
    // Waits at most timeoutMs for the workstation to write; for the stand-alone tool.
    bool waitForRequest(int timeoutMs) { return pty_.waitReadable(timeoutMs); }

private:
    Instrument& instrument_;
    platform::PseudoTerminal pty_;
    PortEntry entry_;
};

// Puts an instrument on the far end of an in-memory line.
class MemoryHost {
public:
    MemoryHost(Instrument& instrument, platform::MemoryLine& line) : instrument_(instrument), line_(line) {}
    void service(std::uint32_t nowMs);

private:
    Instrument& instrument_;
    platform::MemoryLine& line_;
};

}  // namespace sim
