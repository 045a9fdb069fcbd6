#include "platform/automation/library_loader.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstring>
#include <string>

namespace platform {
namespace {

DllEntry EntryOf(HMODULE library) { return reinterpret_cast<DllEntry>(dlsym(library, "DllMain")); }

std::optional<std::string>& FolderOverride() {
    static std::optional<std::string> folder;
    return folder;
}

}  // namespace

void SetExecutableFolderOverride(std::optional<std::string> folder) { FolderOverride() = std::move(folder); }

const char* ExecutableFolder() {
    if (FolderOverride()) return FolderOverride()->c_str();
    static const std::string folder = [] {
        std::string path(4096, '\0');
        const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
        if (length <= 0 || static_cast<std::size_t>(length) >= path.size()) return std::string();
        path.resize(static_cast<std::size_t>(length));
        return path.substr(0, path.rfind('/'));
    }();
    return folder.c_str();
}

HMODULE LoadLibraryA(const char* path) {
    if (!path || !*path) return nullptr;
    HMODULE library = nullptr;
    if (!std::strchr(path, '/') && *ExecutableFolder()) {
        const std::string beside = std::string(ExecutableFolder()) + '/' + path;
        library = dlopen(beside.c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    if (!library) library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!library) return nullptr;
    if (const DllEntry entry = EntryOf(library); entry && !entry(library, DLL_PROCESS_ATTACH, nullptr)) {
        dlclose(library);
        return nullptr;
    }
    return library;
}

void* GetProcAddress(HMODULE library, const char* name) {
    if (!library || !name) return nullptr;
    return dlsym(library, name);
}

bool FreeLibrary(HMODULE library) {
    if (!library) return false;
    if (const DllEntry entry = EntryOf(library)) entry(library, DLL_PROCESS_DETACH, nullptr);
    return dlclose(library) == 0;
}

}  // namespace platform
