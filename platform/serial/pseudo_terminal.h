#pragma once

#include <string>

namespace platform {

// A pseudo-terminal pair in raw mode: the far end (master) belongs to whoever plays the
// instrument, the near end (slave path) is opened as a serial port. The pair keeps one
// descriptor of the near end open so the far end never sees a hang-up between two opens.
class PseudoTerminal {
public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool ok() const { return master_ >= 0; }
    const std::string& devicePath() const { return devicePath_; }
    // The far end's descriptor, for handing it to whoever plays the instrument in another process.
    int farEnd() const { return master_; }

    // Far end; neither call waits.
    std::string readAvailable();
    bool write(const std::string& bytes);
    // Waits at most timeoutMs for bytes from the near end; true when some are there.
    bool waitReadable(int timeoutMs);

private:
    int master_ = -1;
    int keeper_ = -1;
    std::string devicePath_;
};

}  // namespace platform
