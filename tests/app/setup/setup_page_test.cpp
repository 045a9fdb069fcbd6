#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <cstring>
#include <vector>

#include "app/measurement/frame_meas.h"
#include "app/model/record_fields.h"
#include "app/model/setup_record.h"
#include "app/settings/frame_settings.h"
#include "app/setup/frame_tune.h"
#include "platform/class_library/cp1251.h"
#include "platform/class_library/utf8_literal.h"
#include "tests/app/window_fixture.h"
#include "tests/support/printers.h"

namespace {

std::string Bytes(const std::uint8_t* record, std::size_t offset, std::size_t count) {
    return std::string(reinterpret_cast<const char*>(record + offset), count);
}

// The code page 1251 bytes of a text, zero-terminated, as a slot holds them.
std::string Slot(const char* utf8) { return platform::ToCp1251(U(utf8)) + '\0'; }

class SetupPage : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        start();
        page = window->FrameTune1;
        record = window->SetupRecord;
        dialogs.shown.clear();
    }

    void fillRow(int row, std::initializer_list<const char*> cells) {
        int column = 1;
        for (const char* cell : cells) page->SetCellText(row, column++, U(cell));
    }

    // A complete, valid verification on the page.
    void fillValidPage() {
        page->Edit1->setText("20");
        page->Edit2->setText("55");
        page->Edit3->setText("750");
        page->EditName->setText(U("Иванов И.И."));
        page->cbGHV_type->setCurrentIndex(2);
        page->cbGHVmodel->setCurrentText("060");
        page->cbZavNo->setCurrentText("1234");
        page->cbGHV_class->setCurrentIndex(1);
        page->cbGHVunits->setCurrentIndex(1);
        page->Edit_Kf_Fault->setText("0.5");
        page->edZavNoZKV->setText("00042");
        page->cb_ZKV_Diap->setCurrentIndex(1);
        page->rb_IsPeriodic->setChecked(true);
        page->ed_OwnerName->setText(U("ООО Ромашка"));
        fillRow(1, {"УЛМ-41", " M1 ", "S1", "0", "100", "  кПа", "4 - 20 мА", "линейная", "0.5"});
        fillRow(2, {"нет", "x", "x", "x", "x", "x", "x", "x", "x"});
        fillRow(3, {"ДРК-8", "M3", "S3", "0", "1.6", "  МПа", "- нет -", "", "1"});
        fillRow(4, {"нет"});
    }

    void showPage() { window->SelectPage(1); }

    TFrameTune* page = nullptr;
    std::uint8_t* record = nullptr;
};

TEST(SetupRecordSlots, EveryTextSlotIsCutToItsSizeLessOneAndLeavesItsNeighboursAlone) {
    std::vector<std::size_t> textSlots = {setup::AirTemp,   setup::Humidity,   setup::AtmPressure, setup::Verifier,
                                      setup::RefType,   setup::RefModel,   setup::RefSerial,   setup::RefClass,
                                      setup::InstrSerial, setup::RefUnits, setup::OwnerName,   setup::InstrRange};
    for (int n = 1; n <= 4; ++n) {
        for (std::size_t field : {channel::MethodDoc, channel::SensorName, channel::SensorModel, channel::SensorSerial,
                                  channel::UnitsText, channel::OutputText})
            textSlots.push_back(SetupChannelOffset(n) + field);
    }
    const QString longText(200, QChar(u'Ж'));
    for (std::size_t offset : textSlots) {
        std::vector<std::uint8_t> block(kSetupRecordSize + 2, 0xEE);
        std::uint8_t* rec = block.data() + 1;
        SetSetupText(rec, offset, longText);
        EXPECT_EQ(block[offset], 0xEE) << "byte before the slot at " << offset;
        EXPECT_EQ(rec[offset + kSetupTextSlot], 0xEE) << "byte after the slot at " << offset;
        EXPECT_EQ(Bytes(rec, offset, 79), std::string(79, '\xC6')) << offset;
        EXPECT_EQ(rec[offset + 79], 0) << offset;
        EXPECT_EQ(SetupText(rec, offset), longText.left(79)) << offset;
    }
    EXPECT_EQ(SetupChannelOffset(4) + kSetupChannelSize, setup::ErrorFactor);
    EXPECT_EQ(setup::ErrorFactor + 4, kSetupRecordSize);
}

