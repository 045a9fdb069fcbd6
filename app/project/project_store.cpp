#include "app/project/project_store.h"

#include <QDir>
#include <QFileInfo>
#include <QWidget>

#include "platform/mem_ini_file.h"
#include "platform/os_services.h"

QString ProjectFile;
QString BaseCaption;

namespace {
QWidget* projectWindow = nullptr;
}

QString SettingsFilePath() {
    const QFileInfo exe(platform::ExecutablePath());
    return exe.dir().filePath(exe.completeBaseName() + ".ini");
}

void SetProjectWindow(QWidget* window) { projectWindow = window; }

int LoadSaveProject(const QString& fileName, bool save) {
    const QString settingsPath = SettingsFilePath();
    {
        platform::TMemIniFile settings(settingsPath);
        SaveRestoreGlobalLists(settings, save);
        if (save) settings.UpdateFile();
    }
    const QString projectPath = fileName.isEmpty() ? settingsPath : fileName;
    if (!save && !QFileInfo::exists(projectPath)) return -2;

    platform::TMemIniFile project(projectPath);
    if (projectWindow) WalkComponents(project, save, projectWindow);
    if (save) project.UpdateFile();

    if (projectWindow) {
        const qsizetype slash = projectPath.lastIndexOf('/');
        projectWindow->setWindowTitle(BaseCaption + "    " + projectPath.mid(slash + 1));
    }
    return 0;
}

void WalkComponents(platform::TMemIniFile&, bool, QObject*) {}

void SaveRestoreGlobalLists(platform::TMemIniFile&, bool) {}
