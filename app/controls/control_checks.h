#pragma once

#include <QString>
#include <initializer_list>

class QLineEdit;
class QObject;
class QTreeWidget;
class QWidget;

// What the pages ask of their controls: whether one can take the focus, whether it holds a
// number, and the texts of list cells.

// The control sits on a form, and it and every parent up to that form are shown and enabled (the
// form itself may be hidden).
bool CanTakeFocus(const QWidget* widget);

// The edit's number (the longest decimal prefix), 0 when there is none or no edit.
float EditFloat(const QLineEdit* edit);
// The control's text begins with a number; no control counts as a number.
bool IsFloatText(const QWidget* control);
// An edit box that cannot take the focus, or none, is not checked.
bool CheckControlValue(const QLineEdit* edit);
bool CheckControlValues(std::initializer_list<const QLineEdit*> edits);
// 0 when the edit holds a number from min to max; else -1 after focusing it and saying so.
int CheckEditRange(QObject* edit, double max, double min);

// Cells of a report-style list: column 0 is the item's caption, column c its c-th sub-item.
QString ListCellText(const QTreeWidget* list, int row, int column);
float ListCellFloat(const QTreeWidget* list, int row, int column);