TEST_F(SetupPage, ApplyWritesEveryFieldAtItsOffset) {
    fillValidPage();
    page->sg_MP->item(3, 0)->setText(U(" УЛМ-41 "));
    page->sg_MP->item(3, 1)->setText(U("МИ 1997-89"));
    page->BitBtn_ApplyClick(nullptr);
    ASSERT_TRUE(dialogs.shown.empty()) << dialogs.texts().front().toStdString();

    EXPECT_EQ(Bytes(record, setup::AirTemp, 3), Slot("20"));
    EXPECT_EQ(Bytes(record, setup::Humidity, 3), Slot("55"));
    EXPECT_EQ(Bytes(record, setup::AtmPressure, 4), Slot("750"));
    EXPECT_EQ(Bytes(record, setup::Verifier, 12), Slot("Иванов И.И."));
    EXPECT_EQ(Bytes(record, setup::RefType, 6), Slot("ГХВ-2"));
    EXPECT_EQ(Bytes(record, setup::RefModel, 4), Slot("060"));
    EXPECT_EQ(Bytes(record, setup::RefSerial, 5), Slot("1234"));
    EXPECT_EQ(Bytes(record, setup::RefClass, 2), Slot("A"));
    EXPECT_EQ(Bytes(record, setup::InstrSerial, 6), Slot("00042"));
    EXPECT_EQ(Bytes(record, setup::RefUnits, 4), Slot("кПа"));
    EXPECT_EQ(record[setup::IsPeriodic], 1);
    EXPECT_EQ(Bytes(record, setup::OwnerName, 12), Slot("ООО Ромашка"));
    EXPECT_EQ(Bytes(record, setup::InstrRange, 13), Slot("0...2.5  МПа"));
    EXPECT_EQ(ReadFloat32(record, setup::ErrorFactor), 0.5f);

    const std::size_t ch1 = SetupChannelOffset(1);
    EXPECT_EQ(ReadInt32(record, ch1 + channel::Used), 1);
    EXPECT_EQ(Bytes(record, ch1 + channel::MethodDoc, 11), Slot("МИ 1997-89"));
    EXPECT_EQ(Bytes(record, ch1 + channel::SensorName, 7), Slot("УЛМ-41"));
    EXPECT_EQ(Bytes(record, ch1 + channel::SensorModel, 3), Slot("M1"));
    EXPECT_EQ(ReadFloat32(record, ch1 + channel::UpperLimit), 100.0f);
    EXPECT_EQ(ReadFloat32(record, ch1 + channel::LowerLimit), 0.0f);
    EXPECT_EQ(Bytes(record, ch1 + channel::UnitsText, 4), Slot("кПа"));
    EXPECT_EQ(Bytes(record, ch1 + channel::OutputText, 10), Slot("4 - 20 мА"));
    EXPECT_EQ(ReadInt32(record, ch1 + channel::Dependency), 0);
    EXPECT_EQ(ReadFloat32(record, ch1 + channel::Tolerance), 0.5f);
    EXPECT_EQ(ReadFloat32(record, ch1 + channel::UnitsFactor), 1.0f);

    const std::size_t ch3 = SetupChannelOffset(3);
    EXPECT_EQ(ReadInt32(record, ch3 + channel::Dependency), -1) << "no current output";
    EXPECT_EQ(ReadFloat32(record, ch3 + channel::UnitsFactor), 1000.0f);
    EXPECT_EQ(ReadInt32(record, SetupChannelOffset(2) + channel::Used), 0);
    EXPECT_EQ(record[SetupChannelOffset(2) + channel::SensorModel], 0) << "a channel without sensor keeps its block";
    EXPECT_EQ(Bytes(record, SetupChannelOffset(2) + channel::SensorName, 4), Slot("нет"));

    // The page shows the record in its canonical form, with nothing left to apply.
    EXPECT_EQ(page->CellText(1, 4), "0.0000");
    EXPECT_EQ(page->CellText(1, 5), "100.0000");
    EXPECT_EQ(page->CellText(1, 9), "0.500");
    EXPECT_EQ(page->CellText(2, 5), U("- - -"));
    EXPECT_EQ(page->CellText(3, 8), "") << "no characteristic without current output";
    EXPECT_EQ(page->Edit_Kf_Fault->text(), "0.5000");
    EXPECT_FALSE(page->BitBtn_Apply->isEnabled());
    EXPECT_FALSE(page->BitBtn_Undo->isEnabled());
    EXPECT_EQ(window->FrameMeas1->Label_UnitsGHV->text(), U("кПа"));
}

