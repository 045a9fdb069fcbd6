#include "app/controls/graph_thinning.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <set>
#include <utility>
#include <vector>

namespace {

constexpr double kGap = std::numeric_limits<double>::quiet_NaN();
constexpr int kTenHours = 36000;

// Readings that jitter around a slow wave, the same on every run.
std::vector<double> Jittering(int count) {
    std::vector<double> samples;
    std::uint64_t state = 7;
    for (int i = 0; i < count; ++i) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        const double jitter = static_cast<double>(state >> 40) / static_cast<double>(1ULL << 24) - 0.5;
        samples.push_back(100.0 + 10.0 * std::sin(i / 500.0) + jitter);
    }
    return samples;
}

std::vector<QPointF> AllPoints(const std::vector<DrawnLine>& lines) {
    std::vector<QPointF> points;
    for (const DrawnLine& line : lines) points.insert(points.end(), line.begin(), line.end());
    return points;
}

// Every drawn point is a sample at its index, and the points go left to right.
void ExpectSamplesInOrder(const std::vector<DrawnLine>& lines, const std::vector<double>& samples) {
    double previous = -1.0;
    for (const QPointF& point : AllPoints(lines)) {
        ASSERT_GT(point.x(), previous);
        previous = point.x();
        EXPECT_EQ(point.y(), samples[static_cast<std::size_t>(point.x())]) << point.x();
    }
}

TEST(GraphThinning, ColumnStepIsTheLeastPowerOfTwoThatFitsTheSpanIntoTheColumns) {
    const struct {
        double span;
        double columns;
        int step;
    } cases[] = {
        {59.0, 700.0, 1},        {700.0, 700.0, 1},  {701.0, 700.0, 2},
        {1400.0, 700.0, 2},      {1401.0, 700.0, 4}, {35999.0, 700.0, 64},
        {3599.0, 900.0, 4},      {10.0, 0.0, 16},  // no width yet: one column
        {0.0, 700.0, 1},         {-5.0, 700.0, 1},   {kGap, 700.0, 1},
        {1e300, 700.0, 1 << 30},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ColumnStep(c.span, c.columns), c.step) << c.span << " over " << c.columns;
}

TEST(GraphThinning, EveryColumnKeepsItsExtremesSoASpikeInTenHoursIsDrawn) {
    std::vector<double> samples = Jittering(kTenHours);
    samples[20000] = 1000.0;   // a spike of one sample
    samples[30001] = -1000.0;  // and a dip
    ThinnedLines thinned;
    thinned.Cover(samples, 0.0, kTenHours - 1, 700.0);
    ASSERT_EQ(thinned.Step(), 128) << "columns of two pixels";
    ASSERT_EQ(thinned.Lines().size(), 1u);
    ExpectSamplesInOrder(thinned.Lines(), samples);

    const std::vector<QPointF> points = AllPoints(thinned.Lines());
    EXPECT_LE(points.size(), 4u * (kTenHours / 128 + 1)) << "thinned to at most four points a column";
    EXPECT_NE(std::find(points.begin(), points.end(), QPointF(20000.0, 1000.0)), points.end());
    EXPECT_NE(std::find(points.begin(), points.end(), QPointF(30001.0, -1000.0)), points.end());
    // Every column shows the least and the greatest of its samples, and the line starts and ends
    // at the first and the last sample.
    for (int first = 0; first < kTenHours; first += 128) {
        const auto begin = samples.begin() + first;
        const auto end = samples.begin() + std::min(first + 128, kTenHours);
        std::vector<double> drawn;
        for (const QPointF& point : points) {
            if (point.x() >= first && point.x() < first + 128) drawn.push_back(point.y());
        }
        ASSERT_FALSE(drawn.empty()) << first;
        EXPECT_EQ(*std::min_element(drawn.begin(), drawn.end()), *std::min_element(begin, end)) << first;
        EXPECT_EQ(*std::max_element(drawn.begin(), drawn.end()), *std::max_element(begin, end)) << first;
    }
    EXPECT_EQ(points.front().x(), 0.0);
    EXPECT_EQ(points.back().x(), kTenHours - 1.0);
}

