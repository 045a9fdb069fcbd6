#include "platform/class_library/os_services.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <QMetaObject>
#include <QProcess>
#include <vector>

#include "platform/automation/library_loader.h"

namespace platform {
namespace {

struct State {
    std::optional<bool> elevated;
    std::optional<QString> executablePath;
    std::optional<QStringList> arguments;
    OsHooks hooks;
};

State& Services() {
    static State state;
    return state;
}

}  // namespace

bool IsProcessElevated() {
    if (Services().elevated) return *Services().elevated;
    return geteuid() == 0;
}

void SetElevatedOverride(std::optional<bool> elevated) { Services().elevated = elevated; }

QString ExecutablePath() {
    if (Services().executablePath) return *Services().executablePath;
    // readlink does not say when it cut the name short; a name that fills the buffer may have been.
    std::vector<char> buffer(16384);
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size()) return QString();
    return QFile::decodeName(QByteArray(buffer.data(), static_cast<qsizetype>(length)));
}

void SetExecutablePathOverride(std::optional<QString> path) {
    // The libraries the workstation loads ask the loader for the executable's folder.
    if (path) {
        const QByteArray name = QFile::encodeName(*path);
        const qsizetype separator = name.lastIndexOf('/');
        SetExecutableFolderOverride(separator < 0 ? std::string() : name.left(separator).toStdString());
    } else {
        SetExecutableFolderOverride(std::nullopt);
    }
    Services().executablePath = std::move(path);
}

QStringList CommandLineArguments() {
    if (Services().arguments) return *Services().arguments;
    // Until the program states them, the running application's own arguments stand in.
    if (QCoreApplication::instance()) return QCoreApplication::arguments().mid(1);
    return {};
}

void SetCommandLineArguments(const QStringList& arguments) { Services().arguments = arguments; }

void OpenFolder(const QString& path) {
    if (Services().hooks.openFolder) return Services().hooks.openFolder(path);
    QProcess::startDetached(QStringLiteral("xdg-open"), {path});
}

void RequestQuit() {
    if (Services().hooks.requestQuit) return Services().hooks.requestQuit();
    // Queued, so a request made before the loop starts still ends it once it runs. The loop ends
    // there and then: quit() would first ask every window to close, and the main window's close
    // asks whether to save.
    if (QCoreApplication* app = QCoreApplication::instance()) {
        QMetaObject::invokeMethod(app, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    }
}

OsHooks SetOsHooks(OsHooks hooks) {
    OsHooks previous = Services().hooks;
    Services().hooks = std::move(hooks);
    return previous;
}

}  // namespace platform
