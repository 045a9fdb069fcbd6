#include "app/controls/default_button.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QWidget>
#include <algorithm>
#include <vector>

#include "app/controls/control_checks.h"

namespace {

// Takes Enter at the focused control, before the control's own key handling, as the class
// library's form does (a number field's key filter drops Enter, yet the default button is pressed).
// It watches the application because the key goes to the control, not to the page.
class DefaultButtonFilter : public QObject {
public:
    DefaultButtonFilter(QWidget* page, QPushButton* button, std::initializer_list<QWidget*> ownEnter)
        : QObject(page), page_(page), button_(button), ownEnter_(ownEnter.begin(), ownEnter.end()) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<const QKeyEvent*>(event);
        const bool plain = key->modifiers() == Qt::NoModifier ||
                           (key->modifiers() == Qt::KeypadModifier && key->key() == Qt::Key_Enter);
        if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) || !plain) return false;
        auto* control = qobject_cast<QWidget*>(watched);
        if (control == nullptr || control != QApplication::focusWidget() || !page_->isAncestorOf(control)) return false;
        const bool keepsEnter = std::any_of(ownEnter_.begin(), ownEnter_.end(), [control](const QPointer<QWidget>& own) {
            return own && (own == control || own->isAncestorOf(control));
        });
        if (keepsEnter) return false;
        if (auto* focused = qobject_cast<QPushButton*>(control); focused && focused->isEnabled()) {
            focused->click();
            return true;
        }
        if (button_ && CanTakeFocus(button_)) {
            button_->click();
            return true;
        }
        return false;
    }

private:
    QWidget* page_;
    QPointer<QPushButton> button_;
    std::vector<QPointer<QWidget>> ownEnter_;
};

}  // namespace

void PressDefaultButtonOnEnter(QWidget* page, QPushButton* button, std::initializer_list<QWidget*> ownEnter) {
    if (QCoreApplication* application = QCoreApplication::instance())
        application->installEventFilter(new DefaultButtonFilter(page, button, ownEnter));
}
