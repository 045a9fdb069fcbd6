#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/controls/control_checks.h"
#include "app/model/value_text.h"
#include "platform/class_library/utf8_literal.h"
#include "tests/support/printers.h"
#include "tests/support/qt_application.h"

namespace {

TEST(NumberReading, AbsentTextsAndControls) {
    testing_support::EnsureApplication();
    EXPECT_EQ(ParseFloat(static_cast<const char*>(nullptr)), 0.0f);
    EXPECT_FALSE(IsFloatText(static_cast<const char*>(nullptr)));
    EXPECT_EQ(EditFloat(nullptr), 0.0f);
    EXPECT_TRUE(IsFloatText(static_cast<const QWidget*>(nullptr)));

    QLineEdit edit(U("12,5"));
    EXPECT_EQ(EditFloat(&edit), 12.0f);
    EXPECT_TRUE(IsFloatText(&edit));
    edit.setText(U("abc"));
    EXPECT_EQ(EditFloat(&edit), 0.0f);
    EXPECT_FALSE(IsFloatText(&edit));
    QComboBox combo;
    combo.setEditable(true);
    combo.setEditText(U("1e3"));
    EXPECT_TRUE(IsFloatText(&combo));
    combo.setEditText(QString());
    EXPECT_FALSE(IsFloatText(&combo));
}

// An edit box in a group box on a form that has not been shown.
class ControlCheck : public testing_support::WithApplication, public ::testing::Test {
protected:
    ControlCheck() {
        auto* layout = new QVBoxLayout(group);
        layout->addWidget(edit);
        other->setText(U("1.5"));
        layout->addWidget(other);
    }

    QWidget form;
    QGroupBox* group = new QGroupBox(&form);
    QLineEdit* edit = new QLineEdit;
    QLineEdit* other = new QLineEdit;
};

TEST_F(ControlCheck, ChecksOnlyEditsThatCanTakeTheFocus) {
    EXPECT_FALSE(CheckControlValue(edit)) << "empty, visible and enabled on a hidden form";
    edit->setText(U("abc"));
    EXPECT_FALSE(CheckControlValue(edit));
    edit->setText(U("12abc"));
    EXPECT_TRUE(CheckControlValue(edit));

    edit->clear();
    form.setEnabled(false);
    EXPECT_FALSE(CheckControlValue(edit)) << "the form's own state does not count";
    form.setEnabled(true);
    edit->hide();
    EXPECT_TRUE(CheckControlValue(edit));
    edit->show();
    group->setEnabled(false);
    EXPECT_TRUE(CheckControlValue(edit));
    group->setEnabled(true);
    group->hide();
    EXPECT_TRUE(CheckControlValue(edit));
    group->show();

    QLineEdit loose;
    EXPECT_TRUE(CheckControlValue(&loose)) << "not on a form";
    EXPECT_TRUE(CheckControlValue(nullptr));
}

TEST_F(ControlCheck, ValuesHoldWhenEveryGivenEditHolds) {
    EXPECT_TRUE(CheckControlValues({other, nullptr}));
    EXPECT_FALSE(CheckControlValues({other, nullptr, edit}));
    edit->setText(U("-0.5"));
    EXPECT_TRUE(CheckControlValues({other, nullptr, edit}));
    EXPECT_TRUE(CheckControlValues({}));
}

TEST(ListCells, ReadCaptionsAndSubItems) {
    testing_support::EnsureApplication();
    QTreeWidget list;
    list.setColumnCount(4);
    new QTreeWidgetItem(&list, QStringList{U("1"), U("2.5"), U("-")});
    new QTreeWidgetItem(&list, QStringList{U("2")});
    new QTreeWidgetItem(&list, QStringList{U("3"), U("12,5"), U(""), U("1e3")});
    const struct {
        int row;
        int column;
        const char* text;
        float value;
    } cases[] = {
        {0, 0, "1", 1.0f},      {0, 1, "2.5", 2.5f},   {0, 2, "-", 0.0f},   {0, 3, "", 0.0f},
        {1, 0, "2", 2.0f},      {1, 1, "", 0.0f},      {2, 1, "12,5", 12.0f}, {2, 2, "", 0.0f},
        {2, 3, "1e3", 1000.0f}, {3, 0, "", 0.0f},      {-1, 0, "", 0.0f},   {0, -1, "", 0.0f},
        {0, 4, "", 0.0f},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ListCellText(&list, c.row, c.column), U(c.text)) << c.row << ", " << c.column;
        EXPECT_EQ(ListCellFloat(&list, c.row, c.column), c.value) << c.row << ", " << c.column;
    }
    EXPECT_EQ(ListCellText(nullptr, 0, 0), QString());
    EXPECT_EQ(ListCellFloat(nullptr, 0, 0), 0.0f);
}

}  // namespace