TEST_F(SetupPage, EachConditionIsCheckedInTurnAndStopsTheApplyWithItsMessage) {
    struct Case {
        const char* edit1;
        const char* edit2;
        const char* edit3;
        const char* message;
    } cases[] = {
        {"", "55", "750", "Значение вне допустимого диапазона -20...60 !"},
        {"60.5", "55", "750", "Значение вне допустимого диапазона -20...60 !"},
        {"abc", "55", "750", "Значение вне допустимого диапазона -20...60 !"},
        {"-20", "100.1", "750", "Значение вне допустимого диапазона 0...100 !"},
        {"60", "0", "629", "Значение вне допустимого диапазона 630...800 !"},
    };
    for (const Case& c : cases) {
        fillValidPage();
        std::memset(record, 0, kSetupRecordSize);
        page->Edit1->setText(c.edit1);
        page->Edit2->setText(c.edit2);
        page->Edit3->setText(c.edit3);
        dialogs.shown.clear();
        EXPECT_EQ(page->TuneFromForm(record), -1) << c.message;
        ASSERT_EQ(dialogs.shown.size(), 1u) << c.message;
        EXPECT_EQ(dialogs.shown[0].text, U(c.message));
        EXPECT_EQ(dialogs.shown[0].caption, U("Некорректное значение!"));
        EXPECT_EQ(record[setup::Verifier], 0) << "nothing after the failing field is written: " << c.message;
    }
    EXPECT_EQ(Bytes(record, setup::Humidity, 2), Slot("0")) << "the failing field keeps the typed text";
}

TEST_F(SetupPage, TheErrorFactorMustLieFromZeroToOne) {
    struct Case {
        const char* text;
        bool passes;
        float stored;
    } cases[] = {{"1", true, 1.0f}, {"0", true, 0.0f}, {"1.0001", false, 1.0001f}, {"-0.1", false, -0.1f},
                 {"abc", false, 0.0f}, {"", false, 0.25f}};
    for (const Case& c : cases) {
        fillValidPage();
        WriteFloat32(record, setup::ErrorFactor, 0.25f);
        record[setup::IsPeriodic] = 7;
        page->Edit_Kf_Fault->setText(c.text);
        dialogs.shown.clear();
        EXPECT_EQ(page->TuneFromForm(record), c.passes ? 0 : -1) << c.text;
        EXPECT_EQ(ReadFloat32(record, setup::ErrorFactor), c.stored) << c.text;
        if (!c.passes) {
            ASSERT_EQ(dialogs.shown.size(), 1u) << c.text;
            EXPECT_EQ(dialogs.shown[0].text, U("Значение коэффициента погрешности должно быть в диапазоне 0...1"));
            EXPECT_EQ(record[setup::IsPeriodic], 7) << "later fields are left alone";
        }
    }
}

TEST_F(SetupPage, EqualLimitsFailTheApplyAndUnreadableOnesCountAsZero) {
    showPage();
    fillValidPage();
    fillRow(1, {"УЛМ-41", "M1", "S1", "", "", "кПа", "4 - 20 мА", "", "1"});
    page->BitBtn_ApplyClick(nullptr);
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{U("Указаны неверные значения!")});
    EXPECT_TRUE(page->BitBtn_Apply->isEnabled()) << "a failed apply leaves the page to be corrected";

    dialogs.shown.clear();
    fillRow(1, {"УЛМ-41", "M1", "S1", "abc", "10", "кПа", "4 - 20 мА", "", "1"});
    page->BitBtn_ApplyClick(nullptr);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(page->CellText(1, 4), "0.0000");
    EXPECT_EQ(page->CellText(1, 5), "10.0000");
    EXPECT_EQ(page->CellText(1, 8), U("линейная")) << "a current output without characteristic is linear";
    EXPECT_EQ(ChannelInt(record, 1, channel::Dependency), 0);

    fillRow(1, {"УЛМ-41", "M1", "S1", "16", "0", "кПа", "20 - 4 мА", "квадратичн.", "1"});
    EXPECT_EQ(page->TuneFromForm(record), 0) << "a falling range is accepted";
    EXPECT_EQ(ChannelInt(record, 1, channel::Dependency), 1);
}

