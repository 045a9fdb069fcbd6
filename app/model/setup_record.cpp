#include "app/model/setup_record.h"

#include "app/model/record_fields.h"

QString SetupText(const std::uint8_t* record, std::size_t offset) { return ReadTextSlot(record, offset, kSetupTextSlot); }

void SetSetupText(std::uint8_t* record, std::size_t offset, const QString& text) {
    WriteTextSlot(record, offset, kSetupTextSlot, text);
}

QString ChannelText(const std::uint8_t* record, int n, std::size_t field) {
    return ReadTextSlot(record, SetupChannelOffset(n) + field, kSetupTextSlot);
}

void SetChannelText(std::uint8_t* record, int n, std::size_t field, const QString& text) {
    WriteTextSlot(record, SetupChannelOffset(n) + field, kSetupTextSlot, text);
}

float ChannelFloat(const std::uint8_t* record, int n, std::size_t field) {
    return ReadFloat32(record, SetupChannelOffset(n) + field);
}

void SetChannelFloat(std::uint8_t* record, int n, std::size_t field, float value) {
    WriteFloat32(record, SetupChannelOffset(n) + field, value);
}

std::int32_t ChannelInt(const std::uint8_t* record, int n, std::size_t field) {
    return ReadInt32(record, SetupChannelOffset(n) + field);
}

void SetChannelInt(std::uint8_t* record, int n, std::size_t field, std::int32_t value) {
    WriteInt32(record, SetupChannelOffset(n) + field, value);
}
