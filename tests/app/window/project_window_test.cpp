#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/calibration/form_grad.h"
#include "app/controls/frame_graph.h"
#include "app/measurement/frame_meas.h"
#include "app/model/record_fields.h"
#include "app/model/setup_record.h"
#include "app/project/component_walk.h"
#include "app/settings/frame_settings.h"
#include "app/setup/frame_tune.h"
#include "link/find_device_frame.h"
#include "platform/class_library/mem_ini_file.h"
#include "tests/app/window_fixture.h"
#include "tests/support/file_access.h"
#include "tests/support/device_node.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/printers.h"

namespace {

using project::StoredKind;

QString U(const char* text) { return QString::fromUtf8(text); }

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Code page 1251 bytes of a UTF-8 text, made here and not by the program's own converter, so that
// the fixture is what a Windows program writes. Only the characters the fixtures use.
std::string Cp1251(const std::string& utf8) {
    std::string bytes;
    for (const QChar c : QString::fromStdString(utf8)) {
        const char16_t u = c.unicode();
        if (u < 0x80) {
            bytes += static_cast<char>(u);
        } else if (u >= 0x410 && u <= 0x44F) {
            bytes += static_cast<char>(0xC0 + (u - 0x410));
        } else if (u == 0x401 || u == 0x451 || u == 0x2116) {
            bytes += u == 0x401 ? '\xA8' : u == 0x451 ? '\xB8' : '\xB9';
        } else {
            ADD_FAILURE() << "no code page 1251 byte for U+" << std::hex << static_cast<unsigned>(u);
        }
    }
    return bytes;
}

// The messages shown, file dialogs left out.
std::vector<QString> Messages(const testing_support::ScriptedDialogs& dialogs) {
    std::vector<QString> texts;
    for (const auto& shown : dialogs.shown) {
        using Kind = testing_support::ShownDialog::Kind;
        if (shown.kind != Kind::OpenFile && shown.kind != Kind::SaveFile) texts.push_back(shown.text);
    }
    return texts;
}

// Every component a project keeps, in the order of the walk.
std::vector<QObject*> StoredComponents(const std::vector<QObject*>& forms) {
    std::vector<QObject*> found;
    std::function<void(QObject*)> visit = [&](QObject* object) {
        if (project::StoredKindOf(object) != StoredKind::None) found.push_back(object);
        for (QObject* child : object->children()) visit(child);
    };
    for (QObject* form : forms) visit(form);
    return found;
}

// Gives every stored component a state of its own that differs between round 1 and round 2,
// through the controls' own setters; no page handler runs meanwhile.
void ChangeEverything(const std::vector<QObject*>& components, int round) {
    std::map<QObject*, std::vector<QRadioButton*>> radioGroups;
    for (QObject* c : components) {
        const QSignalBlocker quiet(c);
        const QString tag = c->objectName() + QString::number(round);
        switch (project::StoredKindOf(c)) {
            case StoredKind::None: break;
            case StoredKind::Edit: static_cast<QLineEdit*>(c)->setText(tag); break;
            case StoredKind::SpinEdit: {
                auto* spin = static_cast<QSpinBox*>(c);
                spin->setValue(spin->minimum() + (spin->maximum() - spin->minimum()) * round / 3);
                break;
            }
            case StoredKind::ComboBox: {
                auto* combo = static_cast<QComboBox*>(c);
                combo->setCurrentIndex(round == 1 ? combo->count() - 1 : 0);
                break;
            }
            case StoredKind::ListBox: {
                auto* list = static_cast<QListWidget*>(c);
                list->setCurrentRow(round == 1 ? list->count() - 1 : 0);
                break;
            }
            case StoredKind::DateTimePicker: {
                auto* picker = static_cast<QDateTimeEdit*>(c);
                picker->setDateTime(QDateTime(QDate(2020 + round, round, 10 + round), QTime(round, 5 * round, 7)));
                break;
            }
            case StoredKind::CheckBox: static_cast<QCheckBox*>(c)->setChecked(round == 1); break;
            case StoredKind::PageControl: {
                auto* pages = static_cast<QTabWidget*>(c);
                pages->setCurrentIndex(round == 1 ? pages->count() - 1 : 0);
                break;
            }
            case StoredKind::TabControl: {
                auto* tabs = static_cast<QTabBar*>(c);
                tabs->setCurrentIndex(round == 1 ? tabs->count() - 1 : 0);
                break;
            }
            case StoredKind::StringGrid: {
                auto* grid = static_cast<QTableWidget*>(c);
                for (int row = 0; row < grid->rowCount(); ++row) {
                    for (int column = 0; column < grid->columnCount(); ++column)
                        grid->setItem(row, column, new QTableWidgetItem(tag + QString(" %1.%2").arg(row).arg(column)));
                }
                break;
            }
            case StoredKind::RadioButton: radioGroups[c->parent()].push_back(static_cast<QRadioButton*>(c)); break;
        }
    }
    for (auto& [parent, radios] : radioGroups) {
        QRadioButton* radio = radios[static_cast<std::size_t>(round) % radios.size()];
        const QSignalBlocker quiet(radio);
        radio->setChecked(true);
    }
}

std::map<QObject*, QVariant> StatesOf(const std::vector<QObject*>& components) {
    std::map<QObject*, QVariant> states;
    for (QObject* c : components) states[c] = project::StateOf(c, project::StoredKindOf(c));
    return states;
}

class ProjectWindow : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        start();
        dialogs.shown.clear();
    }

    std::vector<QObject*> forms() const { return {window.get(), grad.get()}; }
    void restart() {
        grad.reset();
        window.reset();
        start();
    }
    QString file(const std::string& name) const { return QString::fromStdString(folder.file(name)); }

    void open(const std::string& name) {
        dialogs.answerFile(file(name));
        window->N4Click();
    }
    void saveAs(const std::string& name) {
        dialogs.answerFile(file(name));
        if (std::filesystem::exists(folder.file(name))) dialogs.answer(platform::IDYES);
        window->N7Click();
    }
};

