#include "app/project/global_lists.h"

#include <QComboBox>
#include <QSignalBlocker>
#include <QTableWidget>

#include "app/project/ini_names.h"
#include "app/project/stored_lists.h"
#include "platform/class_library/mem_ini_file.h"

namespace project {
namespace {

template <typename T>
T* FindInForms(const std::vector<QObject*>& forms, const char* name) {
    for (QObject* form : forms) {
        if (!form) continue;
        if (T* found = form->findChild<T*>(QLatin1String(name))) return found;
    }
    return nullptr;
}

void SaveRestoreMethodDocs(platform::TMemIniFile& settings, bool save, QTableWidget* grid) {
    const QString section = QLatin1String(kMethodDocSection);
    const QString name = QLatin1String(kMethodDocGrid);
    const QSignalBlocker quiet(grid);
    int n = 0;
    for (int row = 0; row < grid->rowCount(); ++row) {
        for (int column = 0; column < grid->columnCount(); ++column, ++n) {
            QTableWidgetItem* item = grid->item(row, column);
            if (save) {
                settings.WriteString(section, NumberedKey(name, n), item ? item->text() : QString());
                continue;
            }
            const QString text =
                BoundedText(settings.ReadString(section, NumberedKey(name, n), QLatin1String(kMissingCell)));
            if (item) {
                item->setText(text);
            } else {
                grid->setItem(row, column, new QTableWidgetItem(text));
            }
        }
    }
    grid->viewport()->update();
}

void SaveRestoreSerials(platform::TMemIniFile& settings, bool save, QComboBox* combo) {
    const QString section = QLatin1String(kSerialSection);
    const QString name = QLatin1String(kSerialCombo);
    if (save) {
        QStringList serials;
        for (int i = 0; i < combo->count(); ++i) {
            if (!combo->itemText(i).isEmpty()) serials << combo->itemText(i);
        }
        WriteNumberedList(settings, section, name, serials);
        return;
    }
    const QSignalBlocker quiet(combo);
    for (const QString& stored : ReadNumberedList(settings, section, name)) {
        const QString serial = BoundedText(stored);
        if (!serial.isEmpty() && combo->findText(serial, Qt::MatchFixedString) < 0) combo->addItem(serial);
    }
    combo->update();
}

}  // namespace

void SaveRestoreGlobalLists(platform::TMemIniFile& settings, bool save, const std::vector<QObject*>& forms) {
    if (auto* grid = FindInForms<QTableWidget>(forms, kMethodDocGrid)) SaveRestoreMethodDocs(settings, save, grid);
    if (auto* combo = FindInForms<QComboBox>(forms, kSerialCombo)) SaveRestoreSerials(settings, save, combo);
}

}  // namespace project
