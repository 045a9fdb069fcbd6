#include <gtest/gtest.h>

#include <vector>

#include "link/exchange_engine.h"
#include "link/my_comm.h"
#include "link/serial232.h"
#include "platform/serial/serial_line.h"
#include "platform/system/clock.h"
#include "sim/hosts.h"
#include "tests/support/temp_folder.h"

namespace {

// Two simulated instruments published as COM5 and COM6 in a ports folder of the test's own.
class SelectPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(hostA.publish(ports.path(), 5));
        ASSERT_TRUE(hostB.publish(ports.path(), 6));
        previous = platform::SetClockHooks({{}, [this](unsigned ms) { slept.push_back(ms); }, {}});
    }
    void TearDown() override { platform::SetClockHooks(previous); }

    testing_support::PortsFolderScope ports;
    sim::Instrument a{1}, b{2};
    sim::PtyHost hostA{a}, hostB{b};
    TMyComm port;
    std::vector<unsigned> slept;
    platform::ClockHooks previous;
};

TEST_F(SelectPortTest, MakesTheNumberCurrentAndOpensIt) {
    EXPECT_EQ(SelectPort(port, 5), 5);
    EXPECT_TRUE(port.IsOpen());
    EXPECT_EQ(port.PortNumber, 5);
    EXPECT_EQ(port.Name, "COM5");
    EXPECT_EQ(SelectPort(port, 5), 5) << "the open current port is kept";
    EXPECT_TRUE(slept.empty());

    EXPECT_EQ(SelectPort(port, 6), 6);
    EXPECT_EQ(port.PortNumber, 6);
    EXPECT_TRUE(port.IsOpen());
    EXPECT_EQ(slept, (std::vector<unsigned>{1, 200})) << "the old port is closed and given time first";
    EXPECT_TRUE(PortExists(5)) << "COM5 is free again";
}

TEST_F(SelectPortTest, LeavesEverythingAsItWasForAPortThatIsNotThere) {
    ASSERT_EQ(SelectPort(port, 5), 5);
    EXPECT_EQ(SelectPort(port, 9), 0);
    EXPECT_EQ(port.PortNumber, 5);
    EXPECT_TRUE(port.IsOpen());

    auto holder = platform::OpenSerialLine(hostB.devicePath(), {});
    ASSERT_NE(holder, nullptr);
    EXPECT_EQ(SelectPort(port, 6), 0) << "a port another program holds counts as absent";
    EXPECT_EQ(port.PortNumber, 5);
}

TEST_F(SelectPortTest, OpensPortsAboveNine) {
    ASSERT_TRUE(hostB.publish(ports.path(), 12));
    EXPECT_EQ(SelectPort(port, 12), 12);
    EXPECT_EQ(port.Name, "COM12") << "the open names it plainly again";
}

TEST_F(SelectPortTest, ReopenPortGivesTheLineAFreshOpen) {
    port.PortNumber = 5;
    EXPECT_EQ(ReopenPort(port), 0);
    ASSERT_TRUE(port.IsOpen());
    EXPECT_FALSE(PortExists(5)) << "held by the workstation";
    EXPECT_EQ(ReopenPort(port), 0);
    EXPECT_TRUE(port.IsOpen());
    EXPECT_EQ(slept, (std::vector<unsigned>{1, 200}));

    auto holder = platform::OpenSerialLine(hostB.devicePath(), {});
    port.Close();
    port.PortNumber = 6;
    EXPECT_EQ(ReopenPort(port), 0) << "a port that will not open is no failure of the reopen";
    EXPECT_FALSE(port.IsOpen());
}

}  // namespace