TEST_F(ProjectWindow, EveryComponentOfEveryPageSurvivesARoundTrip) {
    window->FrameTune1->cbZavNo->addItems({"A1", "B2"});
    const std::vector<QObject*> components = StoredComponents(forms());
    ASSERT_GE(components.size(), 40u);
    // The ticked automatic units box of round 1 holds the reference source on the instrument.
    QComboBox* source = window->FrameMeas1->cbPetlSource;
    ChangeEverything(components, 1);
    ASSERT_TRUE(window->FrameTune1->cbGHVunitsFromZKV->isChecked());
    source->setCurrentIndex(0);
    const auto saved = StatesOf(components);
    saveAs("p.zkv");
    ASSERT_EQ(ProjectFile, file("p.zkv"));

    ChangeEverything(components, 2);
    source->setCurrentIndex(1);
    for (QObject* c : components) {
        const auto* combo = qobject_cast<QComboBox*>(c);
        const auto* list = qobject_cast<QListWidget*>(c);
        if ((combo && combo->count() < 2) || (list && list->count() < 2)) continue;  // nothing else to choose
        EXPECT_NE(project::StateOf(c, project::StoredKindOf(c)), saved.at(c)) << "unchanged: " << c->objectName().toStdString();
    }
    open("p.zkv");
    EXPECT_EQ(Messages(dialogs), std::vector<QString>{});
    for (QObject* c : components) {
        EXPECT_EQ(project::StateOf(c, project::StoredKindOf(c)), saved.at(c))
            << project::SectionOf(c).toStdString() << "/" << c->objectName().toStdString();
    }
}

