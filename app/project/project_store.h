#pragma once

#include <QString>

namespace platform {
class TMemIniFile;
}
class QObject;
class QWidget;

extern QString ProjectFile;  // the current project file
extern QString BaseCaption;  // the caption the window was built with

// The settings file next to the executable.
QString SettingsFilePath();
// The window whose component tree is the project and whose caption names it; none to forget it.
void SetProjectWindow(QWidget* window);

// Loads or saves the state of every page: 0 on success, -1 when an ini file cannot be made,
// -2 when loading and no file exists at the project path. An empty name means the settings file.
int LoadSaveProject(const QString& fileName, bool save);
void WalkComponents(platform::TMemIniFile& ini, bool save, QObject* component);
void SaveRestoreGlobalLists(platform::TMemIniFile& settings, bool save);
