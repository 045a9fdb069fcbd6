#pragma once

#include <string>

namespace sheet {

// "Build: <date>  <time>" with the compiler's stamps of this library's build.
std::string BuildStamp();
// Copies the stamp with its NUL; -1 and the buffer untouched when it is missing or smaller than
// the stamp's length + 2 bytes.
int CopyBuildStamp(char* buffer, unsigned size);

}  // namespace sheet
