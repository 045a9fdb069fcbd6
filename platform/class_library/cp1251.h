#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace platform {

// Code page 1251, the encoding of records, ini files and project files. The one place where
// texts cross between it and the widgets' Unicode.
QString FromCp1251(std::string_view bytes);
// Characters code page 1251 cannot hold become '?'.
std::string ToCp1251(const QString& text);

}  // namespace platform
