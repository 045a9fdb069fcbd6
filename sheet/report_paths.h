#pragma once

// Where the report library finds its templates and puts its workbooks, and the clock readings
// that name them.

#include <ctime>
#include <optional>
#include <string>

namespace sheet {

// The running executable's folder without a closing separator; "Error GetModuleFileName()" when
// it cannot be told. Tests point it elsewhere.
std::string ExeFolder();
void SetExeFolderOverride(std::optional<std::string> folder);

// The file or folder exists.
bool PathExists(const std::string& path);

// One reading of the wall clock, as local or as universal (UTC) date and time.
std::tm LocalTimeNow();
std::tm UtcTimeNow();

// "2024.03.05" and "09.07.03" of one reading.
std::string DateStamp(const std::tm& time);
std::string TimeStamp(const std::tm& time);

}  // namespace sheet
