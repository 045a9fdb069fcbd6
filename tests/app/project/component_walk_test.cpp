#include "app/project/component_walk.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <map>
#include <string>
#include <type_traits>
#include <vector>

#include "app/project/component_state.h"
#include "platform/class_library/cp1251.h"
#include "platform/class_library/mem_ini_file.h"
#include "platform/system/clock.h"
#include "tests/app/project/test_form.h"
#include "tests/support/printers.h"
#include "tests/support/qt_application.h"
#include "tests/support/temp_folder.h"

namespace {

using platform::TMemIniFile;
using project_testing::Cell;
using project_testing::Items;
using project_testing::SetCell;
using project_testing::TestForm;
using project_testing::U;

// Each time the signal comes, its first argument when that is a number, else 0.
template <typename Sender, typename First>
void Count(Sender* sender, void (Sender::*signal)(First), std::vector<int>* arguments) {
    QObject::connect(sender, signal, sender, [arguments](First first) {
        if constexpr (std::is_convertible_v<First, int>) {
            arguments->push_back(static_cast<int>(first));
        } else {
            arguments->push_back(0);
        }
    });
}

class ComponentWalk : public ::testing::Test {
protected:
    void TearDown() override { platform::SetWallClock(previousClock); }

    QString path() const { return QString::fromStdString(folder.file("walk.zkv")); }
    void writeFile(const std::string& utf8) const {
        std::ofstream(folder.file("walk.zkv"), std::ios::binary) << platform::ToCp1251(QString::fromStdString(utf8));
    }
    void save() {
        TMemIniFile ini(path());
        project::SaveRestoreForms(ini, true, f.forms());
        ASSERT_TRUE(ini.UpdateFile());
    }
    void load() {
        TMemIniFile ini(path());
        ASSERT_TRUE(ini.IsValid());
        project::SaveRestoreForms(ini, false, f.forms());
    }
    // The clock that "today" and "now" are read from.
    void setNow(const QDateTime& now) {
        previousClock = platform::SetWallClock([ms = now.toMSecsSinceEpoch()] {
            return std::chrono::system_clock::time_point(std::chrono::milliseconds(ms));
        });
    }

