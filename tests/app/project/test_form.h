#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimeEdit>
#include <QWidget>
#include <memory>
#include <vector>

#include "platform/class_library/components.h"
#include "tests/support/qt_application.h"

namespace project_testing {

inline QString U(const char* text) { return QString::fromUtf8(text); }

// A fixture's first member, so that the application exists before any widget.
struct ApplicationFirst {
    ApplicationFirst() { testing_support::EnsureApplication(); }
};

// A line edit of a class of its own: not stored, as only exact classes are.
class DerivedEdit : public QLineEdit {
public:
    using QLineEdit::QLineEdit;
};

// A form with a frame, one component of every stored kind and a few that are not stored. The
// frame sits in a group box of the form, so its Qt parent is no owner.
struct TestForm {
    TestForm() : form(std::make_unique<QWidget>()) {
        form->setObjectName("FormTest");
        platform::MarkAsOwner(form.get());
        auto* box = Named(new QGroupBox(form.get()), "GroupBox1");
        frame = Named(new QWidget(box), "FrameTest1");
        platform::MarkAsOwner(frame);

        edit = Named(new QLineEdit(box), "Edit1");
        edit->setMaxLength(10);
        readOnly = Named(new QLineEdit("fixed", form.get()), "ReadOnly1");
        readOnly->setReadOnly(true);
        derived = Named(new DerivedEdit(form.get()), "Derived1");
        unnamed = new QLineEdit(form.get());
        Named(new QLabel("label", form.get()), "Label1");
        Named(new QPushButton("button", form.get()), "Button1");
        check = Named(new QCheckBox(form.get()), "Check1");
        radio1 = Named(new QRadioButton(form.get()), "Radio1");
        radio2 = Named(new QRadioButton(form.get()), "Radio2");
        radio1->setChecked(true);
        pages = Named(new QTabWidget(form.get()), "Pages");
        for (const char* name : {"Sheet0", "Sheet1", "Sheet2"}) {
            auto* sheet = Named(new QWidget, name);
            pages->addTab(sheet, name);
        }
        pageCheck = Named(new QCheckBox(pages->widget(2)), "PageCheck");

        spin = Named(new QSpinBox(frame), "cfgApprox");
        spin->setRange(1, 20);
        spin->setValue(1);
        combo = Named(new QComboBox(frame), "Combo1");
        combo->addItems({"A", "B", "C"});
        typed = Named(new QComboBox(frame), "Typed1");
        typed->setEditable(true);
        typed->addItems({"x1", "x2"});
        names = Named(new QComboBox(frame), "ComboBoxModel_1");
        names->setEditable(true);
        names->addItems({U("нет"), U("ДРК-7 "), U("УЛМ-41"), U("Добавить")});
        list = Named(new QListWidget(frame), "List1");
        list->addItems({"l0", "l1", "l2"});
        date = Named(new QDateEdit(QDate(2020, 1, 1), frame), "DatePicker");
        time = Named(new QTimeEdit(QTime(1, 2, 3), frame), "TimePicker");
        tabs = Named(new QTabBar(frame), "Tabs1");
        for (const char* caption : {"t0", "t1", "t2", "t3"}) tabs->addTab(caption);
        grid = Named(new QTableWidget(3, 3, frame), "Grid1");  // titles in row 0 and column 0
        platform::SetFixedCells(grid, 1, 1);
        plain = Named(new QTableWidget(2, 2, frame), "Plain1");
        methods = Named(new QTableWidget(2, 2, frame), "sg_MP");
        serials = Named(new QComboBox(frame), "cbZavNo");
        serials->setEditable(true);
    }

    template <typename T>
    static T* Named(T* object, const char* name) {
        object->setObjectName(name);
        return object;
    }

    std::vector<QObject*> forms() const { return {form.get()}; }

    std::unique_ptr<QWidget> form;
    QWidget* frame;
    QLineEdit* edit;
    QLineEdit* readOnly;
    DerivedEdit* derived;
    QLineEdit* unnamed;
    QCheckBox* check;
    QRadioButton* radio1;
    QRadioButton* radio2;
    QTabWidget* pages;
    QCheckBox* pageCheck;
    QSpinBox* spin;
    QComboBox* combo;
    QComboBox* typed;
    QComboBox* names;
    QListWidget* list;
    QDateEdit* date;
    QTimeEdit* time;
    QTabBar* tabs;
    QTableWidget* grid;
    QTableWidget* plain;
    QTableWidget* methods;
    QComboBox* serials;
};

inline QString Cell(const QTableWidget* grid, int row, int column) {
    const QTableWidgetItem* item = grid->item(row, column);
    return item ? item->text() : QString();
}

inline void SetCell(QTableWidget* grid, int row, int column, const QString& text) {
    grid->setItem(row, column, new QTableWidgetItem(text));
}

inline QStringList Items(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
    return items;
}

}  // namespace project_testing
