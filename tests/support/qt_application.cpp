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
    // Never destroyed: Qt's own statics may be gone by the time exit handlers would run it.
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
}

}  // namespace testing_support
