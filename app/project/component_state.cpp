#include "app/project/component_state.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTime>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimeEdit>
#include <chrono>
#include <utility>
#include <vector>

#include "app/project/ini_names.h"
#include "app/project/stored_lists.h"
#include "platform/class_library/components.h"
#include "platform/class_library/mem_ini_file.h"
#include "platform/system/clock.h"

namespace project {
namespace {

using platform::IsExactly;

QDateTime LocalNow() {
    const auto since = platform::WallClockNow().time_since_epoch();
    return QDateTime::fromMSecsSinceEpoch(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

bool IsNameList(const QObject* combo) { return combo->objectName().contains(QLatin1String(kNameListMark)); }

bool IsTimePicker(const QObject* picker) { return picker->objectName() == QLatin1String(kTimePickerName); }

// The stored cells of a grid, rows outer: from 1 when it has fixed columns, else from 0.
std::vector<std::pair<int, int>> StoredCells(const QTableWidget* grid) {
    const int first = platform::FixedCols(grid) > 0 ? 1 : 0;
    std::vector<std::pair<int, int>> cells;
    for (int row = first; row < grid->rowCount(); ++row) {
        for (int column = first; column < grid->columnCount(); ++column) cells.emplace_back(row, column);
    }
    return cells;
}

QString CellText(const QTableWidget* grid, int row, int column) {
    const QTableWidgetItem* item = grid->item(row, column);
    return item ? item->text() : QString();
}

void SetCellText(QTableWidget* grid, int row, int column, const QString& text) {
    if (QTableWidgetItem* item = grid->item(row, column)) {
        item->setText(text);
    } else {
        grid->setItem(row, column, new QTableWidgetItem(text));
    }
}

void PutGridCells(QTableWidget* grid, const QStringList& texts) {
    const QSignalBlocker quiet(grid);
    const auto cells = StoredCells(grid);
    for (std::size_t n = 0; n < cells.size() && n < static_cast<std::size_t>(texts.size()); ++n) {
        SetCellText(grid, cells[n].first, cells[n].second, texts[static_cast<qsizetype>(n)]);
    }
    grid->viewport()->update();
}

// A stored index outside the list selects nothing; with nothing selected the first item is.
void PutComboIndex(QComboBox* combo, int index) {
    const QSignalBlocker quiet(combo);
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
    if (combo->currentIndex() < 0 && combo->count() > 0) combo->setCurrentIndex(0);
}

void PutListIndex(QListWidget* list, int index) {
    const QSignalBlocker quiet(list);
    list->setCurrentRow(index >= 0 && index < list->count() ? index : -1);
    if (list->currentRow() < 0 && list->count() > 0) list->setCurrentRow(0);
}

// A tab index outside the tabs keeps the present tab.
template <typename Tabs>
void PutTabIndex(Tabs* tabs, int index) {
    if (index < 0 || index >= tabs->count()) return;
    const QSignalBlocker quiet(tabs);
    tabs->setCurrentIndex(index);
}

int FindName(const QComboBox* combo, const QString& name) {
    for (int i = 0; i < combo->count(); ++i) {
        if (combo->itemText(i).trimmed().compare(name, Qt::CaseInsensitive) == 0) return i;
    }
    return -1;
}

// Names stored in a name list join the list unless it has them already; the comparison ignores
// the blanks around a name (a built-in name has one behind it) and letter case. A new name goes
// behind the stored name before it, so the list keeps the stored order (a name added by the user
// stays before the add entry). Returns the stored names, trimmed, in their stored places.
QStringList MergeStoredNames(const platform::TMemIniFile& ini, const QString& section, QComboBox* combo) {
    const QSignalBlocker quiet(combo);
    QStringList stored;
    int insertAt = 0;
    for (const QString& text : ReadNumberedList(ini, section, combo->objectName())) {
        const QString name = BoundedText(text.trimmed());
        stored << name;
        if (name.isEmpty()) continue;
        const int found = FindName(combo, name);
        if (found >= 0) {
            insertAt = found + 1;
            continue;
        }
        combo->insertItem(insertAt++, name);
    }
    return stored;
}

// The stored index of a name list counts in the stored list, which may differ from the list it
// joined: it selects the name it stood for.
int NameIndex(const QComboBox* combo, const QStringList& stored, int index) {
    if (index < 0 || index >= stored.size() || stored[index].isEmpty()) return index;
    return FindName(combo, stored[index]);
}

}  // namespace

StoredKind StoredKindOf(const QObject* c) {
    if (c == nullptr) return StoredKind::None;
    const QString name = c->objectName();
    if (name.isEmpty() || name.startsWith(QLatin1String("qt_"))) return StoredKind::None;
    if (IsExactly<QLineEdit>(c)) {
        return static_cast<const QLineEdit*>(c)->isReadOnly() ? StoredKind::None : StoredKind::Edit;
    }
    if (IsExactly<QSpinBox>(c)) return StoredKind::SpinEdit;
    if (IsExactly<QComboBox>(c)) return StoredKind::ComboBox;
    if (IsExactly<QListWidget>(c)) return StoredKind::ListBox;
    if (IsExactly<QDateEdit>(c) || IsExactly<QTimeEdit>(c) || IsExactly<QDateTimeEdit>(c))
        return StoredKind::DateTimePicker;
    if (IsExactly<QCheckBox>(c)) return StoredKind::CheckBox;
    if (IsExactly<QTabWidget>(c)) return StoredKind::PageControl;
    if (IsExactly<QTabBar>(c)) return StoredKind::TabControl;
    if (IsExactly<QTableWidget>(c)) {
        return name == QLatin1String(kMethodDocGrid) ? StoredKind::None : StoredKind::StringGrid;
    }
    if (IsExactly<QRadioButton>(c)) return StoredKind::RadioButton;
    return StoredKind::None;
}

int SelectedIndex(const QComboBox* combo) {
    if (!combo->isEditable()) return combo->currentIndex();
    const QString text = combo->currentText();
    const int current = combo->currentIndex();
    if (current >= 0 && combo->itemText(current) == text) return current;
    return combo->findText(text, Qt::MatchFixedString);
}

void SaveComponentState(platform::TMemIniFile& ini, const QString& section, const QObject* c, StoredKind kind) {
    const QString name = c->objectName();
    switch (kind) {
        case StoredKind::None: return;
        case StoredKind::Edit: ini.WriteString(section, name, static_cast<const QLineEdit*>(c)->text()); return;
        case StoredKind::SpinEdit: ini.WriteInteger(section, name, static_cast<const QSpinBox*>(c)->value()); return;
        case StoredKind::ComboBox: {
            const auto* combo = static_cast<const QComboBox*>(c);
            if (IsNameList(combo)) {
                QStringList items;
                for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
                WriteNumberedList(ini, section, name, items);
            }
            ini.WriteInteger(section, name, SelectedIndex(combo));
            return;
        }
        case StoredKind::ListBox:
            ini.WriteInteger(section, name, static_cast<const QListWidget*>(c)->currentRow());
            return;
        case StoredKind::DateTimePicker: {
            const auto* picker = static_cast<const QDateTimeEdit*>(c);
            if (IsTimePicker(c)) {
                ini.WriteTime(section, kTimeKey, picker->time());
            } else {
                ini.WriteDate(section, kDateKey, picker->date());
            }
            return;
        }
        case StoredKind::CheckBox:
            ini.WriteString(section, name, static_cast<const QCheckBox*>(c)->isChecked() ? "1" : "0");
            return;
        case StoredKind::PageControl:
            ini.WriteInteger(section, name, static_cast<const QTabWidget*>(c)->currentIndex());
            return;
        case StoredKind::TabControl:
            ini.WriteInteger(section, name, static_cast<const QTabBar*>(c)->currentIndex());
            return;
        case StoredKind::StringGrid: {
            const auto* grid = static_cast<const QTableWidget*>(c);
            int n = 0;
            for (const auto& [row, column] : StoredCells(grid))
                ini.WriteString(section, NumberedKey(name, n++), CellText(grid, row, column));
            return;
        }
        case StoredKind::RadioButton:
            ini.WriteInteger(section, name, static_cast<const QRadioButton*>(c)->isChecked() ? 1 : 0);
            return;
    }
}

QVariant RestoreComponentState(const platform::TMemIniFile& ini, const QString& section, QObject* c,
                               StoredKind kind) {
    const QString name = c->objectName();
    const QVariant present = StateOf(c, kind);
    QVariant stored;
    switch (kind) {
        case StoredKind::None: return {};
        case StoredKind::Edit: stored = ini.ReadString(section, name, present.toString()); break;
        case StoredKind::SpinEdit:
        case StoredKind::ListBox:
        case StoredKind::PageControl:
        case StoredKind::TabControl: stored = ini.ReadInteger(section, name, present.toInt()); break;
        case StoredKind::ComboBox: {
            const int index = ini.ReadInteger(section, name, 0);
            if (!IsNameList(c)) {
                stored = index;
                break;
            }
            auto* combo = static_cast<QComboBox*>(c);
            stored = NameIndex(combo, MergeStoredNames(ini, section, combo), index);
            break;
        }
        case StoredKind::DateTimePicker: {
            const QDateTime now = LocalNow();
            stored = IsTimePicker(c) ? QVariant(ini.ReadTime(section, kTimeKey, now.time()))
                                     : QVariant(ini.ReadDate(section, kDateKey, now.date()));
            break;
        }
        case StoredKind::CheckBox:
        case StoredKind::RadioButton: stored = ini.ReadInteger(section, name, present.toBool() ? 1 : 0) != 0; break;
        case StoredKind::StringGrid: {
            QStringList texts;
            const auto cells = StoredCells(static_cast<QTableWidget*>(c));
            for (std::size_t n = 0; n < cells.size(); ++n) {
                texts << BoundedText(
                    ini.ReadString(section, NumberedKey(name, static_cast<int>(n)), QLatin1String(kMissingCell)));
            }
            stored = texts;
            break;
        }
    }
    PutState(c, kind, stored);
    return StateOf(c, kind);
}

QVariant StateOf(const QObject* c, StoredKind kind) {
    switch (kind) {
        case StoredKind::None: return {};
        case StoredKind::Edit: return static_cast<const QLineEdit*>(c)->text();
        case StoredKind::SpinEdit: return static_cast<const QSpinBox*>(c)->value();
        case StoredKind::ComboBox: return static_cast<const QComboBox*>(c)->currentIndex();
        case StoredKind::ListBox: return static_cast<const QListWidget*>(c)->currentRow();
        case StoredKind::DateTimePicker: {
            const auto* picker = static_cast<const QDateTimeEdit*>(c);
            return IsTimePicker(c) ? QVariant(picker->time()) : QVariant(picker->date());
        }
        case StoredKind::CheckBox: return static_cast<const QCheckBox*>(c)->isChecked();
        case StoredKind::PageControl: return static_cast<const QTabWidget*>(c)->currentIndex();
        case StoredKind::TabControl: return static_cast<const QTabBar*>(c)->currentIndex();
        case StoredKind::StringGrid: {
            const auto* grid = static_cast<const QTableWidget*>(c);
            QStringList texts;
            for (const auto& [row, column] : StoredCells(grid)) texts << CellText(grid, row, column);
            return texts;
        }
        case StoredKind::RadioButton: return static_cast<const QRadioButton*>(c)->isChecked();
    }
    return {};
}

void PutState(QObject* c, StoredKind kind, const QVariant& state) {
    switch (kind) {
        case StoredKind::None: return;
        // An edit set by code runs its change event, as the class library's edit does.
        case StoredKind::Edit: static_cast<QLineEdit*>(c)->setText(state.toString()); return;
        case StoredKind::SpinEdit: {
            auto* spin = static_cast<QSpinBox*>(c);
            const QSignalBlocker quiet(spin);
            spin->setValue(state.toInt());  // clamped to the spin's limits
            return;
        }
        case StoredKind::ComboBox: PutComboIndex(static_cast<QComboBox*>(c), state.toInt()); return;
        case StoredKind::ListBox: PutListIndex(static_cast<QListWidget*>(c), state.toInt()); return;
        case StoredKind::DateTimePicker: {
            auto* picker = static_cast<QDateTimeEdit*>(c);
            const QSignalBlocker quiet(picker);
            if (IsTimePicker(c)) {
                picker->setTime(state.toTime());
            } else {
                picker->setDate(state.toDate());
            }
            return;
        }
        case StoredKind::CheckBox: {
            auto* box = static_cast<QCheckBox*>(c);
            const QSignalBlocker quiet(box);
            box->setChecked(state.toBool());
            return;
        }
        case StoredKind::PageControl: PutTabIndex(static_cast<QTabWidget*>(c), state.toInt()); return;
        case StoredKind::TabControl: PutTabIndex(static_cast<QTabBar*>(c), state.toInt()); return;
        case StoredKind::StringGrid: PutGridCells(static_cast<QTableWidget*>(c), state.toStringList()); return;
        case StoredKind::RadioButton: static_cast<QRadioButton*>(c)->setChecked(state.toBool()); return;
    }
}

bool RunsHandlerAfterLoad(StoredKind kind) {
    return kind == StoredKind::SpinEdit || kind == StoredKind::ComboBox || kind == StoredKind::CheckBox ||
           kind == StoredKind::TabControl;
}

}  // namespace project
