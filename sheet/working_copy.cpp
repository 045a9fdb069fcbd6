#include "sheet/working_copy.h"

#include <unistd.h>

#include "platform/system/clock.h"
#include "platform/system/file_io.h"

namespace sheet {
namespace {

// A template of ours is a few hundred kilobytes; anything near this is none.
constexpr std::size_t kLargestTemplate = 64u << 20;

}  // namespace

WorkingCopy::WorkingCopy(const std::string& output, const std::string& source, std::string_view outputPrefix) {
    const platform::FileRead read = platform::ReadRegularFile(source, kLargestTemplate);
    using Read = platform::FileRead::Outcome;
    if (read.outcome == Read::TooLarge || (read.ok() && read.bytes.empty())) {
        outcome_ = Outcome::SourceEmpty;
        return;
    }
    if (!read.ok()) {
        outcome_ = Outcome::SourceUnreadable;
        return;
    }
    platform::RemoveStaleTemporaries(platform::FolderOf(platform::SaveTarget(output)), outputPrefix);
    const platform::TemporaryFile copy = platform::WriteTemporaryBeside(output, read.bytes);
    if (!copy) {
        platform::DebugLine("template copy: " + copy.why);
        outcome_ = Outcome::NotCreatable;
        return;
    }
    outcome_ = Outcome::Made;
    path_ = copy.path;
}

WorkingCopy::~WorkingCopy() {
    if (!path_.empty()) ::unlink(path_.c_str());
}

}  // namespace sheet
