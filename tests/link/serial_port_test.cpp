#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "link/answer_parser.h"
#include "link/my_comm.h"
#include "link/protocol.h"
#include "link/serial232.h"
#include "platform/serial/line_lock.h"
#include "platform/serial/pseudo_terminal.h"
#include "platform/serial/serial_line.h"
#include "platform/system/clock.h"
#include "sim/hosts.h"
#include "tests/link/memory_port_fixture.h"
#include "tests/support/other_process.h"
#include "tests/support/printers.h"
#include "tests/support/temp_folder.h"

using testing_support::Visible;
using testing_support::WaitUntil;

namespace {

using PortObject = MemoryPortTest;

TEST_F(PortObject, OpensPortsUpToNineByPlainNameAndAboveByDeviceName) {
    port.PortNumber = 9;
    port.Open();
    ASSERT_TRUE(port.IsOpen());
    EXPECT_EQ(port.Name, "COM9");
    port.Close();
    port.PortNumber = 10;
    port.Open();
    ASSERT_TRUE(port.IsOpen());
    EXPECT_EQ(port.Name, "COM10");
    EXPECT_EQ(openedNames, (std::vector<std::string>{"COM9", "\\\\.\\COM10"}));
}

TEST_F(PortObject, PortZeroIsNeverOpened) {
    EXPECT_EQ(OpenComPort(0, 9600, 8, 0, 0), nullptr);
    port.PortNumber = 0;
    port.Open();
    EXPECT_FALSE(port.IsOpen());
    EXPECT_TRUE(openedNames.empty());
}

TEST_F(PortObject, AClosedPortWritesNothingAndReadsMinusOne) {
    char buffer[16];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(port.Write("abc", 3), 0);
    EXPECT_EQ(port.Read(buffer, sizeof buffer), -1);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_TRUE(openedNames.empty()) << "no device is touched";
    EXPECT_EQ(ReadComPort(INVALID_HANDLE_VALUE, buffer, 16), -1);
    EXPECT_FALSE(WriteComPort("abc", 3, nullptr));
    CloseComPort(INVALID_HANDLE_VALUE);
}

TEST_F(PortObject, AFailedOpenLeavesThePortClosed) {
    refuseOpen = true;
    EXPECT_EQ(OpenComPort(3, 9600, 8, 0, 0), INVALID_HANDLE_VALUE);
    port.Open();
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.Name, "");
    EXPECT_FALSE(PortExists(3));
}

TEST_F(PortObject, ReadTakesAtMostTheBufferLessTwoAndTerminatesIt) {
    port.Open();
    line.sendToHost(std::string(100, 'a'));
    char buffer[32];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(port.Read(buffer, sizeof buffer), 30);
    EXPECT_EQ(std::string(buffer, 30), std::string(30, 'a'));
    EXPECT_EQ(buffer[30], 0);
    EXPECT_EQ(buffer[31], 0);
    EXPECT_EQ(line.pendingToHost(), 70u) << "the rest waits for the next read";
    char tiny[2] = {'x', 'x'};
    EXPECT_EQ(port.Read(tiny, 2), 0);
    EXPECT_EQ(line.pendingToHost(), 70u);
}

TEST_F(PortObject, EveryWriteFirstDiscardsUnreadInputAndUnsentOutput) {
    port.Open();
    line.sendToHost("stale answer");
    ASSERT_NE(port.Write("first", 5), 0);
    EXPECT_EQ(line.pendingToHost(), 0u);
    ASSERT_NE(port.Write("second", 6), 0);
    EXPECT_EQ(line.takeFromHost(), "second");
}

TEST_F(PortObject, OpeningAnOpenPortClosesItsLineFirst) {
    port.Open();
    ASSERT_TRUE(port.IsOpen());
    port.Open();
    EXPECT_TRUE(port.IsOpen()) << "the port's own line does not stand in its way";
    EXPECT_EQ(line.openCount(), 2);
    port.Close();
    EXPECT_FALSE(line.hostOpen()) << "no line is left open behind the port's back";
}

TEST_F(PortObject, AFrameGoesOutWholeOrSaysWhetherAnyOfItWent) {
    const std::string frame = "\xff:1;10;16;2;4;53164\r";
    struct Case {
        const char* what;
        std::size_t capacity;  // bytes the line takes before the far end reads
        bool farEndReads;      // while the port waits for room
        bool result;
        std::string arrives;
    } cases[] = {
        {"room for all of it", 1000, false, true, frame},
        {"the far end makes room while the port waits", 5, true, true, frame},
        {"the line stays full after a part went out", 5, false, true, frame.substr(0, 5)},
        {"the line is full before anything went out", 0, false, false, ""},
    };
    for (const Case& c : cases) {
        port.Open();
        line.setCapacity(c.capacity);
        std::string arrived;
        line.onHostWaitsForRoom([&](int) {
            if (c.farEndReads) arrived += line.takeFromHost();
        });
        EXPECT_EQ(port.Write(frame.data(), static_cast<int>(frame.size())) != 0, c.result) << c.what;
        arrived += line.takeFromHost();
        EXPECT_EQ(Visible(arrived), Visible(c.arrives)) << c.what;
        port.Close();
    }
}

