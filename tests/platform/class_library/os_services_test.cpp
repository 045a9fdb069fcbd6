#include "platform/class_library/os_services.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QTimer>

#include "platform/automation/library_loader.h"
#include "tests/support/printers.h"
#include "tests/support/qt_application.h"

namespace {

TEST(ExecutablePath, IsTheRunningProgramsAbsolutePath) {
    testing_support::EnsureApplication();
    const QString path = platform::ExecutablePath();
    ASSERT_FALSE(path.isEmpty());
    EXPECT_TRUE(QFileInfo(path).isAbsolute());
    EXPECT_TRUE(QFileInfo(path).isExecutable());
    EXPECT_EQ(path, QCoreApplication::applicationFilePath());
}

TEST(OsServices, OverridesStandUntilCleared) {
    const QString realPath = platform::ExecutablePath();
    const bool realElevated = platform::IsProcessElevated();

    const std::string realFolder = platform::ExecutableFolder();

    // The loader, which the report library asks for the folder, follows the same override.
    platform::SetExecutablePathOverride(QString("/opt/zkvdesk/zkvdesk"));
    EXPECT_EQ(platform::ExecutablePath(), "/opt/zkvdesk/zkvdesk");
    EXPECT_STREQ(platform::ExecutableFolder(), "/opt/zkvdesk");
    platform::SetExecutablePathOverride(QString("zkvdesk"));
    EXPECT_STREQ(platform::ExecutableFolder(), "");
    platform::SetExecutablePathOverride(std::nullopt);
    EXPECT_EQ(platform::ExecutablePath(), realPath);
    EXPECT_EQ(platform::ExecutableFolder(), realFolder);
    EXPECT_EQ(realFolder + "/" + QFileInfo(realPath).fileName().toStdString(), realPath.toStdString());

    for (bool elevated : {true, false}) {
        platform::SetElevatedOverride(elevated);
        EXPECT_EQ(platform::IsProcessElevated(), elevated);
    }
    platform::SetElevatedOverride(std::nullopt);
    EXPECT_EQ(platform::IsProcessElevated(), realElevated);
}

TEST(OsServices, HooksTakeOverFolderOpeningAndQuitting) {
    QStringList opened;
    int quits = 0;
    const platform::OsHooks before =
        platform::SetOsHooks({[&](const QString& path) { opened << path; }, [&] { ++quits; }});
    platform::OpenFolder("/srv/архив");
    platform::RequestQuit();
    const platform::OsHooks ours = platform::SetOsHooks(before);
    EXPECT_EQ(opened, QStringList{"/srv/архив"});
    EXPECT_EQ(quits, 1);
    EXPECT_TRUE(ours.openFolder && ours.requestQuit);
}

TEST(RequestQuit, AskedBeforeTheLoopRunsEndsItOnceItDoes) {
    testing_support::EnsureApplication();
    platform::RequestQuit();
    // Only a guard against hanging the run if the request were lost; it never fires otherwise.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    guard.start(10000);
    EXPECT_EQ(QCoreApplication::exec(), 0);
}

}  // namespace
