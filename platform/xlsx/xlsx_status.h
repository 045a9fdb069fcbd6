#pragma once

#include <string>
#include <utility>

namespace platform::xlsx {

// What an operation on a workbook came to: done, or refused with the reason (nothing was changed then).
class [[nodiscard]] Status {
  public:
    static Status Ok() { return Status(); }
    static Status Refused(std::string why) { return Status(std::move(why)); }

    bool ok() const { return why_.empty(); }
    explicit operator bool() const { return ok(); }
    const std::string& why() const { return why_; }

  private:
    Status() = default;
    explicit Status(std::string why) : why_(why.empty() ? "refused" : std::move(why)) {}
    std::string why_;
};

}  // namespace platform::xlsx
