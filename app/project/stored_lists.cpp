#include "app/project/stored_lists.h"

#include "app/project/ini_names.h"
#include "platform/class_library/mem_ini_file.h"

namespace project {

QString BoundedText(const QString& text) { return text.left(kLongestStoredText); }

QStringList ReadNumberedList(const platform::TMemIniFile& ini, const QString& section, const QString& name) {
    QStringList items;
    for (int n = 0; n < kLongestStoredList && ini.ValueExists(section, NumberedKey(name, n)); ++n) {
        items << ini.ReadString(section, NumberedKey(name, n), QString());
    }
    return items;
}

void WriteNumberedList(platform::TMemIniFile& ini, const QString& section, const QString& name,
                       const QStringList& items) {
    for (int n = 0; n < items.size(); ++n) ini.WriteString(section, NumberedKey(name, n), items[n]);
    const QString prefix = NumberedKey(name, 0).chopped(1);
    for (const QString& key : ini.ReadSection(section)) {
        if (!key.startsWith(prefix, Qt::CaseInsensitive)) continue;
        bool isNumber = false;
        const int n = key.mid(prefix.size()).toInt(&isNumber);
        if (isNumber && n >= items.size() && NumberedKey(name, n).compare(key, Qt::CaseInsensitive) == 0) {
            ini.DeleteKey(section, key);
        }
    }
}

}  // namespace project
