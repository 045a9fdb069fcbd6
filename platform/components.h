#pragma once

#include <QObject>
#include <QVariant>
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

}  // namespace platform
