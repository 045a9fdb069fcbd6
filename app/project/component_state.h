#pragma once

#include <QString>
#include <QVariant>

class QComboBox;
class QObject;
namespace platform {
class TMemIniFile;
}

namespace project {

// The kinds of component whose state a project keeps, each by its exact class (a class derived
// from one is none of them).
enum class StoredKind {
    None,
    Edit,            // QLineEdit that is not read-only
    SpinEdit,        // QSpinBox
    ComboBox,        // QComboBox
    ListBox,         // QListWidget
    DateTimePicker,  // QDateEdit, QTimeEdit, QDateTimeEdit
    CheckBox,        // QCheckBox
    PageControl,     // QTabWidget
    TabControl,      // QTabBar standing alone
    StringGrid,      // QTableWidget
    RadioButton,     // QRadioButton
};

// None also for a component without a name, for Qt's own inner parts ("qt_" names) and for the
// method-document grid, which the settings file keeps.
StoredKind StoredKindOf(const QObject* component);

// The component's state in the project's section.
void SaveComponentState(platform::TMemIniFile& ini, const QString& section, const QObject* component,
                        StoredKind kind);
// Sets the component's state from the section as the control itself would take it (a list index
// out of range selects nothing, a spin value is clamped, a tab index out of range keeps the
// present tab, a text is bounded), without running any handler. Returns the state it set.
QVariant RestoreComponentState(const platform::TMemIniFile& ini, const QString& section, QObject* component,
                               StoredKind kind);

// The part of the state a project keeps, and putting it back without running any handler.
QVariant StateOf(const QObject* component, StoredKind kind);
void PutState(QObject* component, StoredKind kind, const QVariant& state);

// The kinds whose OnChange or OnClick event runs after their state is restored.
bool RunsHandlerAfterLoad(StoredKind kind);

// The item a combo's shown text stands for: the current item when its text is that text, else
// the first item equal to it ignoring letter case, else -1 (a typed text that is no item).
int SelectedIndex(const QComboBox* combo);

}  // namespace project
