#pragma once

#include <cstddef>
#include <functional>

namespace testing_support {

// Runs work in a forked child whose files may grow to at most limitBytes, as on a full disk:
// a write past the limit fails with EFBIG (SIGXFSZ is ignored there). Answers what work
// returned, or false when the child could not run or died. The child does nothing else, so work
// must not rely on threads of the parent; Qt objects made in the child are fine.
bool RunWithFileSizeLimit(std::size_t limitBytes, const std::function<bool()>& work);

}  // namespace testing_support
