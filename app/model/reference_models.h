#pragma once

#include <QString>

// The reference transducers' model codes with their measuring ranges (the maker's model data).
struct ReferenceModel {
    const char* code;
    const char* range;
};
inline constexpr int kReferenceModelCount = 13;
extern const ReferenceModel kReferenceModels[kReferenceModelCount];

// The codes as the set-up page lists them (one code stands twice, as on the maker's list).
QStringList ReferenceModelCodes();
