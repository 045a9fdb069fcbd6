#include <gtest/gtest.h>

#include <filesystem>

#include "platform/serial/com_ports.h"
#include "tests/support/temp_folder.h"

namespace {

TEST(ComPortNumber, ReadsPlainAndDeviceNamespaceNames) {
    struct Case {
        const char* name;
        std::optional<int> number;
    } cases[] = {
        {"COM1", 1}, {"COM9", 9}, {"\\\\.\\COM10", 10}, {"\\\\.\\COM255", 255}, {"COM10", 10},
        {"COM0", std::nullopt}, {"COM", std::nullopt}, {"COMx", std::nullopt}, {"LPT1", std::nullopt},
        {"COM1 ", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(platform::ComPortNumber(c.name), c.number) << c.name;
}

TEST(ComPortDevicePath, UsesThePortsFolderEntryElseTheSerialDevice) {
    testing_support::PortsFolderScope ports;
    std::filesystem::create_symlink("/dev/ttyUSB0", ports.path() + "/COM3");
    EXPECT_EQ(platform::ComPortDevicePath(3), ports.path() + "/COM3");
    EXPECT_EQ(platform::ComPortDevicePath(4), "/dev/ttyS3");
    EXPECT_EQ(platform::ComPortDevicePath(1), "/dev/ttyS0");
}

TEST(OpenComDevice, AMissingDeviceGivesNoLine) {
    testing_support::PortsFolderScope ports;
    std::filesystem::create_symlink(ports.path() + "/nothing-here", ports.path() + "/COM2");
    EXPECT_EQ(platform::OpenComDevice("COM2", {}), nullptr);
    EXPECT_EQ(platform::OpenComDevice("not a port", {}), nullptr);
}

}  // namespace
