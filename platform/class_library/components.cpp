#include "platform/class_library/components.h"

#include <QCheckBox>
#include <QComboBox>
#include <QSpinBox>
#include <QTabBar>

namespace platform {
namespace {

// Rides on the component as a child, so that the handler goes when the component goes.
class StateHandlerHolder : public QObject {
public:
    StateHandlerHolder(QObject* component, StateHandler h) : QObject(component), handler(std::move(h)) {}
    StateHandler handler;
};

StateHandlerHolder* HolderOf(const QObject* component) {
    for (QObject* child : component->children()) {
        if (auto* holder = dynamic_cast<StateHandlerHolder*>(child)) return holder;
    }
    return nullptr;
}

}  // namespace

void SetStateHandler(QObject* component, StateHandler handler) {
    if (!component) return;
    if (StateHandlerHolder* holder = HolderOf(component)) {
        holder->handler = std::move(handler);
        return;
    }
    new StateHandlerHolder(component, std::move(handler));
}

void RunStateHandler(QObject* component) {
    if (!component) return;
    if (const StateHandlerHolder* holder = HolderOf(component)) {
        // A copy: the handler may set another handler on this very component.
        const StateHandler handler = holder->handler;
        if (handler) handler(nullptr);
        return;
    }
    if (auto* combo = qobject_cast<QComboBox*>(component)) {
        emit combo->activated(combo->currentIndex());
    } else if (auto* box = qobject_cast<QCheckBox*>(component)) {
        emit box->toggled(box->isChecked());
    } else if (auto* spin = qobject_cast<QSpinBox*>(component)) {
        emit spin->valueChanged(spin->value());
    } else if (auto* tabs = qobject_cast<QTabBar*>(component)) {
        emit tabs->currentChanged(tabs->currentIndex());
    }
}

}  // namespace platform