TEST_F(SetupPage, NumbersBeyondTheFloatRangeAreNoNumbersAndTinyOnesAreZero) {
    showPage();
    const struct {
        const char* lower;
        const char* upper;
        const char* tolerance;
        const char* factor;
        const char* lowerShown;
        const char* upperShown;
        const char* toleranceShown;
        const char* factorShown;
    } cases[] = {
        {"-5", "1e39", "-1e39", "1e-400", "-5.0000", "0.0000", "0.000", "0.0000"},
        {"1e-400", "3.4028235e38", "2", "0.25", "0.0000", "340282346638528859811704183484516925440.0000", "2.000",
         "0.2500"},
        {"-1e39", "10", "1e38", "1", "0.0000", "10.0000", "99999996802856924650656260769173209088.000", "1.0000"},
    };
    for (const auto& c : cases) {
        fillValidPage();
        fillRow(1, {"УЛМ-41", "M1", "S1", c.lower, c.upper, "  кПа", "4 - 20 мА", "линейная", c.tolerance});
        page->Edit_Kf_Fault->setText(c.factor);
        dialogs.shown.clear();
        page->BitBtn_ApplyClick(nullptr);
        EXPECT_TRUE(dialogs.shown.empty()) << c.upper;
        EXPECT_EQ(page->CellText(1, 4), c.lowerShown);
        EXPECT_EQ(page->CellText(1, 5), c.upperShown);
        EXPECT_EQ(page->CellText(1, 9), c.toleranceShown);
        EXPECT_EQ(page->Edit_Kf_Fault->text(), c.factorShown);
    }
}

TEST_F(SetupPage, AFailedApplyOffThePageSaysNothingOfItsOwn) {
    window->SelectPage(0);
    fillValidPage();
    fillRow(1, {"УЛМ-41", "M1", "S1", "5", "5", "кПа", "4 - 20 мА", "", "1"});
    page->BitBtn_ApplyClick(nullptr);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(SetupPage, AnUnknownUnitIsReportedAndCountsAsKilopascal) {
    fillValidPage();
    fillRow(1, {"УЛМ-41", "M1", "S1", "0", "10", "КПА", "4 - 20 мА", "", "1"});
    EXPECT_EQ(page->TuneFromForm(record), 0);
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{U("Не найдена единица измерения !!!")});
    EXPECT_EQ(ChannelFloat(record, 1, channel::UnitsFactor), 1.0f);
}

TEST_F(SetupPage, ANewReferenceSerialJoinsItsListOnceAndAnEmptyOneNever) {
    fillValidPage();
    page->cbZavNo->setCurrentText("77-01");
    page->TuneFromForm(record);
    page->TuneFromForm(record);
    EXPECT_EQ(page->cbZavNo->findText("77-01"), 0);
    EXPECT_EQ(page->cbZavNo->count(), 1);
    page->cbZavNo->setCurrentText("ab-1");
    page->TuneFromForm(record);
    page->cbZavNo->setCurrentText("AB-1");
    page->TuneFromForm(record);
    EXPECT_EQ(page->cbZavNo->count(), 2) << "the list is searched without regard to case";
    page->cbZavNo->setCurrentText("");
    page->TuneFromForm(record);
    EXPECT_EQ(page->cbZavNo->count(), 2) << "an empty number is never listed";
}

TEST_F(SetupPage, UndoBringsBackWhatTheRecordHoldsAndLeavesTheReferenceModelAlone) {
    fillValidPage();
    page->BitBtn_ApplyClick(nullptr);
    page->Edit2->setText("99");
    page->SetCellText(1, 3, "changed");
    page->cbGHVmodel->setCurrentText("170");
    EXPECT_TRUE(page->BitBtn_Undo->isEnabled());
    page->BitBtn_UndoClick(nullptr);
    EXPECT_EQ(page->Edit2->text(), "55");
    EXPECT_EQ(page->CellText(1, 3), "S1");
    EXPECT_EQ(page->cbGHVmodel->currentText(), "170");
    EXPECT_FALSE(page->BitBtn_Undo->isEnabled());
}

