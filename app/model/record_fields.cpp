#include "app/model/record_fields.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/class_library/cp1251.h"

void WriteTextSlot(std::uint8_t* record, std::size_t offset, std::size_t slotSize, const QString& text) {
    if (record == nullptr) return;
    WriteSlotBytes(reinterpret_cast<char*>(record + offset), slotSize, platform::ToCp1251(text));
}

void WriteSlotBytes(char* slot, std::size_t slotSize, std::string_view bytes) {
    if (slot == nullptr || slotSize == 0) return;
    const std::size_t length = std::min(bytes.size(), slotSize - 1);
    std::memcpy(slot, bytes.data(), length);
    std::memset(slot + length, 0, slotSize - length);
}

QString ReadTextSlot(const std::uint8_t* record, std::size_t offset, std::size_t slotSize) {
    if (record == nullptr) return {};
    const char* slot = reinterpret_cast<const char*>(record + offset);
    const std::size_t length = strnlen(slot, slotSize);
    return platform::FromCp1251(std::string_view(slot, length));
}

void WriteFloat32(std::uint8_t* record, std::size_t offset, float value) {
    std::memcpy(record + offset, &value, 4);
}

float ReadFloat32(const std::uint8_t* record, std::size_t offset) {
    float value = 0.0f;
    std::memcpy(&value, record + offset, 4);
    return value;
}

void WriteInt32(std::uint8_t* record, std::size_t offset, std::int32_t value) {
    std::memcpy(record + offset, &value, 4);
}

std::int32_t ReadInt32(const std::uint8_t* record, std::size_t offset) {
    std::int32_t value = 0;
    std::memcpy(&value, record + offset, 4);
    return value;
}
