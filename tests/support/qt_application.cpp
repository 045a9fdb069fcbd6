#include "tests/support/qt_application.h"

#include <QApplication>
#include <cstdlib>

namespace testing_support {

void EnsureApplication() {
    if (QApplication::instance()) return;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "zkvtest";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
}

}  // namespace testing_support
