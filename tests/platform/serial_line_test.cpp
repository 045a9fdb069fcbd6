#include <gtest/gtest.h>

#include <string>

#include "platform/pseudo_terminal.h"
#include "platform/serial_line.h"
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
    ASSERT_TRUE(line->write(reinterpret_cast<const std::uint8_t*>(frame.data()), frame.size()));
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

TEST(SerialLine, RefusesWhatIsNotATerminal) {
    EXPECT_EQ(platform::OpenSerialLine("/dev/null", {}), nullptr);
    EXPECT_EQ(platform::OpenSerialLine("/nonexistent/tty", {}), nullptr);
    platform::PseudoTerminal pty;
    platform::LineSettings odd;
    odd.baudRate = 12345;
    EXPECT_EQ(platform::OpenSerialLine(pty.devicePath(), odd), nullptr);
}

}  // namespace
