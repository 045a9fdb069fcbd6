#pragma once

#include <cstdint>

// CRC-16/MODBUS: reflected polynomial 0xA001, initial 0xFFFF, no final XOR.
std::uint16_t Crc16Update(std::uint8_t byte, std::uint16_t crc);
std::uint16_t Crc16(const std::uint8_t* bytes, std::uint16_t length);
// The same checksum, for the archive records' check.
inline std::uint16_t Crc16Block(const std::uint8_t* bytes, std::uint16_t length) { return Crc16(bytes, length); }