// A project as the original program writes it (its sections in the order of its walk), with
// sections and keys of pages that are not all built here; and the settings file's own lists.
std::string OriginalProject() {
    std::string text =
        "[FormMain]\r\nPages=1\r\nstrConst_UAIL_err_Code2ASCII=0\r\nlbStatus=0\r\nlbWork=0\r\nuMsg=0\r\n\r\n"
        "[FrameZKV_Settings1]\r\ncfgRelayTest=0\r\ncfgZummer=1\r\ncfgAutoOff=1\r\ncfgApprox=5\r\ncfgYear=24\r\n"
        "cfgDigits=2\r\ncfgU_24_36_V=1\r\ncfgDevPDunits=1\r\ncfg_I_range=1\r\ncfgHiP=1000.0000\r\ncfgLoP=0.0000\r\n"
        "cfgNo_1=0012345\r\ncfgNo_2=0000000\r\ncfgNo_3=0000000\r\ncfgNo_4=0000000\r\nUnitStr=6\r\n"
        "ebLowEtl=0.0000\r\nebHiEtl=1000.0000\r\nebZavNo=\r\ncfgEtlPDunit=0\r\ncfgEtlPD_30_unit=1\r\n"
        "Date=05.03.2024\r\nTime=9:05:07\r\n\r\n"
        "[FrameFindDevice]\r\ncbCOM_End=9\r\ncbCOM_Start=2\r\n\r\n"
        "[FrameMeas1]\r\ncbToGraph_Ch1=1\r\ncbToGraph_Ch2=0\r\ncbToGraph_Ch3=1\r\ncbToGraph_Ch4=0\r\n"
        "cbToGraph_Ch0=1\r\ncbPetlSource=0\r\nUnitStr=6\r\ncbTypeGraph=1\r\nedP_hand=12.5\r\n\r\n"
        "[FrameGraph1]\r\nEGLast=20\r\n\r\n"
        "[FrameArchiv1]\r\nColNames=0\r\nUnitStr=0\r\nlbMsg=0\r\n\r\n"
        "[FrameTune1]\r\nEdit1=20.5\r\nEdit2=55\r\nEdit3=745\r\nEditName=Иванов И.И.\r\nebGHV_class=A\r\n"
        "cbGHVunits=6\r\ncbGHVmodel=3\r\ncbGHV_class=1\r\ncbZavNo=1\r\ncbGHVunitsFromZKV=0\r\ncbGHV_type=2\r\n";
    const char* cells[4][9] = {
        {"ДДМ-100", "100", "12345", "0.0000", "1.0000", "МПа", "4 - 20 мА", "линейная", "0.250"},
        {"нет", "---", "---", "---", "---", "---", "---", "---", "---"},
        {"ДРК-7 ", "М7", "777", "0.0000", "2.5000", "кПа", "0 - 5 мА", "квадратичн.", "0.500"},
        {"нет", "- - -", "- - -", "- - -", "- - -", "- - -", "- - -", "- - -", "- - -"},
    };
    int n = 0;
    for (const auto& row : cells) {
        for (const char* cell : row) text += "Grid_Tune_str" + std::to_string(n++) + "=" + cell + "\r\n";
    }
    text += "ComboOutDiap=1\r\nListGridColNames=0\r\n";
    const char* names[] = {"нет",   "УЛМ-41", "УЛМ-41К",  "УЛМ-41К2", "УЛМ-41Т",  "УЛМ-41Р", "УЛМ-52/В3",
                           "УЛМ-63", "ДРК-7 ", "ДРК-8", "ТОРВИН-3", "ФЕЛДАР-9", "ДДМ-100",  "Добавить"};
    const int selected[] = {12, 0, 8, 0};
    for (int list = 1; list <= 4; ++list) {
        const std::string key = "ComboBoxModel_" + std::to_string(list);
        for (int i = 0; i < 14; ++i) text += key + "_str" + std::to_string(i) + "=" + names[i] + "\r\n";
        text += key + "=" + std::to_string(selected[list - 1]) + "\r\n";
    }
    text += "ComboUnits=2\r\nEdit_Kf_Fault=1.0000\r\nedZavNoZKV=01234\r\ncb_ZKV_Diap=2\r\nComboFunc=0\r\n"
            "ed_OwnerName=ООО \"Метролог\" №1\r\nRadioButton1=0\r\nrb_IsPeriodic=1\r\n\r\n"
            "[FrameZKV_Grad1]\r\nGradModes=1\r\nCEMinValue=4.000\r\nCEMaxValue=20.000\r\nI_Emul=12\r\n"
            "CECorrFactor=0.01\r\nCMeasurementTabs=2\r\nCMSampleValue=4.00\r\n\r\n";
    return Cp1251(text);
}

std::string OriginalSettings() {
    std::string text = "[Doc_MP]\r\n";
    const char* documents[] = {"ДДМ-100", "МИ 2124-90", "ДРК-7", "МП 41-2010"};
    for (int n = 0; n < 100; ++n) {
        text += "sg_MP_str" + std::to_string(n) + "=" + (n < 4 ? documents[n] : "?") + "\r\n";
    }
    text += "\r\n[SN_GHV_LIST]\r\ncbZavNo_str0=1001\r\ncbZavNo_str1=2002\r\n\r\n";
    return Cp1251(text);
}

// The lines of each section, blank lines left out.
std::map<std::string, std::vector<std::string>> Sections(const std::string& bytes) {
    std::map<std::string, std::vector<std::string>> sections;
    std::string current;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find("\r\n", start);
        const std::string line = bytes.substr(start, end == std::string::npos ? std::string::npos : end - start);
        start = end == std::string::npos ? bytes.size() : end + 2;
        if (line.empty()) continue;
        if (line.front() == '[') {
            current = line;
            sections[current];
        } else {
            sections[current].push_back(line);
        }
    }
    return sections;
}

// Every line of the original stays as it was, in its section and place; what the program adds
// comes after it.
void ExpectSameBytesForTheKeysItHolds(const std::string& original, const std::string& saved) {
    const auto before = Sections(original);
    const auto after = Sections(saved);
    for (const auto& [section, lines] : before) {
        const auto found = after.find(section);
        ASSERT_NE(found, after.end()) << section;
        ASSERT_GE(found->second.size(), lines.size()) << section;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(testing_support::Visible(found->second[i]), testing_support::Visible(lines[i])) << section;
        }
    }
}

