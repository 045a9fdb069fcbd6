#include "link/device_scan.h"

#include <QString>
#include <QTreeWidget>
#include <QTreeWidgetItem>
#include <algorithm>
#include <array>
#include <string>

#include "link/crc16.h"
#include "platform/serial/com_ports.h"
#include "platform/system/clock.h"

std::unique_ptr<platform::ByteStream> ScanHandles[kScanPortCount];
QTreeWidget* ScanResultList = nullptr;

namespace {

constexpr int kDetectCode = 70;
constexpr int kMaxAddress = 255;  // requests carry the address as one byte

int PortLimit(int count) { return std::clamp(count, 0, kScanPortCount); }

// Reads the decimal digits at bytes[at]; at moves past them. False without digits or when the
// value passes limit.
bool Digits(const std::uint8_t* bytes, std::size_t length, std::size_t& at, long limit, long& value) {
    const std::size_t from = at;
    value = 0;
    while (at < length && bytes[at] >= '0' && bytes[at] <= '9') {
        value = value * 10 + (bytes[at] - '0');
        if (value > limit) return false;
        ++at;
    }
    return at > from;
}

bool Expect(const std::uint8_t* bytes, std::size_t length, std::size_t& at, char c) {
    if (at >= length || bytes[at] != static_cast<std::uint8_t>(c)) return false;
    ++at;
    return true;
}

// A detection reply whose 0xFF stands at bytes[start].
std::optional<int> ReplyAt(const std::uint8_t* bytes, std::size_t length, std::size_t start) {
    std::size_t at = start;
    long address = 0, code = 0, crc = 0;
    if (!Expect(bytes, length, at, '\xff') || !Expect(bytes, length, at, '!')) return std::nullopt;
    const std::size_t body = at;
    if (!Digits(bytes, length, at, kMaxAddress, address) || !Expect(bytes, length, at, ';') ||
        !Expect(bytes, length, at, '$') || !Digits(bytes, length, at, 999, code) ||
        !Expect(bytes, length, at, ';'))
        return std::nullopt;
    const std::size_t bodyEnd = at;
    if (!Digits(bytes, length, at, 0xFFFF, crc) || !Expect(bytes, length, at, '\r')) return std::nullopt;
    if (code != kDetectCode) return std::nullopt;
    if (Crc16(bytes + body, static_cast<std::uint16_t>(bodyEnd - body)) != crc) return std::nullopt;
    return static_cast<int>(address);
}

}  // namespace

std::optional<int> DetectReplyAddress(const std::uint8_t* bytes, std::size_t length) {
    if (bytes == nullptr) return std::nullopt;
    for (std::size_t start = 0; start < length; ++start) {
        if (bytes[start] != 0xFF) continue;
        if (const std::optional<int> address = ReplyAt(bytes, length, start)) return address;
    }
    return std::nullopt;
}

void ScanSend(std::string_view request, std::int32_t* ports, int count, int baudRate, int parity,
              int stopBits, int byteSize) {
    if (ports == nullptr) return;
    const platform::LineSettings settings{baudRate, byteSize, parity, stopBits};
    for (int i = 1; i < PortLimit(count); ++i) {
        if (ports[i] != 0) continue;
        // The device-namespace name for every number, also below 10.
        ScanHandles[i] = platform::OpenComDevice("\\\\.\\COM" + std::to_string(i), settings);
        if (!ScanHandles[i]) {
            ports[i] = -1;
            continue;
        }
        ScanHandles[i]->discard();
        ScanHandles[i]->write(reinterpret_cast<const std::uint8_t*>(request.data()), request.size());
    }
}

int ScanCollect(std::int32_t*, int count) {
    int read = 0;
    for (int i = 1; i < PortLimit(count); ++i) {
        if (!ScanHandles[i]) continue;
        std::array<char, kScanBufferSize> buffer{};
        int taken = ScanHandles[i]->available();
        if (taken > 0) {
            taken = ScanHandles[i]->read(reinterpret_cast<std::uint8_t*>(buffer.data()),
                                         static_cast<std::size_t>(std::min(taken, kScanReadLimit)));
        }
        platform::SleepMs(1);
        ScanHandles[i].reset();
        if (taken < 0) continue;
        AddFoundDevice(i, buffer.data(), static_cast<std::size_t>(taken));
        ++read;
    }
    return read;
}

int ScanPorts(std::string_view request, unsigned waitMilliseconds, std::int32_t* ports, int count,
              int baudRate, int parity, int stopBits, int byteSize) {
    ScanSend(request, ports, count, baudRate, parity, stopBits, byteSize);
    platform::SleepMs(waitMilliseconds);
    return ScanCollect(ports, count);
}

void AddFoundDevice(int port, const char* bytes, std::size_t length) {
    if (ScanResultList == nullptr) return;
    const std::optional<int> address =
        DetectReplyAddress(reinterpret_cast<const std::uint8_t*>(bytes), length);
    if (!address) return;
    auto* row = new QTreeWidgetItem(ScanResultList);
    row->setText(1, "COM" + QString::number(port));
    row->setText(2, QString::number(*address));
    row->setTextAlignment(1, Qt::AlignCenter);
    row->setTextAlignment(2, Qt::AlignCenter);
    ScanResultList->scrollToItem(row);
    ScanResultList->setCurrentItem(row);
    ScanResultList->setFocus();
}
