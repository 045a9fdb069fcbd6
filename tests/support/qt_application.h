#pragma once

namespace testing_support {
// The one QApplication of a test program, made on first use (offscreen in tests).
void EnsureApplication();
}  // namespace testing_support