TEST_F(ProjectWindow, AProjectOfTheOriginalProgramLoadsAndSavesAgainToTheSameBytes) {
    std::ofstream(settingsPath(), std::ios::binary) << OriginalSettings();
    restart();
    std::ofstream(folder.file("original.zkv"), std::ios::binary) << OriginalProject();
    dialogs.shown.clear();
    open("original.zkv");
    ASSERT_EQ(Messages(dialogs), std::vector<QString>{});

    const TFrameTune* tune = window->FrameTune1;
    EXPECT_EQ(window->Pages->currentIndex(), 1);
    EXPECT_EQ(tune->Edit1->text(), "20.5");
    EXPECT_EQ(tune->EditName->text(), U("Иванов И.И."));
    EXPECT_EQ(tune->ed_OwnerName->text(), U("ООО \"Метролог\" №1"));
    EXPECT_EQ(tune->edZavNoZKV->text(), "01234");
    EXPECT_EQ(tune->cbGHVunits->currentText(), U("бар")) << "the model combo's unit does not win";
    EXPECT_EQ(tune->cbGHVmodel->currentText(), "110");
    EXPECT_EQ(tune->cbGHV_type->currentIndex(), 2);
    EXPECT_EQ(tune->cbZavNo->currentText(), "2002");
    EXPECT_TRUE(tune->rb_IsPeriodic->isChecked());
    EXPECT_FALSE(tune->RadioButton1->isChecked());
    EXPECT_EQ(tune->cb_ZKV_Diap->currentIndex(), 2);
    EXPECT_EQ(tune->ComboBoxModel_1->count(), 14);
    EXPECT_EQ(tune->ComboBoxModel_1->itemText(12), U("ДДМ-100"));
    EXPECT_EQ(tune->ComboBoxModel_1->currentText(), U("ДДМ-100"));
    EXPECT_EQ(tune->ComboBoxModel_3->currentText(), U("ДРК-7 "));
    EXPECT_EQ(tune->CellText(1, 1), U("ДДМ-100"));
    EXPECT_EQ(tune->CellText(1, 6), U("МПа"));
    EXPECT_EQ(tune->CellText(3, 1), U("ДРК-7 "));
    EXPECT_EQ(tune->CellText(4, 9), "- - -");
    EXPECT_EQ(tune->sg_MP->item(1, 1)->text(), U("МП 41-2010"));
    EXPECT_EQ(tune->sg_MP->item(49, 1)->text(), "?");
    EXPECT_EQ(tune->cbZavNo->count(), 2);
    const TFrameMeas* meas = window->FrameMeas1;
    EXPECT_TRUE(meas->cbToGraph_Ch1->isChecked());
    EXPECT_FALSE(meas->cbToGraph_Ch2->isChecked());
    EXPECT_EQ(meas->cbTypeGraph->currentIndex(), 1);
    EXPECT_EQ(meas->FrameGraph1->GraphType, 1) << "the graph type's event ran";
    EXPECT_EQ(meas->edP_hand->text(), "12.5");
    EXPECT_EQ(meas->FrameGraph1->EGLast->value(), 20);
    EXPECT_EQ(window->FrameFindDevice->cbCOM_Start->currentText(), "COM3");
    EXPECT_EQ(window->FrameFindDevice->cbCOM_End->currentText(), "COM10");
    const TFrameZKV_Settings* settings = window->FrameZKV_Settings1;
    EXPECT_EQ(settings->UnitStr->currentRow(), 6);
    EXPECT_EQ(settings->cfgApprox->value(), 5);
    EXPECT_EQ(settings->cfgNo_1->text(), "0012345");
    EXPECT_EQ(settings->DatePicker->date(), QDate(2024, 3, 5));
    EXPECT_EQ(settings->TimePicker->time(), QTime(9, 5, 7));
    EXPECT_EQ(window->FrameZKV_Settings1->ebHiEtl->text(), "1000.0000");
    EXPECT_EQ(grad->FrameZKV_Grad1->GradModes->currentIndex(), 1);

    const std::string settingsBefore = ReadBytes(settingsPath());
    saveAs("original.zkv");
    ExpectSameBytesForTheKeysItHolds(OriginalProject(), ReadBytes(folder.file("original.zkv")));
    ExpectSameBytesForTheKeysItHolds(OriginalSettings(), ReadBytes(settingsPath()));
}

// The model combos' event picks a unit by the model code; the stored unit must come back all the
// same, and the apply must take it.
TEST_F(ProjectWindow, TheReferenceUnitSurvivesAReload) {
    TFrameTune* tune = window->FrameTune1;
    tune->Edit1->setText("20");
    tune->Edit2->setText("55");
    tune->Edit3->setText("750");
    tune->Edit_Kf_Fault->setText("0.5");
    for (int row = 1; row <= 4; ++row) tune->SetCellText(row, 1, U("нет"));
    tune->cbGHVmodel->setCurrentText("110");
    tune->cbGHVunits->setCurrentText(U("бар"));
    tune->BitBtn_ApplyClick(nullptr);
    ASSERT_EQ(SetupText(window->SetupRecord, setup::RefUnits), U("бар"));
    saveAs("p.zkv");

    tune->cbGHVmodel->setCurrentText("060");
    tune->cbGHVmodelChange();
    ASSERT_EQ(tune->cbGHVunits->currentText(), U("МПа"));
    open("p.zkv");
    EXPECT_EQ(tune->cbGHVunits->currentText(), U("бар"));
    EXPECT_EQ(tune->cbGHVmodel->currentText(), "110");
    tune->BitBtn_ApplyClick(nullptr);
    EXPECT_EQ(SetupText(window->SetupRecord, setup::RefUnits), U("бар"));
}

