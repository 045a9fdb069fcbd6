#pragma once

#include <QPointer>
#include <QString>
#include <QVariant>
#include <vector>

#include "app/project/component_state.h"

class QObject;
namespace platform {
class TMemIniFile;
}

namespace project {

// The section of a component: the name of its owner (the nearest enclosing form or frame) when
// that has a name, else its own name.
QString SectionOf(const QObject* component);

// What a load set, for putting back what a later component's handler changed.
struct RestoredComponent {
    QPointer<QObject> component;
    StoredKind kind = StoredKind::None;
    QVariant state;
};

// Stores or restores one component by its kind; a restored spin edit, combo box, check box or
// tab control then runs its change or click event with no sender.
void SaveRestoreComponent(platform::TMemIniFile& ini, bool save, QObject* component, const QString& section,
                          std::vector<RestoredComponent>* restored = nullptr);

// Stores or restores the component, then every component inside it, depth first in the order of
// creation.
void WalkComponents(platform::TMemIniFile& ini, bool save, QObject* component,
                    std::vector<RestoredComponent>* restored = nullptr);

// Every combo box and list box inside the component that has items but shows none selects its
// first item, as a load leaves them; no handler runs.
void SelectFirstItems(QObject* component);

// Walks the forms in their order. After a load, a component whose state a later component's
// handler changed (the set-up page's model combo picks a unit, say) gets its stored state back
// and runs its event again: the file holds the state the controls had when it was saved.
void SaveRestoreForms(platform::TMemIniFile& ini, bool save, const std::vector<QObject*>& forms);

}  // namespace project
