#include "app/controls/control_checks.h"

#include <QLineEdit>
#include <QTreeWidget>
#include <QVariant>
#include <QWidget>
#include <algorithm>
#include <optional>

#include "app/model/value_text.h"
#include "platform/class_library/dialogs.h"
#include "platform/class_library/utf8_literal.h"
#include "platform/text/number_format.h"

namespace {

QString ControlText(const QWidget* control) {
    if (const auto* edit = qobject_cast<const QLineEdit*>(control)) return edit->text();
    const QVariant text = control->property("currentText");
    return text.isValid() ? text.toString() : control->property("text").toString();
}

}  // namespace

// The class library's rule: the control sits on a form, and it and every parent up to that form
// are visible and enabled; the form itself may be hidden or disabled.
bool CanTakeFocus(const QWidget* widget) {
    const QWidget* form = widget->window();
    if (form == widget) return false;
    return widget->isVisibleTo(form) && widget->isEnabledTo(form);
}

float EditFloat(const QLineEdit* edit) { return edit ? ParseFloat(edit->text()) : 0.0f; }

bool IsFloatText(const QWidget* control) { return control == nullptr || IsFloatText(ControlText(control)); }

bool CheckControlValue(const QLineEdit* edit) {
    if (edit == nullptr || !CanTakeFocus(edit)) return true;
    return IsFloatText(edit->text());
}

bool CheckControlValues(std::initializer_list<const QLineEdit*> edits) {
    return std::all_of(edits.begin(), edits.end(),
                       [](const QLineEdit* edit) { return CheckControlValue(edit); });
}

int CheckEditRange(QObject* control, double max, double min) {
    auto* edit = qobject_cast<QLineEdit*>(control);
    if (edit == nullptr) return -1;
    const std::optional<float> value = ReadFloat(edit->text());
    if (value && min <= static_cast<double>(*value) && static_cast<double>(*value) <= max) return 0;
    const QString text = U("Значение вне допустимого диапазона ") + QString::fromStdString(platform::FormatGeneral(min, 15)) +
                         "..." + QString::fromStdString(platform::FormatGeneral(max, 15)) + " !";
    if (CanTakeFocus(edit)) edit->setFocus();
    platform::MessageBox(nullptr, text, U("Некорректное значение!"), platform::MB_ICONERROR | platform::MB_OK);
    return -1;
}

QString ListCellText(const QTreeWidget* list, int row, int column) {
    if (list == nullptr || row < 0 || row >= list->topLevelItemCount() || column < 0) return {};
    const QTreeWidgetItem* item = list->topLevelItem(row);
    if (column > 0 && column >= item->columnCount()) return {};
    return item->text(column);
}

float ListCellFloat(const QTreeWidget* list, int row, int column) {
    return ParseFloat(ListCellText(list, row, column));
}
