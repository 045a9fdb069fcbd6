#include "app/project/component_walk.h"

#include <QComboBox>
#include <QStackedWidget>
#include <algorithm>

#include "platform/class_library/components.h"
#include "platform/class_library/mem_ini_file.h"

namespace project {

QString SectionOf(const QObject* component) {
    const QObject* owner = platform::OwnerOf(component);
    return owner && !owner->objectName().isEmpty() ? owner->objectName() : component->objectName();
}

void SaveRestoreComponent(platform::TMemIniFile& ini, bool save, QObject* component, const QString& section,
                          std::vector<RestoredComponent>* restored) {
    const StoredKind kind = StoredKindOf(component);
    if (kind == StoredKind::None) return;
    if (save) {
        SaveComponentState(ini, section, component, kind);
        return;
    }
    QVariant state = RestoreComponentState(ini, section, component, kind);
    if (restored) restored->push_back({component, kind, std::move(state)});
    if (RunsHandlerAfterLoad(kind)) platform::RunStateHandler(component);
}

namespace {

// The children in the order they were made. Qt moves a widget to the end of its siblings when it is
// raised, and a stack raises the page it shows; so a stack's pages go by their index, whichever
// is shown. Held as guarded pointers: a handler may remove children while the walk is on them.
std::vector<QPointer<QObject>> ChildrenInOrder(const QObject* component) {
    std::vector<QPointer<QObject>> children;
    if (const auto* stack = qobject_cast<const QStackedWidget*>(component)) {
        for (int i = 0; i < stack->count(); ++i) children.emplace_back(stack->widget(i));
    }
    for (QObject* child : component->children()) {
        if (std::find(children.begin(), children.end(), child) == children.end()) children.emplace_back(child);
    }
    return children;
}

}  // namespace

void WalkComponents(platform::TMemIniFile& ini, bool save, QObject* component,
                    std::vector<RestoredComponent>* restored) {
    if (component == nullptr) return;
    SaveRestoreComponent(ini, save, component, SectionOf(component), restored);
    for (const QPointer<QObject>& child : ChildrenInOrder(component)) {
        if (child) WalkComponents(ini, save, child, restored);
    }
}

void SelectFirstItems(QObject* component) {
    if (component == nullptr) return;
    const StoredKind kind = StoredKindOf(component);
    if (kind == StoredKind::ComboBox || kind == StoredKind::ListBox) {
        const auto* combo = qobject_cast<const QComboBox*>(component);
        // A typed text is something the combo shows.
        if (StateOf(component, kind).toInt() < 0 && (combo == nullptr || combo->currentText().isEmpty()))
            PutState(component, kind, -1);
    }
    for (const QPointer<QObject>& child : ChildrenInOrder(component)) SelectFirstItems(child);
}

void SaveRestoreForms(platform::TMemIniFile& ini, bool save, const std::vector<QObject*>& forms) {
    std::vector<RestoredComponent> restored;
    for (QObject* form : forms) WalkComponents(ini, save, form, save ? nullptr : &restored);
    for (const RestoredComponent& r : restored) {
        if (!r.component || StateOf(r.component, r.kind) == r.state) continue;
        PutState(r.component, r.kind, r.state);
        if (RunsHandlerAfterLoad(r.kind)) platform::RunStateHandler(r.component);
    }
}

}  // namespace project
