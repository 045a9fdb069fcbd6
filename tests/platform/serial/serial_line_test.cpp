#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/serial/pseudo_terminal.h"
#include "platform/serial/serial_line.h"
#include "tests/support/temp_folder.h"

namespace {

std::string ReadAll(platform::ByteStream& line) {
    std::string bytes;
    std::uint8_t buffer[256];
    const int n = line.read(buffer, sizeof buffer);
    if (n > 0) bytes.assign(reinterpret_cast<char*>(buffer), static_cast<std::size_t>(n));
    return bytes;
}

// The far end's bytes are in the near end's queue once poll says so.
std::string FarEndReceives(platform::PseudoTerminal& pty) {
    pty.waitReadable(1000);
    return pty.readAvailable();
}

TEST(SerialLine, OpensAPseudoTerminalExclusively) {
    platform::PseudoTerminal pty;
    ASSERT_TRUE(pty.ok());
    auto first = platform::OpenSerialLine(pty.devicePath(), {});
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(platform::OpenSerialLine(pty.devicePath(), {}), nullptr) << "a second open must fail, also for root";
    first.reset();
    EXPECT_NE(platform::OpenSerialLine(pty.devicePath(), {}), nullptr) << "closing frees the port";
}

TEST(SerialLine, IsRawInBothDirections) {
    platform::PseudoTerminal pty;
    auto line = platform::OpenSerialLine(pty.devicePath(), {});
    ASSERT_NE(line, nullptr);
    const std::string frame("\xff:1;10;16;2;4;53164\r\n\x11\x13\x03", 24);
    ASSERT_EQ(line->write(reinterpret_cast<const std::uint8_t*>(frame.data()), frame.size()), frame.size());
    EXPECT_EQ(FarEndReceives(pty), frame);

    ASSERT_TRUE(pty.write(frame));
    std::string got;
    testing_support::WaitUntil([&] {
        got += ReadAll(*line);
        return got.size() >= frame.size();
    });
    EXPECT_EQ(got, frame) << "no CR/LF translation, no flow-control characters taken";
}

TEST(SerialLine, ReadsOnlyWhatHasArrivedAndDiscardDropsIt) {
    platform::PseudoTerminal pty;
    auto line = platform::OpenSerialLine(pty.devicePath(), {});
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->available(), 0);
    EXPECT_EQ(ReadAll(*line), "") << "a read with nothing queued returns at once";

    ASSERT_TRUE(pty.write("old answer"));
    testing_support::WaitUntil([&] { return line->available() == 10; });
    ASSERT_EQ(line->available(), 10);
    line->discard();
    EXPECT_EQ(line->available(), 0);
    EXPECT_EQ(ReadAll(*line), "");
}

TEST(SerialLine, TakesWhatFitsWhileTheFarEndDoesNotReadAndWaitsForRoom) {
    platform::PseudoTerminal pty;
    auto line = platform::OpenSerialLine(pty.devicePath(), {});
    ASSERT_NE(line, nullptr);
    const std::vector<std::uint8_t> chunk(4096, 'a');
    std::size_t taken = 0;
    int n = 0;
    // The kernel passes bytes on to the far end's buffer in the background, so a line that was full
    // may take more a moment later; fill it until it stays full.
    bool full = false;
    for (int attempt = 0; attempt < 1000 && !full; ++attempt) {
        while ((n = line->writeSome(chunk.data(), chunk.size())) > 0) taken += static_cast<std::size_t>(n);
        ASSERT_EQ(n, 0) << "a full line takes nothing and says so, it does not fail";
        full = !line->waitWritable(0);
    }
    EXPECT_GT(taken, 0u);
    EXPECT_TRUE(full) << "a line whose far end does not read ends up full";

    std::size_t arrived = 0;
    testing_support::WaitUntil([&] {
        arrived += pty.readAvailable().size();
        return arrived == taken;
    });
    EXPECT_EQ(arrived, taken);
    EXPECT_TRUE(line->waitWritable(1000));
    EXPECT_EQ(line->writeSome(chunk.data(), 1), 1);
}

TEST(SerialLine, ALineWhoseFarEndVanishedFailsEveryCall) {
    auto pty = std::make_unique<platform::PseudoTerminal>();
    auto line = platform::OpenSerialLine(pty->devicePath(), {});
    ASSERT_NE(line, nullptr);
    ASSERT_TRUE(pty->write("unread"));
    pty.reset();
    std::uint8_t buffer[16];
    EXPECT_EQ(line->available(), -1) << "the unread bytes went with the far end";
    EXPECT_EQ(line->writeSome(buffer, 1), -1);
    EXPECT_FALSE(line->waitWritable(0));
    EXPECT_EQ(line->write(buffer, 1), 0u) << "nothing went out";
}

TEST(WireTime, CountsStartDataParityAndStopBits) {
    struct Case {
        std::size_t count;
        platform::LineSettings settings;
        std::uint32_t ms;
    } cases[] = {
        {96, {9600, 8, 0, 0}, 100},    // ten bits a character
        {30, {9600, 8, 0, 0}, 32},     // 31.25 rounded up
        {96, {9600, 8, 2, 2}, 120},    // even parity and two stop bits: twelve
        {96, {9600, 7, 1, 0}, 100},    // seven data bits and odd parity: ten
        {1, {115200, 8, 0, 0}, 1},
        {0, {9600, 8, 0, 0}, 0},
        {5120, {1200, 8, 0, 0}, 42667},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform::WireTimeMs(c.count, c.settings), c.ms)
            << c.count << " at " << c.settings.baudRate << " baud, " << c.settings.byteSize << " bits";
    }
}

TEST(SerialLine, RefusesWhatIsNotATerminal) {
    EXPECT_EQ(platform::OpenSerialLine("/dev/null", {}), nullptr);
    EXPECT_EQ(platform::OpenSerialLine("/nonexistent/tty", {}), nullptr);
    platform::PseudoTerminal pty;
    platform::LineSettings odd;
    odd.baudRate = 12345;
    EXPECT_EQ(platform::OpenSerialLine(pty.devicePath(), odd), nullptr);
}

}  // namespace
