#pragma once

#include <QString>

// Source files are UTF-8: their Russian literals become texts through this one helper.
inline QString U(const char* utf8) { return QString::fromUtf8(utf8); }
