#include "sheet/version.h"

#include <cstring>

namespace sheet {

std::string BuildStamp() { return std::string("Build: ") + __DATE__ + "  " + __TIME__; }

int CopyBuildStamp(char* buffer, unsigned size) {
    const std::string stamp = BuildStamp();
    if (!buffer) return -1;
    if (size < stamp.size() + 2) return -1;
    std::memcpy(buffer, stamp.c_str(), stamp.size() + 1);
    return 0;
}

}  // namespace sheet
