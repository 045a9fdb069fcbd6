#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/serial/byte_stream.h"

class QTreeWidget;

// The scan of a COM-port range for instruments. It opens its own handles, never the port object.
inline constexpr int kScanPortCount = 256;  // selection entries and handles, indexed by port number
inline constexpr unsigned kScanWaitMs = 1500;
inline constexpr int kScanReadLimit = 100;  // bytes one port's reply is read with
inline constexpr int kScanBufferSize = 2048;

// The open handle of each port while a scan has it, empty otherwise.
extern std::unique_ptr<platform::ByteStream> ScanHandles[kScanPortCount];

// The list found instruments are added to: the connection page's, while one exists.
extern QTreeWidget* ScanResultList;

// The selection: entry i is 0 to scan port i; any other value skips it. A port that cannot be
// opened is marked -1. Returns the number of ports read.
int ScanPorts(std::string_view request, unsigned waitMilliseconds, std::int32_t* ports, int count,
              int baudRate, int parity, int stopBits, int byteSize);
void ScanSend(std::string_view request, std::int32_t* ports, int count, int baudRate, int parity,
              int stopBits, int byteSize);
int ScanCollect(std::int32_t* ports, int count);
// Adds a row for the port when the bytes hold a detection reply.
void AddFoundDevice(int port, const char* bytes, std::size_t length);

// The address in the first detection reply (0xFF '!' address ";$70;" crc '\r') whose checksum
// matches, wherever it starts in the bytes; nothing when there is none.
std::optional<int> DetectReplyAddress(const std::uint8_t* bytes, std::size_t length);
