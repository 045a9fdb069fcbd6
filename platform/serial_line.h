#pragma once

#include <memory>
#include <string>

#include "platform/byte_stream.h"

namespace platform {

struct LineSettings {
    int baudRate = 9600;
    int byteSize = 8;
    int parity = 0;    // 0 none, 1 odd, 2 even, as the Windows device control block codes them
    int stopBits = 0;  // 0 one stop bit, 2 two (1, one and a half, is taken as two)
};

// Opens a serial device for the link: non-blocking, exclusive (TIOCEXCL and flock, so a second
// open fails even for root), raw, no flow control, DTR and RTS dropped where the line has them.
// Null when the device cannot be opened or configured.
std::unique_ptr<ByteStream> OpenSerialLine(const std::string& devicePath, const LineSettings& settings);

}  // namespace platform
