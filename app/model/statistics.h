#pragma once

#include <QString>
#include <cstdint>

// Time windows over the last seconds of samples and the per-channel expanded uncertainty built on
// them. Plain records and plain functions: nothing is allocated, nothing is shown to the user.

inline constexpr int kWindowSlots = 200;
inline constexpr std::int32_t kWindowMs = 12000;

struct SampleSlot {
    std::uint8_t Valid;  // 1 holds a sample, 0 free; a free slot is all zero
    float Value;
    std::uint32_t Stamp;  // millisecond tick at which the sample was stored
};

struct StatWindow {
    std::int32_t SampleCount;
    std::int32_t NextSlot;
    SampleSlot Slots[kWindowSlots];
    std::int32_t WindowMs;
    float Mean;
    float StdError;  // standard error of the mean
    float Min;
    float Max;
};

// Every term is in kPa, so that the root sum square adds like with like. Whoever fills the budget
// supplies the two unit factors (kPa per unit) the inputs are given in.
struct UncertaintyBudget {
    StatWindow* ChannelWindow;
    StatWindow* RefWindow;
    std::int32_t HandEntry;  // 1 when the reference pressure is typed by hand
    float ClassPercent;      // accuracy class of the reference transducer, percent
    float Resolution;        // resolution of the typed reference, in the units it was typed in
    float RefUnitsFactor;    // kPa per unit of the typed reference; set together with Resolution
    float UpperLimit;        // channel range, channel units
    float LowerLimit;
    float UnitsFactor;     // kPa per channel unit
    float CurrentAtUpper;  // mA
    float CurrentAtLower;
    std::int32_t NoOutput;  // 1 when the transducer has no current output
    float RefU;
    float RefStdError;
    float RefRangeTerm;
    float RefClassTerm;
    float ChannelU;
    float ChannelStdError;
    float CurrentTerm;
    float Expanded;
};

std::uint32_t TickMs();
bool IsOutOfRange(float x);

void ResetWindow(StatWindow& window);
// 0 taken; -1 x out of range (nothing changes); -2 the window already holds kWindowSlots samples
// (expired ones have been removed, the sample is dropped).
std::int32_t AddSample(StatWindow& window, float x);

float RootSumSquare(float a, float b, float c, float d, float e, float f);
float TypedResolution(const QString& text);
// current: the channel's present output current, mA. Returns Expanded, in kPa.
float ExpandedUncertainty(UncertaintyBudget& budget, float current);

// Inputs the measurement page sets at every start: the class by the set-up's class item index, and
// the output currents (or no output) by the channel's output-type text.
float ReferenceClassPercent(int classIndex);
void SetOutputCurrents(UncertaintyBudget& budget, const QString& outputText);