// The serial's text picks its item, whichever way it got there; apply selects the serial it has
// just listed, so the project keeps it.
TEST_F(ProjectWindow, TheSerialComboSelectsByItsTextAndAProjectKeepsTheSerialApplied) {
    TFrameTune* tune = window->FrameTune1;
    QComboBox* serials = tune->cbZavNo;
    serials->addItems({"A1", "B2"});
    const struct {
        const char* text;
        int index;
    } cases[] = {{"b2", 1}, {"A1", 0}, {"C3", -1}, {"", -1}, {"a1", 0}};
    for (const auto& c : cases) {
        serials->setCurrentText(c.text);
        EXPECT_EQ(serials->currentIndex(), c.index) << c.text;
        EXPECT_EQ(serials->currentText(), c.text) << "the text stays as set";
    }
    serials->lineEdit()->clear();
    serials->setFocus();
    for (const char key : {'b', '2'}) {
        QKeyEvent press(QEvent::KeyPress, key == 'b' ? Qt::Key_B : Qt::Key_2, Qt::NoModifier, QString(QChar(key)));
        QApplication::sendEvent(serials->lineEdit(), &press);
    }
    EXPECT_EQ(serials->currentText(), "b2");
    EXPECT_EQ(serials->currentIndex(), 1) << "typed";

    tune->Edit1->setText("20");
    tune->Edit2->setText("55");
    tune->Edit3->setText("750");
    tune->Edit_Kf_Fault->setText("0.5");
    for (int row = 1; row <= 4; ++row) tune->SetCellText(row, 1, U("нет"));
    serials->setCurrentText("C3");
    tune->BitBtn_ApplyClick(nullptr);
    EXPECT_EQ(serials->currentIndex(), 2);
    EXPECT_EQ(serials->itemText(2), "C3");
    saveAs("p.zkv");
    serials->setCurrentIndex(0);
    open("p.zkv");
    EXPECT_EQ(serials->currentText(), "C3");
}

// Opening a project that shows another page pauses or resumes a measurement as the user's change
// of page does.
TEST_F(ProjectWindow, OpeningAProjectThatShowsAnotherPageRunsThePageChange) {
    std::vector<std::uint16_t> events;
    RegisterWork(WorkMeasurement, [&](std::uint16_t event, const WorkInput&) {
        events.push_back(event);
        if (event == EvStop) WorkState = WorkIdle;
    });
    window->SelectPage(2);
    saveAs("measuring.zkv");
    window->SelectPage(3);
    saveAs("results.zkv");
    window->SelectPage(0);

    window->Pages->setCurrentIndex(2);
    window->FrameMeas1->BitBtn_StartClick();
    open("results.zkv");
    EXPECT_EQ(window->Pages->currentIndex(), 3);
    EXPECT_EQ(events, (std::vector<std::uint16_t>{EvStart, EvStop}));
    EXPECT_TRUE(MeasWasRunning);
    EXPECT_TRUE(window->FrameMeas1->FResuming);
    EXPECT_FALSE(OnMeasPage);

    open("measuring.zkv");
    EXPECT_EQ(events, (std::vector<std::uint16_t>{EvStart, EvStop, EvStart}));
    EXPECT_EQ(WorkState, WorkMeasurement);
    EXPECT_TRUE(OnMeasPage);
    window->FrameMeas1->BitBtn_StopClick();
}

TEST_F(ProjectWindow, TheAutomaticUnitsBoxRunsItsClickWhenLoaded) {
    TFrameTune* tune = window->FrameTune1;
    QComboBox* source = window->FrameMeas1->cbPetlSource;
    std::ofstream(folder.file("auto.zkv"), std::ios::binary)
        << "[FrameTune1]\r\ncbGHVunitsFromZKV=1\r\n[FrameMeas1]\r\ncbPetlSource=0\r\n";
    std::ofstream(folder.file("hand.zkv"), std::ios::binary)
        << "[FrameTune1]\r\ncbGHVunitsFromZKV=0\r\n[FrameMeas1]\r\ncbPetlSource=1\r\n";
    open("auto.zkv");
    EXPECT_TRUE(tune->cbGHVunitsFromZKV->isChecked());
    EXPECT_FALSE(tune->cbGHVunits->isEnabled());
    EXPECT_FALSE(source->isEnabled());
    EXPECT_EQ(source->currentIndex(), 0);
    open("hand.zkv");
    EXPECT_TRUE(tune->cbGHVunits->isEnabled());
    EXPECT_TRUE(source->isEnabled());
    EXPECT_EQ(source->currentIndex(), 1);
    EXPECT_FALSE(window->FrameMeas1->eb_P_etl->isReadOnly()) << "the source's own event ran";
}

