#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "app/model/statistics.h"
#include "platform/class_library/utf8_literal.h"
#include "platform/system/clock.h"
#include "platform/text/number_scan.h"
#include "tests/support/printers.h"

namespace {

// The windows read the injected tick counter; the tests move it by hand.
class StatisticsTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous = platform::SetClockHooks({[this] { return now; }, {}, {}});
        ResetWindow(window);
    }
    void TearDown() override { platform::SetClockHooks(previous); }

    std::int32_t addAt(std::uint32_t tick, float x) {
        now = tick;
        return AddSample(window, x);
    }

    std::uint32_t now = 0;
    StatWindow window{};
    platform::ClockHooks previous;
};

using StatWindowTest = StatisticsTest;

TEST_F(StatWindowTest, KeepsTwelveSecondsWhereverTheCounterStands) {
    struct Case {
        const char* what;
        std::uint32_t start;
    } cases[] = {
        {"at boot", 0},
        {"seconds after boot", 3000},
        {"the window straddling the wrap", 0xFFFFF000u},
        {"the last tick before the wrap", 0xFFFFFFFFu},
        {"in the middle of the count", 1000000},
    };
    for (const Case& c : cases) {
        ResetWindow(window);
        ASSERT_EQ(addAt(c.start, 1.0f), 0) << c.what;
        ASSERT_EQ(addAt(c.start + 12000u, 3.0f), 0) << c.what;
        EXPECT_EQ(window.SampleCount, 2) << c.what << ": a sample exactly 12 s old stays";
        EXPECT_FLOAT_EQ(window.Mean, 2.0f) << c.what;
        ASSERT_EQ(addAt(c.start + 12001u, 5.0f), 0) << c.what;
        EXPECT_EQ(window.SampleCount, 2) << c.what << ": a sample 12.001 s old is gone";
        EXPECT_FLOAT_EQ(window.Min, 3.0f) << c.what;
        EXPECT_FLOAT_EQ(window.Max, 5.0f) << c.what;
        EXPECT_FLOAT_EQ(window.Mean, 4.0f) << c.what;

        // At the cycle's pace of one sample a second the window settles at 13 samples.
        ResetWindow(window);
        for (std::uint32_t k = 0; k < 30; ++k) {
            ASSERT_EQ(addAt(c.start + 1000u * k, static_cast<float>(k)), 0) << c.what;
            const std::uint32_t expected = std::min<std::uint32_t>(k + 1, 13);
            ASSERT_EQ(window.SampleCount, static_cast<std::int32_t>(expected)) << c.what << ", sample " << k;
            EXPECT_FLOAT_EQ(window.Min, static_cast<float>(k + 1 - expected)) << c.what << ", sample " << k;
            EXPECT_FLOAT_EQ(window.Max, static_cast<float>(k)) << c.what << ", sample " << k;
        }
    }
}

TEST_F(StatWindowTest, AFullRingRefusesUntilItsOldestSampleExpiresThenGoesOnAtSlotZero) {
    const std::uint32_t start = 0xFFFFFFFFu - 5000u;  // the stamps cross the wrap
    for (int i = 0; i < kWindowSlots; ++i) {
        ASSERT_EQ(addAt(start + 50u * static_cast<std::uint32_t>(i), static_cast<float>(i)), 0) << i;
    }
    EXPECT_EQ(window.SampleCount, 200);
    EXPECT_EQ(window.NextSlot, 200);
    EXPECT_TRUE(std::all_of(std::begin(window.Slots), std::end(window.Slots),
                            [](const SampleSlot& s) { return s.Valid == 1; }));
    const StatWindow full = window;

    EXPECT_EQ(addAt(start + 12000u, 1000.0f), -2);
    EXPECT_EQ(window.SampleCount, 200);
    EXPECT_EQ(window.Mean, full.Mean);
    EXPECT_EQ(window.StdError, full.StdError);
    EXPECT_EQ(window.Min, full.Min);
    EXPECT_EQ(window.Max, full.Max);
    EXPECT_EQ(window.NextSlot, 200);

    ASSERT_EQ(addAt(start + 12001u, 1000.0f), 0) << "sample 0 has expired";
    EXPECT_EQ(window.SampleCount, 200);
    EXPECT_EQ(window.NextSlot, 1);
    EXPECT_EQ(window.Slots[0].Value, 1000.0f);
    EXPECT_EQ(window.Slots[0].Stamp, start + 12001u);
    EXPECT_FLOAT_EQ(window.Min, 1.0f);
    EXPECT_FLOAT_EQ(window.Max, 1000.0f);
}

