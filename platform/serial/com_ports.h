#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/serial/byte_stream.h"
#include "platform/serial/serial_line.h"

namespace platform {

// COM port N is the entry "COM<N>" of the ports folder: $ZKV_PORTS when set, else
// kDefaultPortsFolder. Entries are links to real devices (/dev/ttyUSB0, ...) or to a simulated
// instrument's pseudo-terminal. Without an entry, port N is /dev/ttyS<N-1>.
inline constexpr const char* kDefaultPortsFolder = "/var/lib/zkvdesk/ports";

std::string PortsFolder();
// The port number a Windows port name stands for: "COM9" and "\\.\COM10" give 9 and 10.
std::optional<int> ComPortNumber(const std::string& windowsName);
std::string ComPortDevicePath(int port);

// Opens a port by its Windows name. Goes to the opener installed for tests when there is one,
// else to the device the name resolves to. Null when it cannot be opened.
std::unique_ptr<ByteStream> OpenComDevice(const std::string& windowsName, const LineSettings& settings);

using ComOpener = std::function<std::unique_ptr<ByteStream>(const std::string& windowsName)>;
// Installs (or, with an empty function, removes) the opener that replaces the devices.
void SetComOpener(ComOpener opener);

}  // namespace platform