// A file whose box and source disagree (hand-made or damaged): the ticked box forces the source
// combo's first item, and the reference edit follows the source it shows, on every load.
TEST_F(ProjectWindow, TheTickedAutomaticUnitsBoxWinsOverAStoredHandSource) {
    TFrameMeas* meas = window->FrameMeas1;
    std::ofstream(folder.file("both.zkv"), std::ios::binary)
        << "[FrameTune1]\r\ncbGHVunitsFromZKV=1\r\n[FrameMeas1]\r\ncbPetlSource=1\r\n";
    for (int load = 1; load <= 2; ++load) {
        open("both.zkv");
        EXPECT_TRUE(window->FrameTune1->cbGHVunitsFromZKV->isChecked()) << "load " << load;
        EXPECT_FALSE(meas->cbPetlSource->isEnabled()) << "load " << load;
        EXPECT_EQ(meas->cbPetlSource->currentIndex(), 0) << "load " << load;
        EXPECT_TRUE(meas->eb_P_etl->isReadOnly()) << "load " << load << ": no hand entry";
    }
    EXPECT_EQ(Messages(dialogs), std::vector<QString>{});
}

// A value with a lone CR in it: the file reads the CR as the end of its line, as it never writes
// one, so what a load takes is what the next save writes.
TEST_F(ProjectWindow, ALoneCarriageReturnEndsItsValueAndNoNameComesTwice) {
    std::ofstream(folder.file("cr.zkv"), std::ios::binary)
        << "[FrameTune1]\r\nComboBoxModel_1_str0=XY\rZ\r\nEditName=Ivanov\rPetrov\r\n";
    const auto namesOf = [](const QComboBox* combo) {
        QStringList names;
        for (int i = 0; i < combo->count(); ++i) names << combo->itemText(i);
        return names;
    };
    open("cr.zkv");
    QComboBox* names = window->FrameTune1->ComboBoxModel_1;
    const QStringList loaded = namesOf(names);
    EXPECT_EQ(loaded.count("XY"), 1);
    EXPECT_EQ(window->FrameTune1->EditName->text(), "Ivanov");
    saveAs("cr2.zkv");
    open("cr2.zkv");
    EXPECT_EQ(namesOf(names), loaded) << "the saved list reads back as it was";
    EXPECT_EQ(window->FrameTune1->EditName->text(), "Ivanov");
    EXPECT_EQ(Messages(dialogs), std::vector<QString>{});
}

// First start finds no file: the forms' values stay, and a list with items shows its first item,
// as after a load with keys missing; so a save writes what the controls show and reads back the same.
TEST_F(ProjectWindow, ASaveWritesTheSelectionsTheControlsShowAndReadsBackTheSame) {
    for (QObject* c : StoredComponents(forms())) {
        const auto* combo = qobject_cast<QComboBox*>(c);
        const auto* list = qobject_cast<QListWidget*>(c);
        if (combo && combo->count() > 0) {
            EXPECT_GE(combo->currentIndex(), 0) << c->objectName().toStdString();
        }
        if (list && list->count() > 0) {
            EXPECT_GE(list->currentRow(), 0) << c->objectName().toStdString();
        }
    }
    saveAs("first.zkv");
    const std::string first = ReadBytes(folder.file("first.zkv"));
    for (const auto& [section, lines] : Sections(first)) {
        for (const std::string& entry : lines) {
            // The reference serial list is empty: nothing to show.
            if (entry.ends_with("=-1")) {
                EXPECT_EQ(section + entry, "[FrameTune1]cbZavNo=-1");
            }
        }
    }
    open("first.zkv");
    saveAs("second.zkv");
    EXPECT_EQ(testing_support::Visible(ReadBytes(folder.file("second.zkv"))),
              testing_support::Visible(first));
}

// A spin value beyond the spin's limits is clamped to them; the settings write then sends what the
// spin shows, never the stored number cut to a byte (300 would go out as 44).
TEST_F(ProjectWindow, ASpinValueBeyondItsLimitsIsClampedBeforeTheSettingsWriteTakesIt) {
    TFrameZKV_Settings* settings = window->FrameZKV_Settings1;
    const struct {
        const char* stored;
        int shown;
    } cases[] = {{"300", 20}, {"-4", 1}, {"7", 7}};
    for (const auto& c : cases) {
        std::ofstream(folder.file("p.zkv"), std::ios::binary)
            << "[FrameZKV_Settings1]\r\ncfgApprox=" << c.stored << "\r\n";
        open("p.zkv");
        EXPECT_EQ(settings->cfgApprox->value(), c.shown) << c.stored;
        ASSERT_TRUE(settings->ConfFromForm());
        EXPECT_EQ(settings->Conf.Averaging, c.shown) << c.stored;
    }
}