TEST(GraphThinning, AMinuteInViewShowsEverySampleOfIt) {
    const std::vector<double> samples = Jittering(kTenHours);
    ThinnedLines thinned;
    thinned.Cover(samples, 18000.0, 18059.0, 700.0);
    EXPECT_EQ(thinned.Step(), 1);
    ASSERT_EQ(thinned.Lines().size(), 1u);
    // The minute and a sample on either side, so that the line runs on to the plot's edges.
    DrawnLine every;
    for (int i = 17999; i <= 18060; ++i) every.emplace_back(i, samples[static_cast<std::size_t>(i)]);
    EXPECT_EQ(thinned.Lines()[0], every);
}

TEST(GraphThinning, GapsEndTheLinesAtEveryScale) {
    std::vector<double> samples = Jittering(kTenHours);
    samples[1000] = kGap;  // one second without a value
    std::fill(samples.begin() + 10000, samples.begin() + 13000, kGap);
    samples[kTenHours - 1] = kGap;
    const struct {
        double minimum, maximum;
        std::vector<std::pair<double, double>> lines;  // the first and the last x of each line
    } cases[] = {
        {0.0, kTenHours - 1, {{0, 999}, {1001, 9999}, {13000, kTenHours - 2}}},  // 128 samples a column
        {990.0, 1010.0, {{989, 999}, {1001, 1011}}},                             // every sample
        {5000.0, 12000.0, {{4960, 9999}}},  // 32 a column from a column bound, up to the long gap
        {10500.0, 12500.0, {}},             // nothing but the gap
        {12990.0, 13010.0, {{13000, 13011}}},
    };
    for (const auto& c : cases) {
        ThinnedLines thinned;
        thinned.Cover(samples, c.minimum, c.maximum, 700.0);
        std::vector<std::pair<double, double>> ends;
        for (const DrawnLine& line : thinned.Lines()) {
            ASSERT_FALSE(line.empty());
            ends.emplace_back(line.front().x(), line.back().x());
        }
        EXPECT_EQ(ends, c.lines) << c.minimum << ".." << c.maximum;
        ExpectSamplesInOrder(thinned.Lines(), samples);
    }
}

TEST(GraphThinning, SamplesTakenAsTheyComeDrawWhatTakingThemAllAtOnceDraws) {
    // The range grows with the samples, as an automatic bottom axis does; gaps come now and then.
    const std::vector<double> all = Jittering(5000);
    std::vector<double> samples;
    ThinnedLines growing;
    std::set<int> steps;
    for (std::size_t i = 0; i < all.size(); ++i) {
        samples.push_back(i % 397 == 5 || (i >= 2000 && i < 2003) ? kGap : all[i]);
        growing.Cover(samples, 0.0, static_cast<double>(samples.size() - 1), 700.0);
        steps.insert(growing.Step());
        if (i % 97 == 0 || i + 1 == all.size()) {
            ThinnedLines atOnce;
            atOnce.Cover(samples, 0.0, static_cast<double>(samples.size() - 1), 700.0);
            ASSERT_EQ(growing.Lines(), atOnce.Lines()) << samples.size() << " samples";
        }
    }
    EXPECT_EQ(steps, std::set<int>({1, 2, 4, 8, 16}));

    // A range that stays while samples come beyond it: they are not taken.
    ThinnedLines window;
    window.Cover(samples, 100.0, 159.0, 700.0);
    const auto before = window.Lines();
    samples.push_back(1.0);
    window.Cover(samples, 100.0, 159.0, 700.0);
    EXPECT_EQ(window.Lines(), before);
    EXPECT_EQ(AllPoints(before).back().x(), 160.0);

    // Samples cleared and taken again: the lines are drawn anew.
    const std::vector<double> fresh = {5.0, 6.0};
    window.Cover(fresh, 0.0, 1.0, 700.0);
    EXPECT_EQ(window.Lines(), std::vector<DrawnLine>({{{0.0, 5.0}, {1.0, 6.0}}}));
    window.Cover({}, 0.0, 1.0, 700.0);
    EXPECT_TRUE(window.Lines().empty());
}

}  // namespace
