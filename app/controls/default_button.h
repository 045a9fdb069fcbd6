#pragma once

#include <initializer_list>

class QPushButton;
class QWidget;

// Enter in any control of a page presses the page's default button, as on the class library's
// forms (Qt honours a default button only inside dialogs). A focused push button takes Enter
// itself, as a dialog's button does. The controls in ownEnter, and everything inside them, give
// Enter a meaning of their own and keep it. The default button is pressed only while it can take
// the focus, so a hidden or disabled one does nothing.
void PressDefaultButtonOnEnter(QWidget* page, QPushButton* button, std::initializer_list<QWidget*> ownEnter = {});