TEST_F(StatWindowTest, RefusesValuesBeyondTheLimitsAndLeavesTheWindowAlone) {
    addAt(1000, 10.0f);
    addAt(2000, 12.0f);
    now = 60000;  // both samples are old enough to expire, but a refused sample expires nothing
    StatWindow before;
    std::memcpy(&before, &window, sizeof window);
    const float refused[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                             -std::numeric_limits<float>::infinity(), std::numeric_limits<float>::max(),
                             9.1e30f, -9.1e30f};
    for (const float x : refused) {
        EXPECT_TRUE(IsOutOfRange(x)) << x;
        EXPECT_EQ(AddSample(window, x), -1) << x;
        EXPECT_EQ(std::memcmp(&before, &window, sizeof window), 0) << x;
    }
    for (const float x : {0.0f, -8.9e30f, 8.9e30f, 1e-38f}) EXPECT_FALSE(IsOutOfRange(x)) << x;
}

TEST_F(StatWindowTest, StatisticsOfTheFirstSamplesAndAWindowThatThinsOut) {
    ASSERT_EQ(addAt(100, 7.5f), 0);
    EXPECT_EQ(window.SampleCount, 1);
    EXPECT_EQ(window.Mean, 7.5f);
    EXPECT_EQ(window.Min, 7.5f);
    EXPECT_EQ(window.Max, 7.5f);
    EXPECT_EQ(window.StdError, 0.0f);

    ResetWindow(window);
    EXPECT_EQ(window.WindowMs, 12000);
    addAt(100, 1.0f);
    addAt(1100, 3.0f);
    EXPECT_EQ(window.Mean, 2.0f);
    EXPECT_EQ(window.StdError, 1.0f) << "sqrt(S / ((n - 1) n)) with S = 2, n = 2";

    // Left with one sample the window keeps the standard error it had.
    addAt(1100 + 12001, 4.0f);
    EXPECT_EQ(window.SampleCount, 1);
    EXPECT_EQ(window.Mean, 4.0f);
    EXPECT_EQ(window.StdError, 1.0f);
}

TEST(RootSumSquare, AddsSquaresBeyondSinglePrecision) {
    struct Case {
        float a, b, c, d, e, f;
        double expected;
    } cases[] = {
        {3, 4, 0, 0, 0, 0, 5.0},
        {0, 0, 0, 0, 0, 0, 0.0},
        {1, 1, 1, 1, 1, 1, std::sqrt(6.0)},
        {-3, 0, 0, 0, 0, -4, 5.0},
        {3e20f, 4e20f, 0, 0, 0, 0, 5e20},    // the squares overflow a float
        {3e-30f, 4e-30f, 0, 0, 0, 0, 5e-30},  // and underflow it
    };
    for (const Case& c : cases) {
        EXPECT_FLOAT_EQ(RootSumSquare(c.a, c.b, c.c, c.d, c.e, c.f), static_cast<float>(c.expected))
            << c.a << " " << c.b << " " << c.f;
    }
}

TEST(TypedResolution, IsOneDigitOfTheLastPlaceTyped) {
    struct Case {
        QString text;
        float expected;
    } cases[] = {
        {QString(), 0.0f}, {U(""), 0.0f},      {U("12"), 1.0f},     {U("7."), 1.0f},
        {U("12.5"), 0.1f}, {U("3.25"), 0.01f}, {U("100.25"), 0.01f}, {U("0.1003"), 0.0001f},
        {U("-0.5"), 0.1f}, {U("1.2.3"), 0.001f},
    };
    for (const Case& c : cases) EXPECT_FLOAT_EQ(TypedResolution(c.text), c.expected) << c.text.toStdString();
}

TEST(BudgetInputs, ClassAndOutputRangeAsTheSetUpNamesThem) {
    EXPECT_EQ(std::bit_cast<std::uint32_t>(ReferenceClassPercent(0)), 0x3CA3D70Au);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(ReferenceClassPercent(1)), 0x3CF5C28Fu);
    for (const int index : {2, -1, 7}) {
        EXPECT_EQ(std::bit_cast<std::uint32_t>(ReferenceClassPercent(index)), 0x3D4CCCCDu) << index;
    }

    struct Case {
        const char* output;
        float upper, lower;
        std::int32_t noOutput;
    } cases[] = {
        {"0 - 5 мА", 5, 0, 0},      {"4 - 20 мА", 20, 4, 0},   {"5 - 0 мА", 0, 5, 0},
        {"20 - 4 мА", 4, 20, 0},    {"  4 - 20 мА ", 20, 4, 0}, {"- нет -", 1.5f, 2.5f, 1},
        {"что-то иное", 1.5f, 2.5f, 0},  // unknown: the currents of the previous start stay
    };
    for (const Case& c : cases) {
        UncertaintyBudget budget{};
        budget.CurrentAtUpper = 1.5f;
        budget.CurrentAtLower = 2.5f;
        budget.NoOutput = 1;
        SetOutputCurrents(budget, U(c.output));
        EXPECT_EQ(budget.CurrentAtUpper, c.upper) << c.output;
        EXPECT_EQ(budget.CurrentAtLower, c.lower) << c.output;
        EXPECT_EQ(budget.NoOutput, c.noOutput) << c.output;
    }
}

