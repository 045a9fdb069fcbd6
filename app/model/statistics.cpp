#include "app/model/statistics.h"

#include <cmath>

#include "platform/system/clock.h"

namespace {

const double kSqrt3 = std::sqrt(3.0);

// A missing window counts as an empty one rather than a crash.
const StatWindow& WindowOrEmpty(const StatWindow* window) {
    static const StatWindow empty{};
    return window ? *window : empty;
}

}  // namespace

std::uint32_t TickMs() { return platform::TickCountMs(); }

bool IsOutOfRange(float x) {
    const double wide = x;
    return std::isnan(wide) || wide < -9e30 || wide > 9e30;
}

void ResetWindow(StatWindow& window) {
    window = StatWindow{};
    window.WindowMs = kWindowMs;
}

std::int32_t AddSample(StatWindow& window, float x) {
    if (IsOutOfRange(x)) return -1;

    // Age, not stamps, is compared: the tick counter wraps after 49.7 days and starts near zero
    // at boot, where now - WindowMs would wrap and expire everything.
    const std::uint32_t now = TickMs();
    const std::uint32_t windowMs = static_cast<std::uint32_t>(window.WindowMs);
    for (SampleSlot& slot : window.Slots) {
        if (slot.Valid == 1 && now - slot.Stamp > windowMs) {
            slot = SampleSlot{};
            if (window.SampleCount > 0) --window.SampleCount;
        }
    }
    if (window.SampleCount >= kWindowSlots) return -2;

    if (window.NextSlot < 0 || window.NextSlot >= kWindowSlots) window.NextSlot = 0;
    SampleSlot& slot = window.Slots[window.NextSlot++];
    slot.Stamp = TickMs();
    slot.Valid = 1;
    slot.Value = x;

    std::int32_t count = 0;
    float sum = 0.0f;
    float smallest = x;
    float largest = x;
    for (const SampleSlot& s : window.Slots) {
        if (s.Valid != 1) continue;
        ++count;
        sum += s.Value;
        if (s.Value < smallest) smallest = s.Value;
        if (s.Value > largest) largest = s.Value;
    }
    window.SampleCount = count;
    window.Mean = static_cast<float>(static_cast<double>(sum) / count);
    window.Min = smallest;
    window.Max = largest;

    float squares = 0.0f;
    for (const SampleSlot& s : window.Slots) {
        if (s.Valid != 1) continue;
        const float difference = static_cast<float>(static_cast<double>(s.Value) - window.Mean);
        squares = static_cast<float>(squares + static_cast<double>(difference) * difference);
    }
    if (count > 1) {
        const std::int32_t degrees = (count - 1) * count;
        window.StdError = static_cast<float>(std::sqrt(static_cast<double>(squares) / degrees));
    }
    return 0;
}

float RootSumSquare(float a, float b, float c, float d, float e, float f) {
    long double sum = 0.0L;
    for (const float term : {a, b, c, d, e, f}) sum += static_cast<long double>(term) * term;
    return static_cast<float>(std::sqrt(static_cast<double>(sum)));
}

float TypedResolution(const QString& text) {
    if (text.isEmpty()) return 0.0f;
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    if (point < 0) return 1.0f;
    float resolution = 1.0f;
    for (qsizetype i = point + 1; i < text.size(); ++i) resolution *= 0.1f;
    return resolution;
}

float ExpandedUncertainty(UncertaintyBudget& b, float current) {
    const StatWindow& ref = WindowOrEmpty(b.RefWindow);
    const StatWindow& channel = WindowOrEmpty(b.ChannelWindow);

    b.RefStdError = ref.StdError;
    b.RefRangeTerm = static_cast<float>(std::fabs(static_cast<double>(ref.Max) - ref.Min) / (2.0 * kSqrt3));
    if (b.HandEntry != 0) {
        // The resolution is one digit of the typed text, in the reference's own units.
        b.RefClassTerm = static_cast<float>(static_cast<double>(b.Resolution) * b.RefUnitsFactor / kSqrt3);
    } else {
        b.RefClassTerm = static_cast<float>(static_cast<double>(ref.Max) * b.ClassPercent * 0.01 / 3.0);
    }
    b.RefU = RootSumSquare(b.RefStdError, b.RefRangeTerm, b.RefClassTerm, 0, 0, 0);

    b.ChannelStdError = channel.StdError;
    if (b.NoOutput != 0) {
        b.CurrentTerm = 0.0f;
    } else {
        const double span = std::fabs(static_cast<double>(b.UpperLimit) - b.LowerLimit);
        const double currentSpan = std::fabs(static_cast<double>(b.CurrentAtUpper) - b.CurrentAtLower);
        if (span != 0.0 && currentSpan != 0.0) {
            // The current error maps onto the span in channel units; the factor takes it to kPa.
            const double inChannelUnits = (0.0001 * current + 0.001) / (3.0 * currentSpan / span);
            b.CurrentTerm = static_cast<float>(inChannelUnits * b.UnitsFactor);
        }
    }
    b.ChannelU = RootSumSquare(b.ChannelStdError, b.CurrentTerm, 0, 0, 0, 0);

    b.Expanded = static_cast<float>(2.0 * RootSumSquare(b.RefU, b.ChannelU, 0, 0, 0, 0));
    return b.Expanded;
}

float ReferenceClassPercent(int classIndex) {
    switch (classIndex) {
        case 0:
            return 0.02f;
        case 1:
            return 0.03f;
        default:
            return 0.05f;
    }
}

void SetOutputCurrents(UncertaintyBudget& budget, const QString& outputText) {
    struct Range {
        const char* item;
        float upper;
        float lower;
    };
    // In the order of the set-up page's output-type list; a later match overrides an earlier one.
    static const Range ranges[] = {
        {"0 - 5 мА", 5.0f, 0.0f},
        {"4 - 20 мА", 20.0f, 4.0f},
        {"5 - 0 мА", 0.0f, 5.0f},
        {"20 - 4 мА", 4.0f, 20.0f},
    };
    budget.NoOutput = 0;
    for (const Range& range : ranges) {
        if (!outputText.contains(QString::fromUtf8(range.item))) continue;
        budget.CurrentAtUpper = range.upper;
        budget.CurrentAtLower = range.lower;
    }
    if (outputText.contains(QString::fromUtf8("- нет -"))) budget.NoOutput = 1;
}