TEST_F(ProjectWindow, AGraphBoxLoadedTickedStaysTickedThoughItsRowIsNot) {
    QCheckBox* box = window->FrameMeas1->cbToGraph_Ch3;
    box->setChecked(false);
    std::ofstream(folder.file("p.zkv"), std::ios::binary) << "[FrameMeas1]\r\ncbToGraph_Ch3=1\r\n";
    open("p.zkv");
    EXPECT_TRUE(box->isChecked()) << "only a click checks the box against its row";
}

TEST_F(ProjectWindow, FirstStartWithoutAnyIniFileKeepsTheFormsValues) {
    // SetUp started the program in a folder without a settings file.
    const TFrameTune* tune = window->FrameTune1;
    EXPECT_EQ(ProjectFile.toStdString(), settingsPath());
    EXPECT_EQ(window->windowTitle(), U(kMainCaption)) << "no project was loaded";
    for (int row = 0; row < 50; ++row) {
        for (int column = 0; column < 2; ++column) EXPECT_EQ(tune->sg_MP->item(row, column)->text(), "?");
    }
    EXPECT_EQ(tune->cbZavNo->count(), 0);
    EXPECT_TRUE(tune->RadioButton1->isChecked());
    EXPECT_EQ(tune->cb_ZKV_Diap->currentIndex(), 0);
    EXPECT_EQ(tune->CellText(1, 1), "");
    EXPECT_EQ(tune->ComboBoxModel_1->count(), 13);

    window->FrameTune1->Edit2->setText("42");
    dialogs.answer(platform::IDYES);
    ASSERT_TRUE(window->close());
    const platform::TMemIniFile settings(QString::fromStdString(settingsPath()));
    EXPECT_EQ(settings.ReadString("Project", "Name", "").toStdString(), settingsPath());
    EXPECT_EQ(settings.ReadString("FrameTune1", "Edit2", ""), "42");
    EXPECT_EQ(settings.ReadString("Doc_MP", "sg_MP_str99", ""), "?");
}

TEST_F(ProjectWindow, AProjectThatIsGoneGivesWayToTheSettingsFileAtStart) {
    std::ofstream(settingsPath(), std::ios::binary)
        << "[Project]\r\nName=" + folder.file("gone.zkv") + "\r\n[FrameTune1]\r\nEdit2=42\r\n";
    restart();
    EXPECT_EQ(ProjectFile.toStdString(), settingsPath());
    EXPECT_EQ(window->FrameTune1->Edit2->text(), "42");
    EXPECT_EQ(window->windowTitle(), U(kMainCaption) + "    zkvdesk.ini");
}

TEST_F(ProjectWindow, OpeningAFileThatIsNoProjectChangesNothing) {
    window->FrameTune1->Edit2->setText("mine");
    const QString before = ProjectFile;
    std::ofstream(folder.file("letter.zkv"), std::ios::binary) << "Dear user,\r\nthis is a letter.\r\n";
    open("letter.zkv");
    EXPECT_EQ(dialogs.shown.back().text, U("Невозможно открыть проект!"));
    EXPECT_EQ(dialogs.shown.back().buttons, platform::MB_ICONERROR | platform::MB_OK);
    EXPECT_EQ(window->FrameTune1->Edit2->text(), "mine");
    EXPECT_EQ(ProjectFile, before);
}

