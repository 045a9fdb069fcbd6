#include <gtest/gtest.h>

#include <QTreeWidget>
#include <array>
#include <map>
#include <string>
#include <vector>

#include "link/device_scan.h"
#include "link/protocol.h"
#include "platform/serial/com_ports.h"
#include "platform/serial/memory_line.h"
#include "platform/system/clock.h"
#include "sim/instrument.h"
#include "tests/support/printers.h"
#include "tests/support/qt_application.h"

using sim::Instrument;

namespace {

std::optional<int> AddressIn(const std::string& bytes) {
    return DetectReplyAddress(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

TEST(DetectReply, IsFoundWhereverItStartsAndOnlyWithItsChecksum) {
    const std::string reply = Instrument::ErrorAnswer(7, 70);
    std::string badCrc = reply;
    badCrc[badCrc.size() - 2] = badCrc[badCrc.size() - 2] == '0' ? '1' : '0';
    const struct {
        const char* what;
        std::string bytes;
        std::optional<int> address;
    } cases[] = {
        {"the reply alone", reply, 7},
        {"noise before it", "\x13junk;$70;" + reply, 7},
        {"zero bytes before it", std::string("\0\0", 2) + reply, 7},
        {"a lone 0xFF before it", "\xff" + reply, 7},
        {"bytes after it", reply + "\xff!1;", 7},
        {"a bad reply before a good one", badCrc + Instrument::ErrorAnswer(3, 70), 3},
        {"the address of the reply, not of the request", Instrument::ErrorAnswer(0, 70), 0},
        {"the highest address", Instrument::ErrorAnswer(255, 70), 255},
        {"a bad checksum", badCrc, std::nullopt},
        {"an ordinary error answer", Instrument::ErrorAnswer(7, 6), std::nullopt},
        {"a data answer", Instrument::DataAnswer(7, "70"), std::nullopt},
        {"a reply cut short", reply.substr(0, reply.size() - 1), std::nullopt},
        {"no 0xFF before '!'", reply.substr(1), std::nullopt},
        {"an address no request can carry", Instrument::ErrorAnswer(256, 70), std::nullopt},
        {"nothing", "", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(AddressIn(c.bytes), c.address) << c.what;
}

// Ports on in-memory lines, one line per port number; the far ends answer during the scan's wait.
class ScanTest : public testing_support::WithApplication, public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetComOpener([this](const std::string& name) -> std::unique_ptr<platform::ByteStream> {
            opened.push_back(name);
            const std::optional<int> port = platform::ComPortNumber(name);
            const auto line = port ? lines.find(*port) : lines.end();
            return line == lines.end() ? nullptr : line->second.openHost();
        });
        previousClock = platform::SetClockHooks({{},
                                                 [this](unsigned ms) {
                                                     slept.push_back(ms);
                                                     if (ms != kScanWaitMs) return;
                                                     for (auto& [port, line] : lines) {
                                                         received[port] = line.takeFromHost();
                                                         line.sendToHost(replies[port]);
                                                     }
                                                 },
                                                 {}});
        ScanResultList = &list;
        ports.fill(-1);
    }
    void TearDown() override {
        ScanResultList = nullptr;
        platform::SetClockHooks(previousClock);
        platform::SetComOpener({});
    }

    std::vector<std::pair<QString, QString>> rows() const {
        std::vector<std::pair<QString, QString>> shown;
        for (int i = 0; i < list.topLevelItemCount(); ++i)
            shown.emplace_back(list.topLevelItem(i)->text(1), list.topLevelItem(i)->text(2));
        return shown;
    }

    std::map<int, platform::MemoryLine> lines;
    std::map<int, std::string> replies;
    std::map<int, std::string> received;
    std::vector<std::string> opened;
    std::vector<unsigned> slept;
    std::array<std::int32_t, kScanPortCount> ports{};
    QTreeWidget list;
    platform::ClockHooks previousClock;
};

TEST_F(ScanTest, OpensTheChosenPortsSendsTheBroadcastAndReadsEachOnce) {
    lines[3];
    lines[12];
    replies[3] = Instrument::ErrorAnswer(7, 70);
    replies[12] = std::string("\0\x13", 2) + Instrument::ErrorAnswer(12, 70);
    ports[2] = ports[3] = ports[12] = 0;
    ports[5] = 7;  // anything but 0 skips the port

    EXPECT_EQ(ScanPorts(kDetectFrame, kScanWaitMs, ports.data(), kScanPortCount, 9600, 0, 0, 8), 2);

    EXPECT_EQ(opened, (std::vector<std::string>{"\\\\.\\COM2", "\\\\.\\COM3", "\\\\.\\COM12"}))
        << "the device-namespace name below 10 too";
    EXPECT_EQ(ports[2], -1) << "a port that cannot be opened is marked";
    EXPECT_EQ(ports[3], 0);
    EXPECT_EQ(ports[12], 0);
    EXPECT_EQ(ports[5], 7);
    EXPECT_EQ(testing_support::Visible(received[3]), testing_support::Visible(std::string(kDetectFrame)));
    EXPECT_EQ(received[12], std::string(kDetectFrame));
    EXPECT_EQ(rows(), (std::vector<std::pair<QString, QString>>{{"COM3", "7"}, {"COM12", "12"}}));
    ASSERT_NE(list.currentItem(), nullptr);
    EXPECT_EQ(list.currentItem()->text(1), "COM12") << "the last found row is selected";
    EXPECT_TRUE(list.currentItem()->isSelected());
    for (const auto& handle : ScanHandles) EXPECT_FALSE(handle);
    EXPECT_FALSE(lines[3].hostOpen());
    EXPECT_FALSE(lines[12].hostOpen());
    EXPECT_EQ(slept.front(), kScanWaitMs) << "one wait covers every port";
}

TEST_F(ScanTest, APortWithoutADetectionReplyIsReadButGivesNoRow) {
    lines[4];
    replies[4] = Instrument::ErrorAnswer(4, 6);
    ports[4] = 0;
    EXPECT_EQ(ScanPorts(kDetectFrame, kScanWaitMs, ports.data(), kScanPortCount, 9600, 0, 0, 8), 1);
    EXPECT_EQ(ports[4], 0);
    EXPECT_TRUE(rows().empty());
}

}  // namespace
