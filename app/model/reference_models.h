#pragma once

#include <QString>
#include <string_view>

#include "platform/automation/report_record.h"

// The reference transducers' model codes with their measuring ranges (the maker's model data).
struct ReferenceModel {
    const char* code;
    const char* range;
};
inline constexpr int kReferenceModelCount = 13;
extern const ReferenceModel kReferenceModels[kReferenceModelCount];

// The codes as the set-up page lists them (one code stands twice, as on the maker's list).
QStringList ReferenceModelCodes();

// Copies the measuring range of the first model whose code contains the given model code (an
// empty code is contained in every one) into the slot, in code page 1251: 0. No such model: -1,
// and the slot keeps what it held.
int FindReferenceRange(char (&slot)[platform::kSlotSize], std::string_view model);