// The whole way a user takes, with Qt's own dialogs: the menu item, the file dialog, the overwrite
// question and the failure message. The folder takes no new file, so the project cannot be saved
// without writing over the old file in place, which a save never does.
TEST_F(ProjectWindow, SavingIntoAReadOnlyFolderThroughQtsDialogsKeepsTheOldFileAndSaysSo) {
    const std::string old = "[FrameTune1]\r\nEdit2=old\r\n";
    const testing_support::LockedFolder locked(folder.file("locked"), "p.zkv", old);
    const std::string& target = locked.file();
    const QString before = ProjectFile;

    // Each step acts on the modal dialog it expects, once that dialog is up. The actions are queued:
    // a timer does not fire again while its own handler runs, so a dialog that an action opened
    // inside it would never be seen.
    const auto later = [](auto* object, auto method) { QMetaObject::invokeMethod(object, method, Qt::QueuedConnection); };
    QStringList shown;
    std::vector<std::function<bool(QWidget*)>> steps = {
        [&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            if (!dialog) return false;
            dialog->selectFile(QString::fromStdString(target));
            for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
                if (button->isEnabled() && button->text().contains("Save", Qt::CaseInsensitive)) {
                    later(button, &QAbstractButton::click);
                    return true;
                }
            }
            ADD_FAILURE() << "no save button";
            later(dialog, &QDialog::reject);
            return true;
        },
        [&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (!box || box->text() != U("Переписать файл ?")) return false;
            shown << box->text();
            for (QAbstractButton* button : box->buttons()) {
                if (box->buttonRole(button) == QMessageBox::YesRole) later(button, &QAbstractButton::click);
            }
            return true;
        },
        [&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (!box || box->text() == U("Переписать файл ?")) return false;
            shown << box->windowTitle() + ": " + box->text();
            later(box, &QDialog::accept);
            return true;
        },
    };
    std::size_t step = 0;
    int idle = 0;
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) return;
        if (step < steps.size() && steps[step](modal)) {
            ++step;
            idle = 0;
        } else if (++idle > 400) {
            ADD_FAILURE() << "unexpected dialog at step " << step << ": " << modal->metaObject()->className();
            if (auto* box = qobject_cast<QMessageBox*>(modal)) shown << box->text();
            later(modal, &QWidget::close);
            idle = 0;
        }
    });
    driver.start(5);

    platform::Dialogs* scripted = platform::SetDialogs(nullptr);
    {
        testing_support::ObeyFilePermissions obey;
        window->N7->trigger();
    }
    platform::SetDialogs(scripted);
    driver.stop();

    EXPECT_EQ(step, steps.size());
    EXPECT_EQ(shown, (QStringList{U("Переписать файл ?"), U("Ошибка: Невозможно сохранить проект!")}));
    EXPECT_EQ(ReadBytes(target), old);
    EXPECT_EQ(ProjectFile, before);
}

// "Сохранить проект" onto a full disk, a link to a device and a FIFO: the old file or node stays
// as it was and the user is told.
TEST_F(ProjectWindow, ASaveThatCannotBeMadeKeepsTheOldFileAndSaysSo) {
    std::ofstream(folder.file("p.zkv"), std::ios::binary) << "[FrameTune1]\r\nEdit2=old\r\n";
    const std::string old = ReadBytes(folder.file("p.zkv"));
    const std::vector<QString> failed{U("Невозможно сохранить проект!")};
    // The child may write files a byte shorter than the project: the settings file fits, the
    // project does not.
    saveAs("sized.zkv");
    const std::size_t projectSize = ReadBytes(folder.file("sized.zkv")).size();
    ASSERT_GT(projectSize, ReadBytes(settingsPath()).size());
    ProjectFile = QString::fromStdString(settingsPath());
    dialogs.shown.clear();
    EXPECT_TRUE(testing_support::RunWithFileSizeLimit(projectSize - 1, [&] {
        saveAs("p.zkv");
        return Messages(dialogs) == std::vector<QString>{U("Переписать файл ?"), failed[0]} &&
               ReadBytes(folder.file("p.zkv")) == old;
    }));
    EXPECT_EQ(ReadBytes(folder.file("p.zkv")), old);

    const std::string null = testing_support::DeviceLike(folder, "null");
    ASSERT_FALSE(null.empty());
    ASSERT_EQ(symlink(null.c_str(), folder.file("null.zkv").c_str()), 0);
    ASSERT_EQ(mkfifo(folder.file("fifo.zkv").c_str(), 0600), 0);
    for (const char* name : {"null.zkv", "fifo.zkv"}) {
        dialogs.shown.clear();
        saveAs(name);
        EXPECT_EQ(Messages(dialogs), (std::vector<QString>{U("Переписать файл ?"), failed[0]})) << name;
        EXPECT_EQ(ProjectFile.toStdString(), settingsPath()) << name;
    }
    struct stat info;
    ASSERT_EQ(stat(null.c_str(), &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
    ASSERT_EQ(lstat(folder.file("fifo.zkv").c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

// A settings file that is a FIFO neither hangs the start nor is lost at the close: it is kept
// aside and a new settings file is made.
TEST_F(ProjectWindow, ASettingsFileThatIsAFifoDoesNotHangTheStartAndIsKeptAsideAtTheClose) {
    restart();  // the first start made no settings file
    grad.reset();
    window.reset();
    ASSERT_EQ(mkfifo(settingsPath().c_str(), 0600), 0);
    start();
    EXPECT_EQ(ProjectFile.toStdString(), settingsPath());
    window->FrameTune1->Edit2->setText("42");
    dialogs.answer(platform::IDYES);
    ASSERT_TRUE(window->close());
    std::vector<std::string> aside;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
        if (entry.path().filename().string().rfind("zkvdesk.ini.unreadable-", 0) == 0) aside.push_back(entry.path());
    }
    ASSERT_EQ(aside.size(), 1u);
    struct stat info;
    ASSERT_EQ(lstat(aside[0].c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    const platform::TMemIniFile settings(QString::fromStdString(settingsPath()));
    EXPECT_EQ(settings.ReadString("FrameTune1", "Edit2", ""), "42");
    EXPECT_EQ(settings.ReadString("Project", "Name", "").toStdString(), settingsPath());
}

}  // namespace