// One budget over a reference window and a channel window, filled the way the measurement page does.
class BudgetTest : public StatisticsTest {
protected:
    void SetUp() override {
        StatisticsTest::SetUp();
        ResetWindow(channel);
        budget.RefWindow = &window;
        budget.ChannelWindow = &channel;
        budget.ClassPercent = ReferenceClassPercent(0);
        budget.UnitsFactor = 1.0f;
        budget.RefUnitsFactor = 1.0f;
    }
    StatWindow channel{};
    UncertaintyBudget budget{};
};

TEST_F(BudgetTest, ReferenceTermsInKilopascal) {
    EXPECT_EQ(ExpandedUncertainty(budget, 0.0f), 0.0f);
    EXPECT_EQ(budget.RefRangeTerm, 0.0f) << "empty reference window";
    EXPECT_EQ(budget.RefClassTerm, 0.0f) << "empty reference window";

    addAt(1000, 100.0f);
    ExpandedUncertainty(budget, 0.0f);
    EXPECT_NEAR(budget.RefClassTerm, 0.0066667, 1e-7) << "100 kPa x 0.02 % / 3";

    // Hand entry: one step of the last typed digit, uniform over that step, taken to kPa.
    struct Case {
        const char* typed;
        float refUnitsFactor;
        double expectedKPa;
    } cases[] = {
        {"100.25", 1.0f, 0.01 / std::sqrt(3.0)},
        {"0.1003", 1000.0f, 0.1 / std::sqrt(3.0)},        // МПа: 0.0001 MPa = 0.1 kPa
        {"12", 98.0665f, 98.0665 / std::sqrt(3.0)},       // кгс/см2, whole units typed
        {"760.5", 0.13332237f, 0.013332237 / std::sqrt(3.0)},  // мм.рт.ст.
    };
    budget.HandEntry = 1;
    for (const Case& c : cases) {
        budget.Resolution = TypedResolution(U(c.typed));
        budget.RefUnitsFactor = c.refUnitsFactor;
        ExpandedUncertainty(budget, 0.0f);
        EXPECT_NEAR(budget.RefClassTerm, c.expectedKPa, c.expectedKPa * 1e-6) << c.typed;
    }
}

TEST_F(BudgetTest, CurrentTermIsTheCurrentErrorOverTheSpanInKilopascal) {
    struct Case {
        const char* what;
        const char* output;
        float lower, upper, unitsFactor, current;
        double expectedKPa;
    } cases[] = {
        // (0.0001 I + 0.001) mA, over the slope dI/dP, /3; dP in the channel's units, then to kPa.
        {"kPa channel 0..100, 4-20 mA at 12 mA", "4 - 20 мА", 0, 100, 1.0f, 12.0f, 0.0022 / (3 * 0.16)},
        {"MPa channel 0..1, 4-20 mA at 12 mA", "4 - 20 мА", 0, 1, 1000.0f, 12.0f, 0.0022 / (3 * 16.0) * 1000},
        {"bar channel 10..0, 5-0 mA at 1 mA", "5 - 0 мА", 10, 0, 100.0f, 1.0f, 0.0011 / (3 * 0.5) * 100},
    };
    addAt(1000, 50.0f);
    for (const Case& c : cases) {
        budget.LowerLimit = c.lower;
        budget.UpperLimit = c.upper;
        budget.UnitsFactor = c.unitsFactor;
        SetOutputCurrents(budget, U(c.output));
        ExpandedUncertainty(budget, c.current);
        EXPECT_NEAR(budget.CurrentTerm, c.expectedKPa, c.expectedKPa * 1e-6) << c.what;
        EXPECT_FLOAT_EQ(budget.ChannelU, budget.CurrentTerm) << c.what << ": the channel window is empty";
    }

    // Equal limits leave the term of the last sweep.
    const float last = budget.CurrentTerm;
    budget.UpperLimit = budget.LowerLimit;
    ExpandedUncertainty(budget, 4.0f);
    EXPECT_EQ(budget.CurrentTerm, last);

    // Without a current output only the channel's scatter counts.
    now = 2000;
    AddSample(channel, 10.0f);
    now = 3000;
    AddSample(channel, 10.5f);
    SetOutputCurrents(budget, U("- нет -"));
    ExpandedUncertainty(budget, 12.0f);
    EXPECT_EQ(budget.CurrentTerm, 0.0f);
    EXPECT_EQ(budget.ChannelU, channel.StdError);
}