    project_testing::ApplicationFirst application;
    testing_support::TempFolder folder;
    TestForm f;
    platform::WallClock previousClock;
};

TEST_F(ComponentWalk, StoresEachKnownKindUnderItsOwnersSectionAndNothingElse) {
    save();
    const TMemIniFile ini(path());
    std::map<QString, QStringList> sections;
    for (const QString& section : ini.ReadSections()) sections[section] = ini.ReadSection(section);
    const QStringList numbered = {"ComboBoxModel_1_str0", "ComboBoxModel_1_str1", "ComboBoxModel_1_str2",
                                  "ComboBoxModel_1_str3"};
    EXPECT_EQ(sections.size(), 2u);
    // The frame's Qt parent is the form's group box; its components still go to the frame.
    EXPECT_EQ(sections["FormTest"], (QStringList{"Edit1", "Check1", "Radio1", "Radio2", "Pages", "PageCheck"}));
    EXPECT_EQ(sections["FrameTest1"],
              (QStringList{"cfgApprox", "Combo1", "Typed1"} + numbered +
               QStringList{"ComboBoxModel_1", "List1", "Date", "Time", "Tabs1", "Grid1_str0", "Grid1_str1",
                           "Grid1_str2", "Grid1_str3", "Plain1_str0", "Plain1_str1", "Plain1_str2", "Plain1_str3",
                           "cbZavNo"}));
}

TEST_F(ComponentWalk, AComponentWithoutAnOwnerIsItsOwnSection) {
    QLineEdit loose;
    loose.setObjectName("Loose");
    loose.setText("alone");
    TMemIniFile ini(path());
    project::WalkComponents(ini, true, &loose);
    EXPECT_EQ(ini.ReadString("Loose", "Loose", ""), "alone");
}

TEST_F(ComponentWalk, ValuesAreWrittenAsTheOriginalWritesThem) {
    f.edit->setText(U("Тест"));
    f.check->setChecked(true);
    f.radio2->setChecked(true);
    f.pages->setCurrentIndex(2);
    f.spin->setValue(17);
    f.combo->setCurrentIndex(2);
    f.typed->setCurrentText("typed, no item");
    f.names->setCurrentIndex(1);
    f.list->setCurrentRow(1);
    f.date->setDate(QDate(2024, 3, 5));
    f.time->setTime(QTime(9, 5, 7));
    f.tabs->setCurrentIndex(3);
    SetCell(f.grid, 0, 0, "title");
    SetCell(f.grid, 1, 1, "a");
    SetCell(f.grid, 2, 2, "d");
    SetCell(f.plain, 0, 1, "p1");
    save();
    const TMemIniFile ini(path());
    const struct {
        const char* section;
        const char* key;
        QString value;
    } cases[] = {
        {"FormTest", "Edit1", U("Тест")},
        {"FormTest", "Check1", "1"},
        {"FormTest", "Radio1", "0"},
        {"FormTest", "Radio2", "1"},
        {"FormTest", "Pages", "2"},
        {"FrameTest1", "cfgApprox", "17"},
        {"FrameTest1", "Combo1", "2"},
        {"FrameTest1", "Typed1", "-1"},  // a typed text that is no item
        {"FrameTest1", "ComboBoxModel_1_str1", U("ДРК-7 ")},
        {"FrameTest1", "ComboBoxModel_1_str3", U("Добавить")},
        {"FrameTest1", "ComboBoxModel_1", "1"},
        {"FrameTest1", "List1", "1"},
        {"FrameTest1", "Date", "05.03.2024"},
        {"FrameTest1", "Time", "9:05:07"},
        {"FrameTest1", "Tabs1", "3"},
        {"FrameTest1", "Grid1_str0", "a"},  // the title cells are left out
        {"FrameTest1", "Grid1_str3", "d"},
        {"FrameTest1", "Plain1_str1", "p1"},  // without fixed cells every cell counts
    };
    for (const auto& c : cases) EXPECT_EQ(ini.ReadString(c.section, c.key, "<missing>"), c.value) << c.key;
}

TEST_F(ComponentWalk, ARoundTripRestoresEveryKind) {
    f.edit->setText("kept");
    f.check->setChecked(true);
    f.radio2->setChecked(true);
    f.pages->setCurrentIndex(1);
    f.pageCheck->setChecked(true);
    f.spin->setValue(9);
    f.combo->setCurrentIndex(1);
    f.typed->setCurrentIndex(1);
    f.names->setCurrentIndex(2);
    f.list->setCurrentRow(2);
    f.date->setDate(QDate(2023, 12, 31));
    f.time->setTime(QTime(23, 59, 58));
    f.tabs->setCurrentIndex(2);
    for (int i = 1; i < 3; ++i) SetCell(f.grid, i, i, QString("g%1").arg(i));
    SetCell(f.plain, 1, 0, "p");
    save();

    f.edit->setText("changed");
    f.check->setChecked(false);
    f.radio1->setChecked(true);
    f.pages->setCurrentIndex(0);
    f.pageCheck->setChecked(false);
    f.spin->setValue(3);
    f.combo->setCurrentIndex(0);
    f.typed->setCurrentIndex(0);
    f.names->setCurrentIndex(0);
    f.list->setCurrentRow(0);
    f.date->setDate(QDate(2001, 1, 1));
    f.time->setTime(QTime(0, 0, 1));
    f.tabs->setCurrentIndex(0);
    for (int i = 1; i < 3; ++i) SetCell(f.grid, i, i, "x");
    SetCell(f.plain, 1, 0, "x");
    load();

    EXPECT_EQ(f.edit->text(), "kept");
    EXPECT_TRUE(f.check->isChecked());
    EXPECT_TRUE(f.radio2->isChecked());
    EXPECT_FALSE(f.radio1->isChecked());
    EXPECT_EQ(f.pages->currentIndex(), 1);
    EXPECT_TRUE(f.pageCheck->isChecked());
    EXPECT_EQ(f.spin->value(), 9);
    EXPECT_EQ(f.combo->currentIndex(), 1);
    EXPECT_EQ(f.typed->currentText(), "x2");
    EXPECT_EQ(f.names->currentIndex(), 2);
    EXPECT_EQ(f.list->currentRow(), 2);
    EXPECT_EQ(f.date->date(), QDate(2023, 12, 31));
    EXPECT_EQ(f.time->time(), QTime(23, 59, 58));
    EXPECT_EQ(f.tabs->currentIndex(), 2);
    EXPECT_EQ(Cell(f.grid, 1, 1), "g1");
    EXPECT_EQ(Cell(f.grid, 2, 2), "g2");
    EXPECT_EQ(Cell(f.plain, 1, 0), "p");
    EXPECT_EQ(Items(f.names).size(), 4) << "nothing doubled";
}

// Values from a file are untrusted: each is taken as the control itself would take it.
TEST_F(ComponentWalk, UntrustedValuesAreTakenAsTheControlWouldTakeThem) {
    setNow(QDateTime(QDate(2025, 6, 7), QTime(8, 9, 10)));
    f.pages->setCurrentIndex(1);
    f.tabs->setCurrentIndex(2);
    f.list->setCurrentRow(1);
    f.check->setChecked(true);
    const std::string longText(400, 'w');
    writeFile("[FormTest]\r\n"
              "Edit1=0123456789abcdef\r\n"
              "Check1=yes\r\n"
              "Pages=7\r\n"
              "[FrameTest1]\r\n"
              "cfgApprox=300\r\n"
              "Combo1=5\r\n"
              "Typed1=-1\r\n"
              "List1=99\r\n"
              "Date=31.02.2024\r\n"
              "Time=25:00:00\r\n"
              "Tabs1=-3\r\n"
              "Grid1_str0=" + longText + "\r\n"
              "ComboBoxModel_1_str0=" + longText + "\r\n");
    load();
    EXPECT_EQ(f.edit->text(), "0123456789") << "cut at the edit's own limit";
    EXPECT_TRUE(f.check->isChecked()) << "not a number: the present state";
    EXPECT_EQ(f.pages->currentIndex(), 1) << "no such page: the present one";
    EXPECT_EQ(f.spin->value(), 20) << "clamped to the spin's limits";
    EXPECT_EQ(f.combo->currentIndex(), 0) << "no such item: nothing, then the first";
    EXPECT_EQ(f.typed->currentIndex(), 0);
    EXPECT_EQ(f.list->currentRow(), 0);
    EXPECT_EQ(f.date->date(), QDate(2025, 6, 7)) << "not a date: today";
    EXPECT_EQ(f.time->time(), QTime(8, 9, 10)) << "not a time: now";
    EXPECT_EQ(f.tabs->currentIndex(), 2);
    EXPECT_EQ(Cell(f.grid, 1, 1).size(), 255);
    EXPECT_EQ(f.names->itemText(0).size(), 255) << "a new first name goes first";

    writeFile("[FrameTest1]\r\ncfgApprox=-5\r\nList1=-1\r\n");
    load();
    EXPECT_EQ(f.spin->value(), 1);
    EXPECT_EQ(f.list->currentRow(), 0) << "nothing selected: the first";
}

TEST_F(ComponentWalk, MissingKeysGiveTheDefaults) {
    setNow(QDateTime(QDate(2025, 6, 7), QTime(8, 9, 10)));
    f.edit->setText("present");
    f.spin->setValue(4);
    f.combo->setCurrentIndex(2);
    f.list->setCurrentRow(2);
    f.check->setChecked(true);
    f.radio2->setChecked(true);
    f.pages->setCurrentIndex(2);
    f.tabs->setCurrentIndex(1);
    SetCell(f.grid, 1, 1, "present");
    writeFile("[Other]\r\nk=v\r\n");
    load();
    EXPECT_EQ(f.edit->text(), "present");
    EXPECT_EQ(f.spin->value(), 4);
    EXPECT_EQ(f.combo->currentIndex(), 0) << "a combo without its key selects the first item";
    EXPECT_EQ(f.list->currentRow(), 2);
    EXPECT_TRUE(f.check->isChecked());
    EXPECT_TRUE(f.radio2->isChecked());
    EXPECT_EQ(f.pages->currentIndex(), 2);
    EXPECT_EQ(f.tabs->currentIndex(), 1);
    EXPECT_EQ(Cell(f.grid, 1, 1), "?");
    EXPECT_EQ(Cell(f.plain, 0, 0), "?");
    EXPECT_EQ(f.date->date(), QDate(2025, 6, 7));
    EXPECT_EQ(f.time->time(), QTime(8, 9, 10));
}

TEST_F(ComponentWalk, AReadOnlyEditKeepsItsTextAndTheMethodGridIsLeftAlone) {
    SetCell(f.methods, 0, 0, "doc");
    writeFile("[FormTest]\r\nReadOnly1=changed\r\nDerived1=changed\r\n[FrameTest1]\r\nsg_MP_str0=changed\r\n");
    load();
    EXPECT_EQ(f.readOnly->text(), "fixed");
    EXPECT_EQ(f.derived->text(), "");
    EXPECT_EQ(Cell(f.methods, 0, 0), "doc");
}

// After a load the change and click events run once with no sender, for the kinds whose event
// the load runs; the others run none.
TEST_F(ComponentWalk, EventsRunOnceWithNoSenderAfterTheirComponentIsRestored) {
    std::vector<int> spinChanged, comboActivated, checkClicked, tabChanged, listChanged, pageChanged, radioClicked,
        dateChanged, typedActivated;
    Count(f.spin, &QSpinBox::valueChanged, &spinChanged);
    Count(f.combo, &QComboBox::activated, &comboActivated);
    Count(static_cast<QAbstractButton*>(f.check), &QAbstractButton::toggled, &checkClicked);
    Count(f.tabs, &QTabBar::currentChanged, &tabChanged);
    Count(f.list, &QListWidget::currentRowChanged, &listChanged);
    Count(f.pages, &QTabWidget::currentChanged, &pageChanged);
    Count(static_cast<QAbstractButton*>(f.radio2), &QAbstractButton::clicked, &radioClicked);
    Count(static_cast<QDateTimeEdit*>(f.date), &QDateTimeEdit::dateChanged, &dateChanged);
    Count(f.typed, &QComboBox::activated, &typedActivated);
    std::vector<QObject*> senders;
    platform::SetStateHandler(f.names, [&](QObject* sender) { senders.push_back(sender); });
    platform::SetStateHandler(f.typed, {});

    writeFile("[FormTest]\r\nCheck1=1\r\nRadio2=1\r\nPages=2\r\n"
              "[FrameTest1]\r\ncfgApprox=5\r\nCombo1=2\r\nTyped1=1\r\nComboBoxModel_1=1\r\nList1=2\r\nTabs1=3\r\n"
              "Date=01.02.2003\r\n");
    load();
    EXPECT_EQ(spinChanged, std::vector<int>{5});
    EXPECT_EQ(comboActivated, std::vector<int>{2});
    EXPECT_EQ(checkClicked, std::vector<int>{1});
    EXPECT_EQ(tabChanged, std::vector<int>{3});
    EXPECT_EQ(senders, std::vector<QObject*>{nullptr}) << "a handler of its own runs instead, with no sender";
    EXPECT_TRUE(typedActivated.empty()) << "an empty handler: the combo has no change event";
    EXPECT_TRUE(listChanged.empty());
    EXPECT_TRUE(pageChanged.empty());
    EXPECT_TRUE(radioClicked.empty());
    EXPECT_TRUE(dateChanged.empty());

    // Also when the stored value is the present one.
    load();
    EXPECT_EQ(spinChanged, (std::vector<int>{5, 5}));
    EXPECT_EQ(checkClicked, (std::vector<int>{1, 1}));
}

// A handler that a later component runs may change a component restored before it (the set-up
// page's model combo picks the reference unit). The file holds the state the controls had at
// the save, so the earlier component gets its stored state back and runs its event again.
TEST_F(ComponentWalk, StateALaterHandlerChangedIsPutBack) {
    QComboBox* units = f.combo;  // made before the combo whose handler changes it
    QComboBox* model = f.typed;
    QObject::connect(model, &QComboBox::activated, units, [units] { units->setCurrentIndex(0); });
    int unitEvents = 0;
    QObject::connect(units, &QComboBox::activated, units, [&] { ++unitEvents; });
    writeFile("[FrameTest1]\r\nCombo1=2\r\nTyped1=1\r\n");
    load();
    EXPECT_EQ(units->currentIndex(), 2);
    EXPECT_EQ(model->currentIndex(), 1);
    EXPECT_EQ(unitEvents, 2) << "once restored, once put back";
}

TEST_F(ComponentWalk, NameListsTakeStoredNamesTheyLackOnce) {
    writeFile("[FrameTest1]\r\n"
              "ComboBoxModel_1_str0=нет\r\n"
              "ComboBoxModel_1_str1=  XYZ  \r\n"
              "ComboBoxModel_1_str2=\r\n"
              "ComboBoxModel_1_str3=ДРК-7 \r\n"  // with its blank, as the built-in name
              "ComboBoxModel_1_str4=дрк-7\r\n"
              "ComboBoxModel_1_str5=улм-41\r\n"
              "ComboBoxModel_1_str6=Q2\r\n"
              "ComboBoxModel_1_str8=after a gap\r\n"
              "ComboBoxModel_1=6\r\n");
    load();
    // A new name goes behind the stored name before it, so the add entry stays last.
    const QStringList expected = {U("нет"), "XYZ", U("ДРК-7 "), U("УЛМ-41"), "Q2", U("Добавить")};
    EXPECT_EQ(Items(f.names), expected);
    EXPECT_EQ(f.names->currentText(), "Q2") << "the stored index names the item it stood for";

    save();
    load();
    EXPECT_EQ(Items(f.names), expected) << "a second round trip doubles nothing";
}

// The index counts in the stored list; the list it joins may hold other names (a built-in name
// the user had deleted before the save is back).
TEST_F(ComponentWalk, ANameListSelectsTheNameItsStoredIndexStoodFor) {
    writeFile("[FrameTest1]\r\n"
              "ComboBoxModel_1_str0=нет\r\n"
              "ComboBoxModel_1_str1=УЛМ-41\r\n"  // ДРК-7 was deleted
              "ComboBoxModel_1_str2=Mine\r\n"
              "ComboBoxModel_1_str3=Добавить\r\n"
              "ComboBoxModel_1=2\r\n");
    load();
    EXPECT_EQ(Items(f.names), (QStringList{U("нет"), U("ДРК-7 "), U("УЛМ-41"), "Mine", U("Добавить")}));
    EXPECT_EQ(f.names->currentText(), "Mine");

    writeFile("[FrameTest1]\r\nComboBoxModel_1_str0=Mine\r\nComboBoxModel_1=7\r\n");
    load();
    EXPECT_EQ(f.names->currentIndex(), 0) << "an index outside the stored list: the first item";
}

TEST_F(ComponentWalk, ANameDeletedBeforeASaveStaysDeleted) {
    f.names->addItems({"N1", "N2", "N3"});
    save();
    f.names->removeItem(f.names->findText("N2"));
    f.names->removeItem(f.names->findText("N3"));
    save();
    const TMemIniFile ini(path());
    QStringList keys;
    for (const QString& key : ini.ReadSection("FrameTest1")) {
        if (key.startsWith("ComboBoxModel_1_str")) keys << key;
    }
    EXPECT_EQ(keys, (QStringList{"ComboBoxModel_1_str0", "ComboBoxModel_1_str1", "ComboBoxModel_1_str2",
                                 "ComboBoxModel_1_str3", "ComboBoxModel_1_str4"}));
    load();
    EXPECT_EQ(f.names->findText("N2"), -1);
    EXPECT_EQ(f.names->findText("N3"), -1);
}

}  // namespace
