#pragma once

#include <QObject>
#include <QVariant>
#include <functional>
#include <typeinfo>

namespace platform {

// Forms and frames own the components inside them, as the stored state keys them: the owner of
// a component is its nearest enclosing form or frame, not its Qt parent (a group box is a
// parent, never an owner).
inline constexpr const char* kOwnerProperty = "zkvOwner";

inline void MarkAsOwner(QObject* formOrFrame) { formOrFrame->setProperty(kOwnerProperty, true); }

inline bool IsOwner(const QObject* object) { return object && object->property(kOwnerProperty).toBool(); }

inline QObject* OwnerOf(const QObject* component) {
    for (QObject* p = component ? component->parent() : nullptr; p; p = p->parent()) {
        if (IsOwner(p)) return p;
    }
    return nullptr;
}

// The component is of exactly this class, not of a class derived from it.
template <typename T>
bool IsExactly(const QObject* object) {
    return object && typeid(*object) == typeid(T);
}

// A grid's leading rows and columns that hold titles, not data (a table widget shows them as
// ordinary cells). None unless set.
inline constexpr const char* kFixedRowsProperty = "zkvFixedRows";
inline constexpr const char* kFixedColsProperty = "zkvFixedCols";

inline void SetFixedCells(QObject* grid, int rows, int columns) {
    grid->setProperty(kFixedRowsProperty, rows);
    grid->setProperty(kFixedColsProperty, columns);
}
inline int FixedCols(const QObject* grid) { return grid ? grid->property(kFixedColsProperty).toInt() : 0; }

// What the class library runs as a component's OnChange or OnClick event when code other than
// the user's action sets its state and then runs the event with no sender (as a project load
// does). A page connects its user signals itself; it sets a state handler only where running the
// event with no sender must differ from what that signal does, or where the component has no
// such event at all (an empty handler).
using StateHandler = std::function<void(QObject* sender)>;
void SetStateHandler(QObject* component, StateHandler handler);

// Runs the component's state handler with no sender. Without one set, emits the signal the pages
// connect their events to: activated for a combo box, valueChanged for a spin box, currentChanged
// for a tab bar, and toggled for a check box (whose click event runs at every change of its
// state); other components have no event.
void RunStateHandler(QObject* component);

}  // namespace platform
