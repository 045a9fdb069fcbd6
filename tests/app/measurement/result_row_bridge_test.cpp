#include "app/measurement/result_row_bridge.h"

#include <gtest/gtest.h>

#include <QString>
#include <vector>

#include "app/model/current_row.h"
#include "app/model/record_fields.h"
#include "app/model/setup_record.h"
#include "platform/class_library/utf8_literal.h"
#include "tests/support/printers.h"
#include "tests/support/qt_application.h"
#include "tests/support/scripted_dialogs.h"

namespace {

struct Point {
    int channel;
    float error;
    float measured;
    float reference;
    int protocolRow;
};

// The bridge between a current row (reference 100 kPa; channel 2 measured 0.101 with an error of
// 0.1) and hooks that record what reaches the results page.
class ResultRowBridge : public ::testing::Test {
  protected:
    void SetUp() override {
        testing_support::EnsureApplication();
        WriteFloat32(current.data(), MeasBlockOffset(0) + block::Pressure, 100.0f);
        WriteFloat32(current.data(), MeasBlockOffset(2) + block::Pressure, 0.101f);
        WriteFloat32(current.data(), MeasBlockOffset(2) + block::Error, 0.1f);
        hooks.tuneFromForm = [this] {
            ++applies;
            return applyPasses;
        };
        hooks.addResultPoint = [this](int c, float e, float m, float r, int row) {
            points.push_back({c, e, m, r, row});
        };
    }
    void units(const char* text) { SetChannelText(setup.data(), 2, channel::UnitsText, U(text)); }

    testing_support::ScriptedDialogs dialogs;
    testing_support::InstalledDialogs installed{dialogs};
    std::vector<std::uint8_t> setup = std::vector<std::uint8_t>(kSetupRecordSize, 0);
    std::vector<std::uint8_t> current = std::vector<std::uint8_t>(kCurrentRowSize, 0);
    ResultRowHooks hooks;
    bool applyPasses = true;
    int applies = 0;
    std::vector<Point> points;
};

TEST_F(ResultRowBridge, ThePointCarriesTheRowsErrorAndPressureAndTheReferenceInTheChannelsUnits) {
    const struct {
        const char* units;
        float reference;
        std::vector<QString> messages;
    } cases[] = {
        {"МПа", 0.1f, {}},
        {"  кПа", 100.0f, {}},
        {"мм.рт.ст.", 750.06158f, {}},
        {"КПА", 100.0f, {U("Не найдена единица измерения !!!")}},
    };
    for (const auto& c : cases) {
        units(c.units);
        points.clear();
        dialogs.shown.clear();
        EXPECT_TRUE(AddResultRows(hooks, setup.data(), current.data(), {2}, 7));
        ASSERT_EQ(points.size(), 1u) << c.units;
        EXPECT_EQ(points[0].channel, 2);
        EXPECT_EQ(points[0].error, 0.1f);
        EXPECT_EQ(points[0].measured, 0.101f);
        EXPECT_FLOAT_EQ(points[0].reference, c.reference) << c.units;
        EXPECT_EQ(points[0].protocolRow, 7);
        EXPECT_EQ(dialogs.texts(), c.messages) << c.units;
    }
}

TEST_F(ResultRowBridge, OnePressAppliesTheSetupOnceForAllItsChannels) {
    units("МПа");
    SetChannelText(setup.data(), 4, channel::UnitsText, U("кПа"));
    EXPECT_TRUE(AddResultRows(hooks, setup.data(), current.data(), {2, 4}, 3));
    EXPECT_EQ(applies, 1);
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(points[0].channel, 2);
    EXPECT_FLOAT_EQ(points[0].reference, 0.1f);
    EXPECT_EQ(points[1].channel, 4);
    EXPECT_FLOAT_EQ(points[1].reference, 100.0f);
    EXPECT_EQ(points[1].protocolRow, 3);
}

TEST_F(ResultRowBridge, NoRowWhenTheSetupDoesNotApplyOrSomethingIsMissing) {
    units("МПа");
    applyPasses = false;
    EXPECT_FALSE(AddResultRows(hooks, setup.data(), current.data(), {1, 2}, 0))
        << "the press records nothing";
    EXPECT_EQ(applies, 1) << "one apply, so its messages come once";
    EXPECT_TRUE(points.empty());

    applies = 0;
    ResultRowHooks noResultsPage = hooks;
    noResultsPage.addResultPoint = nullptr;
    ResultRowHooks noSetupPage = hooks;
    noSetupPage.tuneFromForm = nullptr;
    const struct {
        const char* what;
        const ResultRowHooks* hooks;
        const std::uint8_t* setup;
        const std::uint8_t* current;
        std::vector<int> channels;
    } cases[] = {
        {"no channel", &hooks, setup.data(), current.data(), {}},
        {"no set-up record", &hooks, nullptr, current.data(), {2}},
        {"no current row", &hooks, setup.data(), nullptr, {2}},
        {"no results page", &noResultsPage, setup.data(), current.data(), {2}},
        {"no set-up page", &noSetupPage, setup.data(), current.data(), {2}},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(AddResultRows(*c.hooks, c.setup, c.current, c.channels, 0))
            << c.what << ": no row to make holds nothing back";
    }
    EXPECT_EQ(applies, 0);
    EXPECT_TRUE(points.empty());
    applyPasses = true;
    EXPECT_TRUE(AddResultRows(hooks, setup.data(), current.data(), {0, 5}, 0));
    EXPECT_TRUE(points.empty()) << "channels outside 1..4 get no row";
    EXPECT_TRUE(dialogs.shown.empty());
}

}  // namespace