TEST_F(SetupPage, AReloadedChannelWithoutCurrentOutputStaysOne) {
    // An output text with "нет" that is not the list's own entry.
    SetChannelInt(record, 1, channel::Used, 1);
    SetChannelText(record, 1, channel::SensorName, U("ДРК-8"));
    SetChannelText(record, 1, channel::OutputText, U("нет"));
    SetChannelInt(record, 1, channel::Dependency, -1);
    page->TuneToForm(record);
    EXPECT_EQ(page->CellText(1, 8), "");
    EXPECT_EQ(ChannelInt(record, 1, channel::Dependency), -1);
}

TEST_F(SetupPage, AutomaticUnitsAreTakenFromTheReferenceUnitComboInUse) {
    fillValidPage();
    TFrameZKV_Settings* settings = window->FrameZKV_Settings1;
    page->cbGHVunitsFromZKV->setChecked(true);
    page->cbGHVunitsFromZKVClick();
    EXPECT_FALSE(page->cbGHVunits->isEnabled());
    EXPECT_FALSE(window->FrameMeas1->cbPetlSource->isEnabled());
    EXPECT_EQ(window->FrameMeas1->cbPetlSource->currentIndex(), 0);

    settings->cfgEtlPD_30_unit->setCurrentIndex(2);  // МПа, the type-43 reference reports it
    EXPECT_EQ(page->TuneFromForm(record), 0);
    EXPECT_EQ(SetupText(record, setup::RefUnits), U("МПа"));

    settings->cfgEtlPD_30_unit->hide();  // another reference type: the settings record's unit
    settings->cfgEtlPDunit->show();
    settings->cfgEtlPDunit->setCurrentIndex(0);
    EXPECT_EQ(page->TuneFromForm(record), 0);
    EXPECT_EQ(SetupText(record, setup::RefUnits), U("кПа"));
}

TEST_F(SetupPage, TheReferenceModelCodeChoosesTheUnitByItsSecondCharacter) {
    const struct {
        const char* code;
        const char* unit;
    } cases[] = {{"170", "МПа"}, {"150", "кПа"}, {"1Ж0", "кПа"}, {"060", "МПа"}};
    for (const auto& c : cases) {
        page->cbGHVmodel->setCurrentText(U(c.code));
        page->cbGHVmodelChange();
        EXPECT_EQ(page->cbGHVunits->currentText(), U(c.unit)) << c.code;
    }
    page->cbGHVunits->setCurrentIndex(0);
    page->cbGHVmodel->setCurrentText("1");
    page->cbGHVmodelChange();
    EXPECT_EQ(page->cbGHVunits->currentIndex(), 0) << "too short a code leaves the unit alone";
    EXPECT_TRUE(page->BitBtn_Apply->isEnabled());
}

