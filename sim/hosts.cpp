#include "sim/hosts.h"

#include <filesystem>
#include <system_error>

namespace sim {

namespace fs = std::filesystem;

bool PortEntry::publish(const std::string& device, const std::string& folder, int port) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    const fs::path entry = fs::path(folder) / ("COM" + std::to_string(port));
    if (fs::is_symlink(entry, ec)) {
        if (fs::exists(entry, ec)) return false;  // leads to a live device
        fs::remove(entry, ec);
    } else if (fs::exists(entry, ec)) {
        return false;
    }
    fs::create_symlink(device, entry, ec);
    if (ec) return false;
    remove();
    path_ = entry.string();
    device_ = device;
    return true;
}

void PortEntry::remove() {
    if (path_.empty()) return;
    std::error_code ec;
    if (fs::is_symlink(path_, ec) && fs::read_symlink(path_, ec) == fs::path(device_)) fs::remove(path_, ec);
    path_.clear();
    device_.clear();
}

PtyHost::PtyHost(Instrument& instrument) : instrument_(instrument) {}

PtyHost::~PtyHost() { unpublish(); }

void PtyHost::service(std::uint32_t nowMs) {
    const std::string request = pty_.readAvailable();
    if (!request.empty()) instrument_.receive(request, nowMs);
    const std::string answer = instrument_.transmit(nowMs);
    if (!answer.empty()) pty_.write(answer);
}

void MemoryHost::service(std::uint32_t nowMs) {
    const std::string request = line_.takeFromHost();
    if (!request.empty()) instrument_.receive(request, nowMs);
    const std::string answer = instrument_.transmit(nowMs);
    if (!answer.empty()) line_.sendToHost(answer);
}

}  // namespace sim
