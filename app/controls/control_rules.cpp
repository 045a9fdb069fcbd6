#include "app/controls/control_rules.h"

#include <QCheckBox>
#include <QComboBox>
#include <QSizePolicy>
#include <QWidget>
#include <utility>

void KeepPlaceWhenHidden(QWidget* widget) {
    QSizePolicy policy = widget->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(policy);
}

void MakeEditableWithoutInsert(QComboBox* combo) {
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
}

void OnCheckBoxClick(QCheckBox* box, QObject* context, std::function<void()> handler) {
    QObject::connect(box, &QCheckBox::toggled, context, [handler = std::move(handler)](bool) { handler(); });
}
