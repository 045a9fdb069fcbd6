#include "link/crc16.h"

std::uint16_t Crc16Update(std::uint8_t byte, std::uint16_t crc) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) {
        crc = (crc & 1u) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001u) : static_cast<std::uint16_t>(crc >> 1);
    }
    return crc;
}

std::uint16_t Crc16(const std::uint8_t* bytes, std::uint16_t length) {
    std::uint16_t crc = 0xFFFF;
    for (std::uint16_t i = 0; i < length; ++i) crc = Crc16Update(bytes[i], crc);
    return crc;
}
