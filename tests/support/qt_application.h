#pragma once

namespace testing_support {
// The one QApplication of a test program, made on first use (offscreen in tests).
void EnsureApplication();

// A base for fixtures whose members need the application before they are built.
struct WithApplication {
    WithApplication() { EnsureApplication(); }
};
}  // namespace testing_support