TEST_F(SetupPage, NamesAreAddedBeforeTheAddEntryInAllFourListsAndDeletedOnConfirmation) {
    dialogs.answerInput(true, "  XYZ  ");
    page->Grid_Tune->setCurrentCell(3, 1);
    QComboBox* combo = page->ComboBoxModel_3;
    combo->setCurrentIndex(combo->count() - 1);  // "Добавить"
    page->ComboBoxModel_1Change(combo);
    for (int row = 1; row <= 4; ++row) {
        QComboBox* list = page->NameCombo(row);
        EXPECT_EQ(list->itemText(list->count() - 2), "XYZ") << row;
        EXPECT_EQ(list->itemText(list->count() - 1), U("Добавить")) << row;
        EXPECT_EQ(list->currentText(), "XYZ") << row;
    }
    EXPECT_EQ(page->CellText(3, 1), "XYZ");
    EXPECT_TRUE(combo->isHidden());

    const int before = page->ComboBoxModel_1->count();
    dialogs.answerInput(true, "xyz");
    combo->setCurrentIndex(combo->count() - 1);
    page->ComboBoxModel_1Change(combo);
    EXPECT_EQ(page->ComboBoxModel_1->count(), before) << "a name listed already (in any case) is not added";

    page->sg_MP->item(0, 0)->setText("XYZ");
    page->sg_MP->item(0, 1)->setText("doc A");
    page->sg_MP->item(5, 0)->setText("XYZ");
    page->sg_MP->item(5, 1)->setText("doc B");
    page->sg_MP->item(6, 0)->setText("XYZW");
    page->ComboBoxModel_2->setCurrentText("XYZ");
    dialogs.answer(platform::mrNo);
    EXPECT_TRUE(page->ComboBoxModel_1KeyDown(page->ComboBoxModel_2, Qt::Key_Delete));
    EXPECT_EQ(page->ComboBoxModel_1->count(), before);
    dialogs.answer(platform::mrYes);
    EXPECT_TRUE(page->ComboBoxModel_1KeyDown(page->ComboBoxModel_2, Qt::Key_Delete));
    EXPECT_EQ(dialogs.shown.back().text, U("Удалить XYZ из списка ?"));
    for (int row = 1; row <= 4; ++row) EXPECT_LT(page->NameCombo(row)->findText("XYZ"), 0) << row;
    EXPECT_EQ(page->sg_MP->item(0, 1)->text(), "");
    EXPECT_EQ(page->sg_MP->item(5, 0)->text(), "");
    EXPECT_EQ(page->sg_MP->item(6, 0)->text(), "XYZW");

    page->ComboBoxModel_2->setCurrentText("not listed");
    EXPECT_FALSE(page->ComboBoxModel_1KeyDown(page->ComboBoxModel_2, Qt::Key_Delete));
}

// Focus and keys as a user's: the window is the active one and the keys go to the focused control.
class SetupPageWithFocus : public SetupPage {
protected:
    void SetUp() override {
        SetupPage::SetUp();
        showPage();
        window->activateWindow();
        QCoreApplication::processEvents();
        ASSERT_EQ(QApplication::activeWindow(), window.get());
    }
    void focus(QWidget* control) {
        control->setFocus();
        ASSERT_TRUE(control->hasFocus()) << control->objectName().toStdString();
    }
};

TEST_F(SetupPageWithFocus, ANameAddedThroughTheRealDialogLandsInTheCell) {
    platform::Dialogs* scripted = platform::SetDialogs(nullptr);  // Qt's own dialog
    page->Grid_Tune->setCurrentCell(3, 1);
    QComboBox* combo = page->ComboBoxModel_3;
    ASSERT_TRUE(combo->hasFocus());
    combo->setCurrentIndex(combo->count() - 2);
    QString caption;
    QTimer::singleShot(0, [&caption] {
        auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            ADD_FAILURE() << "no input dialog";
            if (QWidget* other = QApplication::activeModalWidget()) other->close();
            return;
        }
        caption = dialog->windowTitle();
        auto* edit = dialog->findChild<QLineEdit*>();
        QTest::keyClicks(edit, "  XYZ  ");
        QTest::keyClick(edit, Qt::Key_Return);
    });
    QTest::keyClick(combo, Qt::Key_Down);  // onto "Добавить"
    platform::SetDialogs(scripted);
    EXPECT_EQ(caption, U("Добавить в список прибор"));
    EXPECT_EQ(page->CellText(3, 1), "XYZ");
    EXPECT_TRUE(combo->isHidden()) << "the combo is left once the name is in";
    for (int row = 1; row <= 4; ++row) EXPECT_EQ(page->NameCombo(row)->currentText(), "XYZ") << row;
}

