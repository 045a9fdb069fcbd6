#pragma once

#include <memory>
#include <string>

#include "platform/serial/byte_stream.h"

namespace platform {

// Opens a serial device for the link: non-blocking, exclusive, raw, no flow control, DTR and RTS
// dropped where the line has them. A device that another process has open, or whose lock file
// names a live process, counts as absent; while the line is open its lock file names us.
// Exclusive also within this process and for root: TIOCEXCL and flock. Null when the device is
// held or cannot be opened or configured.
std::unique_ptr<ByteStream> OpenSerialLine(const std::string& devicePath, const LineSettings& settings);

}  // namespace platform