TEST(ExpandedUncertainty, ABudgetWithoutWindowsCountsThemEmpty) {
    UncertaintyBudget budget{};
    EXPECT_EQ(ExpandedUncertainty(budget, 12.0f), 0.0f);
    EXPECT_EQ(budget.RefU, 0.0f);
    EXPECT_EQ(budget.ChannelU, 0.0f);
}

// A whole run: sweeps 1.5 s apart, starting just before the tick counter wraps, each feeding the
// reference and the channel in kPa and then computing U as the measurement cycle does. The expected
// values are worked out here from the definitions, independently of the code under test and in the
// channel's own units (the code works in kPa): over the samples at most 12 s old, two-pass mean and
// sqrt(sum((x - mean)^2) / (n (n - 1))) in double, the spread term (max - min) / (2 sqrt 3), the class
// term max x class % / 100 / 3 or, in hand entry, 10^-digits / sqrt 3 converted from the reference's
// units, the current term (0.0001 I + 0.001) / (3 dI / dP), and U = 2 sqrt(sum of the squares).
struct RunCase {
    const char* what;
    std::vector<const char*> reference;  // texts in the reference's units, as read or typed
    bool handEntry;
    float refUnitsFactor;
    int classIndex;
    double classPercent;
    std::vector<double> channel;  // channel pressures in the channel's units
    float unitsFactor;
    float lower, upper;
    const char* output;
    double currentUpper, currentLower;
    float current;  // mA, passed at every sweep
};

struct Expected {
    double mean = 0, stdError = 0, min = 0, max = 0;
};

Expected TwoPass(const std::vector<double>& x) {
    Expected e;
    for (const double v : x) e.mean += v;
    e.mean /= static_cast<double>(x.size());
    double s = 0;
    for (const double v : x) s += (v - e.mean) * (v - e.mean);
    const double n = static_cast<double>(x.size());
    e.stdError = std::sqrt(s / (n * (n - 1)));
    e.min = *std::min_element(x.begin(), x.end());
    e.max = *std::max_element(x.begin(), x.end());
    return e;
}

