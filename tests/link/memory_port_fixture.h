#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/exchange_state.h"
#include "link/my_comm.h"
#include "platform/serial/com_ports.h"
#include "platform/serial/memory_line.h"

// The workstation's port on an in-memory line: every COM name opens the host end, and the test
// plays the instrument at the far end.
class MemoryPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetComOpener([this](const std::string& name) {
            openedNames.push_back(name);
            return refuseOpen ? nullptr : line.openHost();
        });
        DevAddr = 1;
        TimeoutTicks = -1;
        WorkStep = 0;
        MainPort = &port;
    }
    void TearDown() override {
        MainPort = nullptr;
        platform::SetComOpener({});
    }

    platform::MemoryLine line;
    TMyComm port;
    std::vector<std::string> openedNames;
    bool refuseOpen = false;
};
