#include "app/project/project_store.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QWidget>
#include <chrono>

#include "app/project/component_walk.h"
#include "app/project/global_lists.h"
#include "platform/class_library/os_services.h"
#include "platform/system/clock.h"
#include "platform/system/file_io.h"

QString ProjectFile;
QString BaseCaption;

QString SettingsFilePath() {
    const QFileInfo exe(platform::ExecutablePath());
    return exe.dir().filePath(exe.completeBaseName() + ".ini");
}

namespace project {
namespace {

// A save replaces a project file that is no ini file (the user asked for that file), never one that
// could not be read; a load takes neither.
bool CanUse(const platform::TMemIniFile& ini, bool save) { return save ? ini.IsReadable() : ini.IsValid(); }

QString AsideTag() {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(platform::WallClockNow().time_since_epoch());
    return "unreadable-" + QDateTime::fromMSecsSinceEpoch(ms.count()).toString("yyyyMMdd-HHmmss");
}

int LoadSave(const ProjectScope& scope, const QString& fileName, bool save) {
    if (save) {
        std::optional<platform::TMemIniFile> settings = SettingsForSave(scope.settingsPath);
        if (!settings) return kProjectFileError;
        SaveRestoreGlobalLists(*settings, save, scope.forms);
        if (!settings->UpdateFile()) return kProjectFileError;
    } else {
        platform::TMemIniFile settings(scope.settingsPath);
        if (!settings.IsValid()) return kProjectFileError;
        SaveRestoreGlobalLists(settings, save, scope.forms);
    }
    const QString path = fileName.isEmpty() ? scope.settingsPath : fileName;
    if (!save && !QFileInfo::exists(path)) {
        // The forms' values stay, but a list showing no item would be saved as none and come back
        // as the first one: it shows the first one now, as after any load.
        for (QObject* form : scope.forms) SelectFirstItems(form);
        return kProjectMissing;
    }

    platform::TMemIniFile project(path);
    if (!CanUse(project, save)) return kProjectFileError;
    SaveRestoreForms(project, save, scope.forms);
    if (save && !project.UpdateFile()) return kProjectFileError;

    if (scope.mainWindow) {
        scope.mainWindow->setWindowTitle(scope.baseCaption + QStringLiteral("    ") + path.mid(path.lastIndexOf(u'/') + 1));
    }
    return 0;
}

}  // namespace

std::optional<platform::TMemIniFile> SettingsForSave(const QString& path) {
    platform::TMemIniFile settings(path);
    if (settings.IsValid()) return settings;
    const platform::KeptAside aside = platform::KeepAside(QFile::encodeName(path).toStdString(), AsideTag().toStdString());
    if (!aside) {
        platform::DebugLine("settings file not saved: " + aside.why);
        return std::nullopt;
    }
    platform::DebugLine("settings file that could not be read kept as " + aside.path);
    platform::TMemIniFile fresh(path);
    if (!fresh.IsValid()) return std::nullopt;
    return fresh;
}

int LoadSaveProject(const ProjectScope& scope, const QString& fileName, bool save) {
    // Called from menu handlers and the close: a failure of a page's handler during the load ends
    // the load as a failed one instead of leaving the handler.
    try {
        return LoadSave(scope, fileName, save);
    } catch (...) {
        return kProjectFileError;
    }
}

}  // namespace project