TEST_F(SetupPageWithFocus, EnterPressesApplyExceptInTheGridAndItsCombos) {
    fillValidPage();
    const struct {
        QWidget* control;
        bool applies;
    } cases[] = {
        {page->Edit1, true},           {page->Edit_Kf_Fault, true},    {page->EditName, true},
        {page->cbGHVmodel, true},      {page->cb_ZKV_Diap, true},      {page->rb_IsPeriodic, true},
        {page->ed_OwnerName, true},    {page->Grid_Tune, false},       {page->ComboBoxModel_1, false},
        {page->ComboUnits, false},
    };
    int temperature = 20;
    for (const auto& c : cases) {
        const std::string name = c.control->objectName().toStdString();
        page->Edit1->setText(QString::number(++temperature));  // a change to apply
        ASSERT_TRUE(page->BitBtn_Apply->isEnabled());
        const bool inPlace = c.control->isHidden();
        c.control->show();
        focus(c.control);
        QTest::keyClick(c.control, Qt::Key_Return);
        EXPECT_EQ(!page->BitBtn_Apply->isEnabled(), c.applies) << name;
        EXPECT_EQ(SetupText(record, setup::AirTemp) == page->Edit1->text(), c.applies) << name;
        c.control->setHidden(inPlace);
    }
    EXPECT_TRUE(dialogs.shown.empty());

    const QString applied = SetupText(record, setup::AirTemp);
    page->Edit1->setText("59");
    focus(page->BitBtn_Undo);
    QTest::keyClick(page->BitBtn_Undo, Qt::Key_Return);
    EXPECT_EQ(page->Edit1->text(), applied) << "a focused button takes Enter itself";
    page->Edit1->setText("58");
    page->BitBtn_Apply->setEnabled(false);
    focus(page->EditName);
    QTest::keyClick(page->EditName, Qt::Key_Return);
    EXPECT_NE(SetupText(record, setup::AirTemp), "58") << "a disabled default button is not pressed";
}

TEST_F(SetupPageWithFocus, EnterNeverPutsTypedTextIntoAComboList) {
    for (QComboBox* combo : {page->cbGHV_type, page->cbGHVmodel, page->cbZavNo, page->cbGHV_class, page->cbGHVunits,
                             page->cb_ZKV_Diap}) {
        const int count = combo->count();
        focus(combo);
        combo->lineEdit()->selectAll();
        QTest::keyClicks(combo, "77");
        QTest::keyClick(combo, Qt::Key_Return);
        EXPECT_EQ(combo->count(), count) << combo->objectName().toStdString();
        EXPECT_EQ(combo->currentText(), "77") << combo->objectName().toStdString();
    }
}

TEST_F(SetupPage, TheHelpLineComesAndGoesWithoutMovingAnything) {
    showPage();
    const auto placed = [this] {
        page->layout()->activate();
        return std::vector<QRect>{page->BitBtn_Apply->geometry(), page->BitBtn_Undo->geometry(),
                                  page->Grid_Tune->geometry()};
    };
    const std::vector<QRect> before = placed();
    page->Grid_Tune->setCurrentCell(1, 1);
    ASSERT_FALSE(page->Label_help->isHidden());
    EXPECT_EQ(placed(), before);
    page->Grid_Tune->setCurrentCell(1, 2);
    ASSERT_TRUE(page->Label_help->isHidden());
    EXPECT_EQ(placed(), before);
}

TEST_F(SetupPage, TickingTheAutomaticUnitsBoxInCodeRunsItsHandler) {
    page->BitBtn_ApplyClick(nullptr);
    ASSERT_FALSE(page->BitBtn_Apply->isEnabled());
    TFrameMeas* meas = window->FrameMeas1;
    meas->cbPetlSource->setCurrentIndex(1);
    page->cbGHVunitsFromZKV->setChecked(true);
    EXPECT_FALSE(page->cbGHVunits->isEnabled());
    EXPECT_TRUE(page->BitBtn_Apply->isEnabled());
    EXPECT_EQ(meas->cbPetlSource->currentIndex(), 0);
    EXPECT_FALSE(meas->cbPetlSource->isEnabled());
    page->cbGHVunitsFromZKV->setChecked(false);
    EXPECT_TRUE(page->cbGHVunits->isEnabled());
    EXPECT_TRUE(meas->cbPetlSource->isEnabled());
}

TEST_F(SetupPage, AddDeviceNameOnAnEmptyListJustAppends) {
    QComboBox empty;
    page->AddDeviceName(&empty, " New ");
    ASSERT_EQ(empty.count(), 1);
    EXPECT_EQ(empty.itemText(0), "New");
}

TEST_F(SetupPage, ChoosingNoSensorInRowOneDashesTheRowAtOnce) {
    page->Grid_Tune->setCurrentCell(1, 1);
    page->SetCellText(1, 2, "M");
    page->ComboBoxModel_1->setCurrentIndex(0);
    page->ComboBoxModel_1Change(page->ComboBoxModel_1);
    EXPECT_EQ(page->CellText(1, 1), U("нет"));
    for (int column = 2; column <= 9; ++column) EXPECT_EQ(page->CellText(1, column), "---") << column;
}

