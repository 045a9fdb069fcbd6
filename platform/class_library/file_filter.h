#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// The forms describe file dialogs the class library's way; these turn that into what Qt and a
// path need. Shared by the Qt dialogs and the recorder of the tests, so both answer alike; kept
// in the header so the recorder needs nothing linked for them.

// "Name|*.a|Other|*.b;*.c" becomes "Name (*.a);;Other (*.b *.c)". A name left without its
// patterns at the end is dropped.
inline QString QtNameFilter(const QString& filter) {
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& pattern : parts[i + 1].split(u';')) {
            const QString trimmed = pattern.trimmed();
            if (!trimmed.isEmpty()) patterns << trimmed;
        }
        if (patterns.isEmpty()) continue;
        const QString name = parts[i].trimmed();
        filters << (name.isEmpty() ? QString() : name + u' ') + u'(' + patterns.join(u' ') + u')';
    }
    return filters.join(QStringLiteral(";;"));
}

// The path with ".<defaultExt>" added when its file name has no extension. defaultExt may be
// given with or without its leading '.'; an empty one leaves the path alone.
inline QString WithDefaultExtension(const QString& path, const QString& defaultExt) {
    QString ext = defaultExt;
    if (ext.startsWith(u'.')) ext.remove(0, 1);
    const QString name = path.mid(path.lastIndexOf(u'/') + 1);
    if (ext.isEmpty() || name.isEmpty()) return path;
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0) return path + u'.' + ext;
    // A name ending in '.' has no extension yet; the default one follows the dot already there.
    if (dot == name.size() - 1) return path + ext;
    return path;
}

}  // namespace platform
