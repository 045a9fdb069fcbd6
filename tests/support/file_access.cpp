#include "tests/support/file_access.h"

#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace testing_support {
namespace {

constexpr unsigned kOverrides[] = {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER};

bool GetCapabilities(__user_cap_data_struct (&data)[2]) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return syscall(SYS_capget, &header, data) == 0;
}

bool SetCapabilities(__user_cap_data_struct (&data)[2]) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return syscall(SYS_capset, &header, data) == 0;
}

}  // namespace

ObeyFilePermissions::ObeyFilePermissions() {
    __user_cap_data_struct data[2] = {};
    if (!GetCapabilities(data)) return;
    effective_[0] = data[0].effective;
    effective_[1] = data[1].effective;
    for (unsigned capability : kOverrides) data[capability / 32].effective &= ~(1u << (capability % 32));
    if (!SetCapabilities(data)) throw std::runtime_error("cannot give up the file-permission capabilities");
    changed_ = true;
}

ObeyFilePermissions::~ObeyFilePermissions() {
    if (!changed_) return;
    __user_cap_data_struct data[2] = {};
    if (!GetCapabilities(data)) return;
    data[0].effective = effective_[0];
    data[1].effective = effective_[1];
    SetCapabilities(data);
}

void MakeFolderReadOnly(const std::string& path) {
    if (chmod(path.c_str(), 0555) != 0) throw std::runtime_error("cannot make " + path + " read-only");
}

LockedFolder::LockedFolder(const std::string& path, const std::string& fileName, const std::string& bytes)
    : path_(path), file_(path + "/" + fileName) {
    std::filesystem::create_directory(path_);
    std::ofstream(file_, std::ios::binary) << bytes;
    using std::filesystem::perms;
    std::filesystem::permissions(file_, perms::owner_read | perms::owner_write | perms::group_read |
                                            perms::group_write | perms::others_read | perms::others_write);
    MakeFolderReadOnly(path_);
}

LockedFolder::~LockedFolder() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
}

}  // namespace testing_support
