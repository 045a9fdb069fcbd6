#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace platform {

// What the workstation asks of the operating system, each replaceable by tests.

// The process may do what the workstation needs of the machine: it runs with effective user id 0.
bool IsProcessElevated();
void SetElevatedOverride(std::optional<bool> elevated);

// The running executable's full path ("" when it cannot be told, or was cut short).
QString ExecutablePath();
void SetExecutablePathOverride(std::optional<QString> path);

// The command-line arguments after the program's name.
QStringList CommandLineArguments();
void SetCommandLineArguments(const QStringList& arguments);

// Opens a folder in the desktop's file manager (xdg-open); the result is not looked at.
void OpenFolder(const QString& path);
// Asks the application to end its message loop once it runs, without closing its windows.
void RequestQuit();

struct OsHooks {
    std::function<void(const QString&)> openFolder;
    std::function<void()> requestQuit;
};
// Replaces the hooks given (empty members keep the real behaviour); returns the previous ones.
OsHooks SetOsHooks(OsHooks hooks);

}  // namespace platform
