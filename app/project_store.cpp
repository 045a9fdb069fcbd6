#include "app/project_store.h"

#include <QFileInfo>

#include "app/form_main.h"
#include "platform/mem_ini_file.h"

int LoadSaveProject(const QString& fileName, bool save) {
    const QString settingsPath = TFormMain::SettingsFilePath();
    {
        platform::TMemIniFile settings(settingsPath);
        SaveRestoreGlobalLists(settings, save);
        if (save) settings.UpdateFile();
    }
    const QString projectPath = fileName.isEmpty() ? settingsPath : fileName;
    if (!save && !QFileInfo::exists(projectPath)) return -2;

    platform::TMemIniFile project(projectPath);
    if (FormMain) WalkComponents(project, save, FormMain);
    if (save) project.UpdateFile();

    if (FormMain) {
        const qsizetype slash = projectPath.lastIndexOf('/');
        FormMain->setWindowTitle(BaseCaption + "    " + projectPath.mid(slash + 1));
    }
    return 0;
}

void WalkComponents(platform::TMemIniFile&, bool, QObject*) {}

void SaveRestoreGlobalLists(platform::TMemIniFile&, bool) {}
