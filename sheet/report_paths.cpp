#include "sheet/report_paths.h"

#include <sys/stat.h>

#include <chrono>
#include <cstdio>

#include "platform/automation/library_loader.h"
#include "platform/system/clock.h"

namespace sheet {
namespace {

std::optional<std::string>& ExeFolderOverride() {
    static std::optional<std::string> folder;
    return folder;
}

std::time_t WallClockSeconds() { return std::chrono::system_clock::to_time_t(platform::WallClockNow()); }

}  // namespace

std::string ExeFolder() {
    if (ExeFolderOverride()) return *ExeFolderOverride();
    const std::string folder = platform::ExecutableFolder();
    return folder.empty() ? std::string("Error GetModuleFileName()") : folder;
}

void SetExeFolderOverride(std::optional<std::string> folder) { ExeFolderOverride() = std::move(folder); }

bool PathExists(const std::string& path) {
    struct stat attributes {};
    return ::stat(path.c_str(), &attributes) == 0;
}

std::tm LocalTimeNow() {
    const std::time_t now = WallClockSeconds();
    std::tm time{};
    ::localtime_r(&now, &time);
    return time;
}

std::tm UtcTimeNow() {
    const std::time_t now = WallClockSeconds();
    std::tm time{};
    ::gmtime_r(&now, &time);
    return time;
}

std::string DateStamp(const std::tm& time) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d.%02d.%02d", time.tm_year + 1900, time.tm_mon + 1, time.tm_mday);
    return text;
}

std::string TimeStamp(const std::tm& time) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d.%02d.%02d", time.tm_hour, time.tm_min, time.tm_sec);
    return text;
}

}  // namespace sheet