TEST_F(PortObject, AFullLineIsWaitedForAtMostTheFramesWireTimeAndAMargin) {
    std::uint32_t now = 5000;
    const platform::ClockHooks previous = platform::SetClockHooks({[&] { return now; }, {}, {}});
    const std::string frame(30, 'x');
    // 30 characters of ten bits at 9600 baud: 31.25 ms, rounded up.
    const int bound = 32 + static_cast<int>(platform::kWriteMarginMs);
    std::vector<int> waits;
    port.Open();
    line.setCapacity(5);
    line.onHostWaitsForRoom([&](int timeoutMs) {
        waits.push_back(timeoutMs);
        line.takeFromHost();
        now += 50;
    });
    EXPECT_NE(port.Write(frame.data(), static_cast<int>(frame.size())), 0) << "part of the frame went out";
    EXPECT_EQ(waits, (std::vector<int>{bound, bound - 50, bound - 100}));
    platform::SetClockHooks(previous);
}

TEST_F(PortObject, PortExistsIsFalseWhileThePortIsHeld) {
    EXPECT_TRUE(PortExists(2));
    EXPECT_FALSE(line.hostOpen()) << "the probe closes at once";
    port.Open();
    EXPECT_FALSE(PortExists(2));
}

// The same over the kernel: a published pseudo-terminal with the simulated instrument behind it.
class PublishedPort : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.ok());
        ASSERT_TRUE(host.publish(ports.path(), 4));
        port.PortNumber = 4;
        TimeoutTicks = -1;
        WorkStep = 0;
    }
    std::string receiveAnswer() {
        std::string bytes;
        char buffer[256];
        WaitUntil([&] {
            host.service(0);
            std::memset(buffer, 0, sizeof buffer);
            const int n = port.Read(buffer, sizeof buffer);
            if (n > 0) bytes.append(buffer, static_cast<std::size_t>(n));
            return !bytes.empty() && bytes.back() == '\r';
        });
        return bytes;
    }

    testing_support::PortsFolderScope ports;
    testing_support::LockFolderScope locks;
    sim::Instrument instrument{1};
    sim::PtyHost host{instrument};
    TMyComm port;
};

TEST_F(PublishedPort, ARequestThroughThePortObjectIsAnsweredAndParsed) {
    instrument.setWord(3, 30, 4711);
    ASSERT_NE(SendRequest(port, 1, CmdRead, 30, 3, 2), 0);
    const std::string answer = receiveAnswer();
    EXPECT_EQ(instrument.requests(), std::vector<std::string>{"1;10;30;3;2;"});

    char data[kAnswerBufferSize];
    TAnswerParser parser;
    parser.Data = data;
    ResetAnswerParser(parser);
    int complete = 0;
    for (char c : answer) complete += ParseAnswerByte(static_cast<std::uint8_t>(c), parser) ? 1 : 0;
    EXPECT_EQ(complete, 1) << Visible(answer);
    EXPECT_EQ(std::string(parser.Data), "4711");
}

TEST_F(PublishedPort, AReadTakesNoMoreThanItsBufferLessTwo) {
    ASSERT_NE(SendRequest(port, 1, CmdRead, 16, 2, 4), 0);
    // 32 bytes of settings as hexadecimal text, framed: at least 69 bytes.
    ASSERT_TRUE(WaitUntil([&] {
        host.service(0);
        return port.Handle->available() >= 69;
    }));
    const int answer = port.Handle->available();
    char buffer[20];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(port.Read(buffer, sizeof buffer), 18);
    EXPECT_EQ(buffer[18], 0);
    EXPECT_EQ(port.Handle->available(), answer - 18) << "the rest waits for the next read";
}

TEST_F(PublishedPort, IsHeldExclusivelyWhileOpen) {
    EXPECT_TRUE(PortExists(4));
    port.Open();
    ASSERT_TRUE(port.IsOpen());
    EXPECT_FALSE(PortExists(4));
    TMyComm second;
    second.PortNumber = 4;
    second.Open();
    EXPECT_FALSE(second.IsOpen());
    port.Close();
    EXPECT_TRUE(PortExists(4));
}

TEST_F(PublishedPort, OpeningItAgainLeavesNoLineAndNoLockFileBehind) {
    const std::string lockFile = platform::LockFilePath(host.devicePath());
    port.Open();
    port.Open();
    ASSERT_TRUE(port.IsOpen());
    EXPECT_TRUE(std::filesystem::exists(lockFile));
    port.Close();
    EXPECT_FALSE(std::filesystem::exists(lockFile));
    EXPECT_NE(platform::OpenSerialLine(host.devicePath(), {}), nullptr) << "nothing of ours holds the line";
}

TEST_F(PublishedPort, IsAbsentWhileAnotherProgramHasItOpen) {
    {
        testing_support::OtherProcess other(host.devicePath());
        ASSERT_TRUE(other.ok());
        EXPECT_FALSE(PortExists(4));
        port.Open();
        EXPECT_FALSE(port.IsOpen());
    }
    EXPECT_TRUE(PortExists(4));
}

TEST_F(PublishedPort, AWriteDiscardsAnAnswerThatArrivedUnread) {
    ASSERT_NE(SendRequest(port, 1, CmdRead, 259, 0, 1), 0);
    const std::size_t firstAnswer = sim::Instrument::DataAnswer(1, "43").size();
    WaitUntil([&] {
        host.service(0);
        return port.Handle->available() == static_cast<int>(firstAnswer);
    });
    ASSERT_EQ(port.Handle->available(), static_cast<int>(firstAnswer));

    ASSERT_NE(SendRequest(port, 1, CmdRead, 262, 0, 1), 0);
    EXPECT_EQ(port.Handle->available(), 0);
    EXPECT_EQ(Visible(receiveAnswer()), Visible(sim::Instrument::DataAnswer(1, "6")));
    EXPECT_EQ(instrument.requests(), (std::vector<std::string>{"1;10;259;0;1;", "1;10;262;0;1;"}));
}

}  // namespace
