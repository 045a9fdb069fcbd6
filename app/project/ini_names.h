#pragma once

#include <QString>

// Sections and keys of the settings file and of project files, spelled once.
namespace project {

inline constexpr const char* kProjectSection = "Project";
inline constexpr const char* kProjectNameKey = "Name";

// The method-document grid and the reference factory numbers live in the settings file only.
inline constexpr const char* kMethodDocSection = "Doc_MP";
inline constexpr const char* kMethodDocGrid = "sg_MP";
inline constexpr const char* kSerialSection = "SN_GHV_LIST";
inline constexpr const char* kSerialCombo = "cbZavNo";

// Combos whose name holds this keep their items in the project as well as their selection.
inline constexpr const char* kNameListMark = "ComboBoxModel_";
// A date-time picker of this name stores its time of day under kTimeKey; any other its date.
inline constexpr const char* kTimePickerName = "TimePicker";
inline constexpr const char* kTimeKey = "Time";
inline constexpr const char* kDateKey = "Date";

// What a grid cell without a stored value shows.
inline constexpr const char* kMissingCell = "?";

// The key of item or cell n of a list or grid: its name, "_str" and n.
inline QString NumberedKey(const QString& name, int n) { return name + QStringLiteral("_str") + QString::number(n); }

}  // namespace project