TEST_F(BudgetTest, AKnownRunMatchesTheDefinitionsForKilopascalAndMegapascalChannels) {
    const RunCase cases[] = {
        {"kPa channel, reference read in kPa",
         {"100.02", "99.97", "100.05", "100.01", "99.96", "100.03", "99.99", "100.04", "100.00", "99.98", "100.06"},
         false, 1.0f, 0, 0.02,
         {100.11, 100.07, 100.14, 100.09, 100.05, 100.12, 100.08, 100.13, 100.10, 100.06, 100.15},
         1.0f, 0.0f, 250.0f, "4 - 20 мА", 20, 4, 10.4f},
        {"MPa channel, reference read in kPa",
         {"100.02", "99.97", "100.05", "100.01", "99.96", "100.03", "99.99", "100.04", "100.00", "99.98", "100.06"},
         false, 1.0f, 1, 0.03,
         {0.10012, 0.10004, 0.10019, 0.10008, 0.10001, 0.10015, 0.10006, 0.10017, 0.10010, 0.10003, 0.10020},
         1000.0f, 0.0f, 1.0f, "0 - 5 мА", 5, 0, 0.5f},
        {"kPa channel, reference typed in MPa",
         {"0.1003", "0.1002", "0.1004", "0.1003", "0.1003", "0.1002", "0.1004", "0.1003", "0.1002", "0.1003"},
         true, 1000.0f, 2, 0.05,
         {100.31, 100.27, 100.35, 100.29, 100.33, 100.26, 100.36, 100.30, 100.28, 100.34},
         1.0f, 0.0f, 160.0f, "20 - 4 мА", 4, 20, 9.0f},
        {"MPa channel, reference typed in MPa",
         {"0.100", "0.101", "0.100", "0.099", "0.100", "0.101", "0.100", "0.100", "0.099", "0.100"},
         true, 1000.0f, 0, 0.02,
         {0.10012, 0.10104, 0.10019, 0.09908, 0.10001, 0.10115, 0.10006, 0.10017, 0.09910, 0.10003},
         1000.0f, -0.1f, 0.4f, "4 - 20 мА", 20, 4, 7.2f},
    };
    const std::uint32_t start = 0xFFFFFFFFu - 6000u;
    const std::uint32_t pace = 1500;
    for (const RunCase& c : cases) {
        ASSERT_EQ(c.reference.size(), c.channel.size()) << c.what;
        ResetWindow(window);
        ResetWindow(channel);
        budget = UncertaintyBudget{};
        budget.RefWindow = &window;
        budget.ChannelWindow = &channel;
        budget.HandEntry = c.handEntry ? 1 : 0;
        budget.ClassPercent = ReferenceClassPercent(c.classIndex);
        budget.LowerLimit = c.lower;
        budget.UpperLimit = c.upper;
        budget.UnitsFactor = c.unitsFactor;
        SetOutputCurrents(budget, U(c.output));

        std::vector<double> refFed, channelFed;  // what the windows receive, in kPa
        for (std::size_t k = 0; k < c.reference.size(); ++k) {
            now = start + pace * static_cast<std::uint32_t>(k);
            const float typed = static_cast<float>(*platform::ScanDecimal(c.reference[k]));
            if (c.handEntry) {
                budget.Resolution = TypedResolution(U(c.reference[k]));
                budget.RefUnitsFactor = c.refUnitsFactor;
            }
            const float refKPa = typed * c.refUnitsFactor;
            const float channelKPa = static_cast<float>(c.channel[k]) * c.unitsFactor;
            ASSERT_EQ(AddSample(window, refKPa), 0) << c.what;
            ASSERT_EQ(AddSample(channel, channelKPa), 0) << c.what;
            ExpandedUncertainty(budget, c.current);
            refFed.push_back(refKPa);
            channelFed.push_back(channelKPa);
        }

        // Independently, in the channel's units, over the samples no older than 12 s.
        const double toChannel = 1.0 / c.unitsFactor;
        const std::size_t kept = 12000 / pace + 1;
        ASSERT_LT(kept, c.reference.size()) << c.what << ": the run outlasts the window";
        std::vector<double> refInWindow, channelInWindow;
        for (std::size_t k = c.reference.size() - kept; k < c.reference.size(); ++k) {
            refInWindow.push_back(refFed[k] * toChannel);
            channelInWindow.push_back(static_cast<double>(static_cast<float>(c.channel[k])));
        }
        const Expected ref = TwoPass(refInWindow);
        const Expected chan = TwoPass(channelInWindow);
        const double refRange = (ref.max - ref.min) / (2 * std::sqrt(3.0));
        double refClass = ref.max * c.classPercent / 100 / 3;
        if (c.handEntry) {
            const std::string last = c.reference.back();
            const double digits = static_cast<double>(last.size() - last.find('.') - 1);
            refClass = std::pow(10.0, -digits) * c.refUnitsFactor * toChannel / std::sqrt(3.0);
        }
        const double slope = std::fabs(c.currentUpper - c.currentLower) / std::fabs(double{c.upper} - c.lower);
        const double currentTerm = (0.0001 * c.current + 0.001) / (3 * slope);
        const double u = 2 * std::sqrt(ref.stdError * ref.stdError + refRange * refRange + refClass * refClass +
                                       chan.stdError * chan.stdError + currentTerm * currentTerm);

        const double kPa = c.unitsFactor;
        EXPECT_EQ(window.SampleCount, static_cast<std::int32_t>(kept)) << c.what;
        EXPECT_NEAR(window.Mean, ref.mean * kPa, ref.mean * kPa * 1e-6) << c.what;
        EXPECT_NEAR(channel.Mean, chan.mean * kPa, chan.mean * kPa * 1e-6) << c.what;
        // Single-precision sums of squares keep about five digits of a scatter this small.
        EXPECT_NEAR(budget.RefStdError, ref.stdError * kPa, ref.stdError * kPa * 1e-4 + 1e-9) << c.what;
        EXPECT_NEAR(budget.ChannelStdError, chan.stdError * kPa, chan.stdError * kPa * 1e-4) << c.what;
        EXPECT_NEAR(budget.RefRangeTerm, refRange * kPa, refRange * kPa * 1e-5 + 1e-9) << c.what;
        EXPECT_NEAR(budget.RefClassTerm, refClass * kPa, refClass * kPa * 1e-5) << c.what;
        EXPECT_NEAR(budget.CurrentTerm, currentTerm * kPa, currentTerm * kPa * 1e-5) << c.what;
        // The page shows U in the channel's units.
        const double shown = budget.Expanded / kPa;
        EXPECT_NEAR(shown, u, u * 1e-4) << c.what;
    }
}

}  // namespace
