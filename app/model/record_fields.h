#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
#include <string_view>

// Field access to the packed records shared by the pages and the report library: little-endian
// numbers at byte offsets (never through an aligned structure) and zero-terminated code page 1251
// texts in fixed slots.

// Copies the text into its slot: cut to the slot less one byte, always zero-terminated, the rest
// of the slot zero-filled.
void WriteTextSlot(std::uint8_t* record, std::size_t offset, std::size_t slotSize, const QString& text);
// The same for texts already in code page 1251.
void WriteSlotBytes(char* slot, std::size_t slotSize, std::string_view bytes);
// The slot's text up to its terminator (or the slot's end).
QString ReadTextSlot(const std::uint8_t* record, std::size_t offset, std::size_t slotSize);

void WriteFloat32(std::uint8_t* record, std::size_t offset, float value);
float ReadFloat32(const std::uint8_t* record, std::size_t offset);
void WriteInt32(std::uint8_t* record, std::size_t offset, std::int32_t value);
std::int32_t ReadInt32(const std::uint8_t* record, std::size_t offset);
