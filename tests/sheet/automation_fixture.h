#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <string>

#include "platform/automation/automation.h"
#include "tests/sheet/recording_dispatch.h"

namespace testing_support {

// OLE initialised, "Excel.Application" answered by the recording world, the debug lines
// collected. Every object a test keeps goes into a held VARIANT; at the end those are given back
// and no object of the world may be left alive, so a reference an operation forgot shows up.
class AutomationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(platform::Succeeded(platform::OleInitialize(nullptr)));
        platform::RegisterServer(u"Excel.Application", [this](platform::IDispatch** object) {
            *object = world.NewObject("Excel");
            return platform::S_OK;
        });
    }
    void TearDown() override {
        for (auto& value : held) platform::VariantClear(&value);
        platform::UnregisterServer(u"Excel.Application");
        platform::OleUninitialize();
        EXPECT_EQ(world.alive(), 0) << "references not given back";
    }

    platform::VARIANT* Object(const std::string& label) {
        held.push_back(world.NewVariant(label));
        return &held.back();
    }
    platform::VARIANT* Empty() {
        held.emplace_back();
        platform::VariantInit(&held.back());
        return &held.back();
    }

    RecordingWorld world;
    DebugLines debug;
    std::deque<platform::VARIANT> held;
};

using Lines = std::vector<std::string>;

}  // namespace testing_support
