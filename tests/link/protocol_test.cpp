#include <gtest/gtest.h>

#include <QLineEdit>
#include <string>
#include <vector>

#include "link/crc16.h"
#include "link/protocol.h"
#include "tests/link/memory_port_fixture.h"
#include "tests/support/printers.h"
#include "tests/support/qt_application.h"

using testing_support::Visible;

namespace {

std::string Framed(const std::string& text) { return "\xff" + text + "\r"; }

TEST(Crc16, MatchesTheModbusCheckValueAndKnownBodies) {
    const std::string check = "123456789";
    EXPECT_EQ(Crc16(reinterpret_cast<const std::uint8_t*>(check.data()), 9), 0x4B37);
    const std::string detect = "0;0;";
    EXPECT_EQ(Crc16(reinterpret_cast<const std::uint8_t*>(detect.data()), 4), 14891);
    EXPECT_EQ(Crc16(nullptr, 0), 0xFFFF);
    std::uint16_t crc = 0xFFFF;
    for (char c : check) crc = Crc16Update(static_cast<std::uint8_t>(c), crc);
    EXPECT_EQ(crc, 0x4B37);
    const std::uint8_t blank[62] = {0xAA};
    EXPECT_EQ(Crc16Block(blank, 62), 0x0167) << "the blank archive record's checksum";
}

TEST(DetectFrame, IsTheFixedBroadcast) {
    EXPECT_EQ(std::string(kDetectFrame), Framed(":0;0;14891"));
}

using RequestFrames = MemoryPortTest;

TEST_F(RequestFrames, AreBuiltByteForByte) {
    struct Case {
        const char* what;
        std::function<int(TMyComm&)> send;
        std::string frame;
    };
    const std::uint8_t block[3] = {0x0A, 0x1B, 0xFF};
    const std::vector<Case> cases = {
        {"opening write", [](TMyComm& p) { return SendRequest(p, 1, CmdWrite, 1, 0, 1, 1); },
         Framed(":1;11;1;0;1;1;43755")},
        {"settings block read", [](TMyComm& p) { return SendRequest(p, 1, CmdRead, 16, 2, 4); },
         Framed(":1;10;16;2;4;53164")},
        {"emulate minimum current", [](TMyComm& p) { return SendFloatRequest(p, 1, CmdWrite, 43, 0, 0.0f); },
         Framed(":1;11;43;0;3;0.000000;13139")},
        {"channel 1 current", [](TMyComm&) { return SendSetMode(5); }, Framed(":1;1;5;19912")},
    };
    for (const Case& c : cases) {
        EXPECT_NE(c.send(port), 0) << c.what;
        EXPECT_EQ(Visible(line.takeFromHost()), Visible(c.frame)) << c.what;
    }

    ASSERT_NE(SendHexRequest(port, 1, CmdWrite, 16, 2, block, 3), 0);
    const std::string hexBody = "1;11;16;2;4;0A1BFF;";
    const std::uint16_t crc = Crc16(reinterpret_cast<const std::uint8_t*>(hexBody.data()), 19);
    EXPECT_EQ(Visible(line.takeFromHost()), Visible(Framed(":" + hexBody + std::to_string(crc))));
}

TEST_F(RequestFrames, LeaveOutFieldsOfMinusOneOnly) {
    SendRequest(port, 1, CmdRead, -1, 16, -1, 2, 4);
    const std::string body = "1;10;16;2;4;";
    EXPECT_EQ(Visible(line.takeFromHost()), Visible(Framed(":1;10;16;2;4;53164")));
    SendRequest(port, 3, CmdWrite, 30, 3, 2, 0, -2);
    const std::string negative = "3;11;30;3;2;0;-2;";
    const std::uint16_t crc = Crc16(reinterpret_cast<const std::uint8_t*>(negative.data()),
                                    static_cast<std::uint16_t>(negative.size()));
    EXPECT_EQ(Visible(line.takeFromHost()), Visible(Framed(":" + negative + std::to_string(crc))));
}

TEST_F(RequestFrames, EverySendRestartsTheTimeOutAndCountsAStep) {
    SendRequest(port, 1, CmdRead, 16, 2, 4);
    EXPECT_EQ(TimeoutTicks, AnswerTimeoutTicks);
    TimeoutTicks = 3;
    SendSetMode(1);
    EXPECT_EQ(TimeoutTicks, 10);
    EXPECT_EQ(WorkStep, 2);
    EXPECT_TRUE(port.IsOpen()) << "the sender opens the port on demand";
    EXPECT_EQ(line.openCount(), 1) << "an open port is not opened again";
}

TEST_F(RequestFrames, APortThatWillNotOpenSendsNothingButStillArmsTheTimeOut) {
    refuseOpen = true;
    EXPECT_EQ(SendRequest(port, 1, CmdRead, 16, 2, 4), 0);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(TimeoutTicks, 10) << "the time-out reports the failure";
    EXPECT_EQ(WorkStep, 1);
    EXPECT_EQ(line.takeFromHost(), "");
}

TEST_F(RequestFrames, TextFloatSendsTheNumberTheTextStartsWith) {
    struct Case {
        const char* text;
        const char* sent;  // nullptr: nothing is sent
    } cases[] = {
        {"12,5", "12.000000"}, {"12.5", "12.500000"}, {" -0.25 mA", "-0.250000"}, {"1.5E", "1.500000"},
        {"abc", nullptr},      {"", nullptr},         {"nan", nullptr},           {"inf", nullptr},
        {"1e39", nullptr},
    };
    for (const auto& c : cases) {
        WorkStep = 0;
        TimeoutTicks = -1;
        const int result = SendTextFloatRequest(port, 1, CmdWrite, 45, 0, c.text);
        const std::string frame = line.takeFromHost();
        if (c.sent == nullptr) {
            EXPECT_EQ(result, 0) << c.text;
            EXPECT_EQ(frame, "") << c.text;
            EXPECT_EQ(WorkStep, 0) << c.text << ": no step is counted";
            EXPECT_EQ(TimeoutTicks, -1) << c.text << ": no time-out is armed";
        } else {
            EXPECT_NE(frame.find(std::string(";3;") + c.sent + ";"), std::string::npos)
                << c.text << " sent " << Visible(frame);
        }
    }
}

TEST_F(RequestFrames, EditFloatReadsTheEditsText) {
    testing_support::EnsureApplication();
    QLineEdit edit;
    edit.setText("12,5");
    EXPECT_NE(SendEditFloatRequest(port, 1, CmdWrite, 10, 3, &edit), 0);
    EXPECT_NE(line.takeFromHost().find(";10;3;3;12.000000;"), std::string::npos);
    edit.setText("abc");
    EXPECT_EQ(SendEditFloatRequest(port, 1, CmdWrite, 10, 3, &edit), 0);
    EXPECT_EQ(SendEditFloatRequest(port, 1, CmdWrite, 10, 3, nullptr), 0);
    EXPECT_EQ(line.takeFromHost(), "");
}

TEST_F(RequestFrames, AHexBlockThatWouldNotFitIsRefused) {
    std::vector<std::uint8_t> big(2600, 0x5A);
    WorkStep = 0;
    EXPECT_EQ(SendHexRequest(port, 1, CmdWrite, 0, 1, big.data(), 2600), 0);
    EXPECT_EQ(SendHexRequest(port, 1, CmdWrite, 0, 1, big.data(), -1), 0);
    EXPECT_EQ(SendHexRequest(port, 1, CmdWrite, 0, 1, nullptr, 4), 0);
    EXPECT_EQ(WorkStep, 0);
    EXPECT_EQ(line.takeFromHost(), "");

    EXPECT_NE(SendHexRequest(port, 1, CmdWrite, 0, 1, big.data(), 2500), 0) << "a block that fits goes out";
    const std::string frame = line.takeFromHost();
    const std::size_t hexStart = std::string("\xff:1;11;0;1;4;").size();
    EXPECT_EQ(frame.find(';', hexStart) - hexStart, 5000u);
}

}  // namespace
