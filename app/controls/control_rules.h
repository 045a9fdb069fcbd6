#pragma once

#include <QObject>
#include <functional>

class QCheckBox;
class QComboBox;
class QWidget;

// How the pages' controls behave where Qt differs from the class library the pages were laid out
// for. Every page uses these for the controls they name, so the rule holds program-wide.

// A control the page shows and hides keeps its place: nothing in the layout moves under the
// pointer when it comes or goes.
void KeepPlaceWhenHidden(QWidget* widget);

// A combo box the user may type into. What is typed stays the combo's text; Enter never puts it
// into the list (the page adds items itself where it adds any).
void MakeEditableWithoutInsert(QComboBox* combo);

// The box's click handler runs whenever its state changes: by the user's click, and when code
// ticks or clears it, as the class library's check box runs OnClick.
void OnCheckBoxClick(QCheckBox* box, QObject* context, std::function<void()> handler);
