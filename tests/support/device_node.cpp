#include "tests/support/device_node.h"

#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/temp_folder.h"

namespace testing_support {

std::string DeviceLike(const TempFolder& folder, const std::string& name) {
    const std::string system = "/dev/" + name;
    if (geteuid() != 0) return system;
    struct stat info;
    if (stat(system.c_str(), &info) != 0 || !S_ISCHR(info.st_mode)) return {};
    const std::string own = folder.file("device-" + name);
    if (mknod(own.c_str(), S_IFCHR | 0666, info.st_rdev) != 0) return {};
    return own;
}

}  // namespace testing_support
