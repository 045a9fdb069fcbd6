#pragma once

#include <cstdint>
#include <string_view>

class QLineEdit;
class TMyComm;

// Request frame: 0xFF ':' body crc '\r', where body is "address;command;" and each field with ';'
// and crc is the CRC-16/MODBUS of the body in decimal.
inline constexpr int kRequestBufferSize = 5120;
extern char RequestBuffer[kRequestBufferSize];

enum Command : std::uint8_t { CmdDetect = 0, CmdMeasure = 1, CmdRead = 10, CmdWrite = 11 };
enum MemoryType : int { MemCommand = 0, MemArchive = 1, MemSettings = 2, MemParams = 3 };
enum DataType : int { DataByte = 1, DataWord = 2, DataFloat = 3, DataBlock = 4 };

// Sources of CmdMeasure.
inline constexpr int kSourceReference = 1;
inline constexpr int kSourceChannel1Current = 5;  // channels 1..4 are 5..8

// The detection broadcast, sent with address 0 to whatever listens.
inline constexpr std::string_view kDetectFrame{"\xff:0;0;14891\r", 12};

// Fields equal to -1 are absent.
int SendRequest(TMyComm& port, std::uint8_t address, std::uint8_t command, std::int32_t f1 = -1,
                std::int32_t f2 = -1, std::int32_t f3 = -1, std::int32_t f4 = -1, std::int32_t f5 = -1,
                std::int32_t f6 = -1);
// Writes a block of bytes (data type 4) as upper-case hexadecimal text. Sends nothing and
// returns 0 when the frame would not fit the request buffer.
int SendHexRequest(TMyComm& port, std::uint8_t address, std::uint8_t command, int reg, int memoryType,
                   const std::uint8_t* bytes, int count);
// Writes a float (data type 3) as fixed text with six decimals.
int SendFloatRequest(TMyComm& port, std::uint8_t address, std::uint8_t command, int reg, int memoryType,
                     float value);
// Sends the number the text starts with; sends nothing and returns 0 when it has none.
int SendTextFloatRequest(TMyComm& port, std::uint8_t address, std::uint8_t command, int reg, int memoryType,
                         std::string_view text);
int SendEditFloatRequest(TMyComm& port, std::uint8_t address, std::uint8_t command, int reg, int memoryType,
                         const QLineEdit* edit);
// Asks the main window's port for the present value of a source.
int SendSetMode(int source);
