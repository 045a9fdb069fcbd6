#include "platform/class_library/cp1251.h"

#include "platform/text/wide_text.h"

namespace platform {

QString FromCp1251(std::string_view bytes) { return QString::fromStdU16String(WideFromCp1251(bytes)); }

std::string ToCp1251(const QString& text) { return Cp1251FromWide(text.toStdU16String()); }

}  // namespace platform