TEST_F(SetupPage, KeysAreFilteredByWhereTheyAreTyped) {
    showPage();
    struct Case {
        const char* typed;
        const char* arrives;
    } numberCases[] = {{"1,5E2", "1.5E2"}, {"1/5у2", "1.5E2"}, {"12abc", "12"}, {"-3ю2", "-3.2"}, {"\r", ""}};
    for (const auto& c : numberCases) {
        page->Edit1->clear();
        page->Edit1->setFocus();
        for (QChar ch : U(c.typed)) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
            QCoreApplication::sendEvent(page->Edit1, &press);
        }
        EXPECT_EQ(page->Edit1->text(), U(c.arrives)) << c.typed;
    }
    page->Grid_Tune->setCurrentCell(1, 4);
    EXPECT_EQ(page->Grid_TuneKeyPress(','), '.');
    EXPECT_EQ(page->Grid_TuneKeyPress('\r'), '\r') << "Enter passes in the grid";
    EXPECT_EQ(page->Grid_TuneKeyPress('q'), 0);
    EXPECT_EQ(page->Grid_TuneKeyPress('\xC1'), 0) << "Б is no decimal point on this page";
    page->Grid_Tune->setCurrentCell(1, 2);
    EXPECT_EQ(page->Grid_TuneKeyPress('q'), 'q') << "every key passes in the model column";
    EXPECT_TRUE(page->ComboBoxModel_1->isHidden()) << "column 2 shows no combo";
}

TEST_F(SetupPage, SelectingACellOfAListColumnPlacesItsComboOverTheCell) {
    showPage();
    page->Grid_Tune->setCurrentCell(2, 6);
    EXPECT_FALSE(page->ComboUnits->isHidden());
    const QRect cell = page->Grid_Tune->visualRect(page->Grid_Tune->model()->index(2, 6));
    const QPoint topLeft = page->Grid_Tune->viewport()->mapTo(page, cell.topLeft());
    EXPECT_EQ(page->ComboUnits->geometry().topLeft(), topLeft + QPoint(1, 1));
    page->ComboUnits->setCurrentIndex(2);
    page->ComboBoxModel_1Exit(page->ComboUnits);
    EXPECT_EQ(page->CellText(2, 6), U("  МПа"));
    EXPECT_TRUE(page->ComboUnits->isHidden());

    page->Grid_Tune->setCurrentCell(1, 1);
    EXPECT_FALSE(page->Label_help->isHidden());
    EXPECT_FALSE(page->ComboBoxModel_1->isHidden());
}

TEST_F(SetupPage, TheLinkChecksFactoryNumberEnablesApply) {
    fillValidPage();
    page->BitBtn_ApplyClick(nullptr);
    EXPECT_FALSE(page->BitBtn_Apply->isEnabled());
    page->edZavNoZKV->setText("31337");
    EXPECT_TRUE(page->BitBtn_Apply->isEnabled());
    page->cb_ZKV_Diap->setCurrentIndex(2);
    page->BitBtn_ApplyClick(nullptr);
    page->cb_ZKV_Diap->setCurrentIndex(1);
    EXPECT_FALSE(page->BitBtn_Apply->isEnabled()) << "the instrument range is no change to apply";
}

TEST_F(SetupPage, FindMethodDocumentTakesTheLastMatchingRowCutTo39Characters) {
    page->sg_MP->item(0, 0)->setText(U("УЛМ-41"));
    page->sg_MP->item(0, 1)->setText("first");
    page->sg_MP->item(9, 0)->setText(U("\tУЛМ-41К "));
    page->sg_MP->item(9, 1)->setText(QString(50, 'd'));
    EXPECT_EQ(page->FindMethodDocument(U("УЛМ-41")), QString(39, 'd'));
    EXPECT_EQ(page->FindMethodDocument(U("УЛМ-41К")), QString(39, 'd'));
    EXPECT_EQ(page->FindMethodDocument(""), "");
    EXPECT_EQ(page->FindMethodDocument("none"), "");
}

}  // namespace
