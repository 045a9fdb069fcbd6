#include "platform/serial/com_ports.h"

#include <cstdlib>
#include <filesystem>
#include <string_view>

namespace platform {
namespace {

ComOpener& InstalledOpener() {
    static ComOpener opener;
    return opener;
}

}  // namespace

std::string PortsFolder() {
    const char* folder = std::getenv("ZKV_PORTS");
    return (folder && *folder) ? std::string(folder) : std::string(kDefaultPortsFolder);
}

std::optional<int> ComPortNumber(const std::string& windowsName) {
    std::string_view name(windowsName);
    constexpr std::string_view deviceNamespace = "\\\\.\\";
    if (name.starts_with(deviceNamespace)) name.remove_prefix(deviceNamespace.size());
    if (!name.starts_with("COM") || name.size() == 3 || name.size() > 8) return std::nullopt;
    int number = 0;
    for (char c : name.substr(3)) {
        if (c < '0' || c > '9') return std::nullopt;
        number = number * 10 + (c - '0');
    }
    if (number < 1) return std::nullopt;
    return number;
}

std::string ComPortDevicePath(int port) {
    namespace fs = std::filesystem;
    const fs::path entry = fs::path(PortsFolder()) / ("COM" + std::to_string(port));
    std::error_code ec;
    if (fs::is_symlink(entry, ec) || fs::exists(entry, ec)) return entry.string();
    return "/dev/ttyS" + std::to_string(port - 1);
}

std::unique_ptr<ByteStream> OpenComDevice(const std::string& windowsName, const LineSettings& settings) {
    if (const ComOpener& opener = InstalledOpener()) return opener(windowsName);
    const std::optional<int> port = ComPortNumber(windowsName);
    if (!port) return nullptr;
    return OpenSerialLine(ComPortDevicePath(*port), settings);
}

void SetComOpener(ComOpener opener) { InstalledOpener() = std::move(opener); }

}  // namespace platform
