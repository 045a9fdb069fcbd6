#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "platform/class_library/mem_ini_file.h"

class QObject;
class QWidget;

extern QString ProjectFile;  // the current project file
extern QString BaseCaption;  // the caption the window was built with

// The settings file next to the executable.
QString SettingsFilePath();

namespace project {

// What a project covers: the application's forms in the order they were created (the walk starts
// with the first), the settings file, and the main window, whose caption names the project after
// a load or save.
struct ProjectScope {
    std::vector<QObject*> forms;
    QString settingsPath;
    QWidget* mainWindow = nullptr;
    QString baseCaption;
};

inline constexpr int kProjectFileError = -1;  // a file that cannot be read, written or is no ini file
inline constexpr int kProjectMissing = -2;    // loading, and no file exists at the project path

// The settings file, ready to be changed and saved. One that exists but could not be taken as an
// ini file is first kept aside next to it under a name of its own ("<name>.unreadable-<date>-<time>"),
// so that the save makes a new one and nothing of the old is destroyed. Nothing when it could not
// be kept aside.
std::optional<platform::TMemIniFile> SettingsForSave(const QString& path);

// Loads or saves the state of every page: 0 on success, else one of the results above. An empty
// name means the settings file. A failed save leaves the files as they were.
int LoadSaveProject(const ProjectScope& scope, const QString& fileName, bool save);

}  // namespace project
