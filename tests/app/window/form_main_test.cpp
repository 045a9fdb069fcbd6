#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QStatusBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "app/archive/frame_archive.h"
#include "app/measurement/frame_meas.h"
#include "app/model/current_row.h"
#include "app/model/setup_record.h"
#include "app/results/frame_result.h"
#include "app/settings/frame_settings.h"
#include "app/setup/frame_tune.h"
#include "link/my_comm.h"
#include "platform/class_library/mem_ini_file.h"
#include "platform/class_library/utf8_literal.h"
#include "tests/app/window_fixture.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/printers.h"

namespace {

void WriteFile(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool AllZero(const std::uint8_t* block, std::size_t size) {
    return std::all_of(block, block + size, [](std::uint8_t b) { return b == 0; });
}

using MainWindow = WindowTest;

TEST_F(MainWindow, IsBuiltWithItsCaptionPagesMenuAndStatusBar) {
    start();
    EXPECT_EQ(window->windowTitle(), U(kMainCaption));
    EXPECT_EQ(window->size(), QSize(1223, 768));
    EXPECT_EQ(window->minimumSize(), QSize(1223, 412));
    const char* captions[] = {"Настройка связи", "Настройка", "Измерение", "Результаты", "Архив", "Настройки ЗКВ-7"};
    ASSERT_EQ(window->Pages->count(), 6);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(window->Pages->tabText(i), U(captions[i])) << i;
    const char* frames[] = {"FrameFindDevice", "FrameTune1", "FrameMeas1", "Frame_Results1", "FrameArchiv1",
                            "FrameZKV_Settings1"};
    for (const char* name : frames) EXPECT_NE(window->findChild<QWidget*>(name), nullptr) << name;
    for (const char* item : {"N4", "N7", "N8_Import_Archive", "Driver", "N4_Exit", "N2", "N3"})
        EXPECT_NE(window->findChild<QAction*>(item), nullptr) << item;
    EXPECT_EQ(window->N8_Import_Archive->text(), U("Импорт архива из файла"));
    for (int panel = 0; panel < 3; ++panel) EXPECT_EQ(window->StatusPanelText(panel), "") << panel;
    EXPECT_EQ(window->lbWork->count(), 17);
    EXPECT_EQ(window->strConst_UAIL_err_Code2ASCII->item(13)->text(), U("Неизвестный код ошибки"));
    EXPECT_TRUE(window->TimerRx->isActive());
    EXPECT_EQ(window->TimerRx->interval(), 10);
    EXPECT_EQ(window->TimerRSTimeout->interval(), 100);
    // The first start has no project: the first apply finds no temperature and says so, once.
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{U("Значение вне допустимого диапазона -20...60 !")});
}

TEST_F(MainWindow, FirstShowWithoutSettingsFileUsesItAsTheProjectAndBuildsTheBlocks) {
    start();
    EXPECT_EQ(ProjectFile.toStdString(), settingsPath());
    EXPECT_EQ(window->Pages->currentIndex(), 0);
    ASSERT_NE(window->SetupRecord, nullptr);
    ASSERT_NE(window->CurrentRow, nullptr);
    EXPECT_TRUE(AllZero(window->SetupRecord, kSetupRecordSize));
    EXPECT_TRUE(AllZero(window->CurrentRow, kCurrentRowSize));
    EXPECT_EQ(window->FrameTune1->SetupPtr, window->SetupRecord);
    EXPECT_EQ(window->FrameMeas1->SetupRecord, window->SetupRecord);
    EXPECT_EQ(window->FrameMeas1->CurrentRow, window->CurrentRow);
    EXPECT_EQ(window->Frame_Results1->FSetup, window->SetupRecord);
    EXPECT_EQ(window->FrameZKV_Settings1->WriteSystemDT->text(), U("Записать в прибор \n дату и время ПК"));
    EXPECT_FALSE(std::filesystem::exists(settingsPath())) << "nothing is written before the close";
}

TEST_F(MainWindow, FirstShowTakesTheProjectNamedInTheSettingsFileWhenItExists) {
    const std::string project = folder.file("a.zkv");
    WriteFile(project, "[FormMain]\r\n");
    WriteFile(settingsPath(), "[Project]\r\nName=" + project + "\r\n");
    start();
    EXPECT_EQ(ProjectFile.toStdString(), project);
    EXPECT_EQ(window->windowTitle(), U(kMainCaption) + "    a.zkv");

    window.reset();
    std::filesystem::remove(project);
    start();
    EXPECT_EQ(ProjectFile.toStdString(), settingsPath()) << "a project that is gone gives way to the settings file";
}

// A project that cannot be loaded at the first show is not reported: the pages keep their own.
TEST_F(MainWindow, AnUnreadableSettingsFileIsNotReportedAndTheWindowStillBuildsItsBlocks) {
    std::filesystem::create_directory(settingsPath());
    start();
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{U("Значение вне допустимого диапазона -20...60 !")})
        << "only the first apply's own message";
    EXPECT_EQ(ProjectFile.toStdString(), settingsPath());
    EXPECT_EQ(window->windowTitle(), U(kMainCaption));
    EXPECT_NE(window->SetupRecord, nullptr);
    EXPECT_NE(window->CurrentRow, nullptr);
    EXPECT_EQ(window->FrameMeas1->CurrentRow, window->CurrentRow);
}

TEST_F(MainWindow, ShowsTheFactoryNumberGroupOnlyForAFirstArgumentOfExactlyTuvek) {
    const struct {
        QStringList arguments;
        bool shown;
    } cases[] = {{{}, false}, {{"-tuvek"}, true}, {{"x", "-tuvek"}, false}, {{"-TUVEK"}, false}, {{"-tuvek2"}, false}};
    for (const auto& c : cases) {
        platform::SetCommandLineArguments(c.arguments);
        start();
        EXPECT_EQ(!window->FrameZKV_Settings1->GroupBoxZavNo->isHidden(), c.shown) << c.arguments.join(' ').toStdString();
        window.reset();
    }
}

TEST_F(MainWindow, WithoutElevationSaysSoAndAsksTheApplicationToQuit) {
    platform::SetElevatedOverride(false);
    start();
    ASSERT_FALSE(dialogs.shown.empty());
    EXPECT_EQ(dialogs.shown[0].kind, testing_support::ShownDialog::Kind::MessageBox);
    EXPECT_EQ(dialogs.shown[0].text, U("Программа запущена не от имени администратора!\n Работа программы невозможна."));
    EXPECT_EQ(dialogs.shown[0].caption, U("  Ошибка"));
    EXPECT_EQ(dialogs.shown[0].buttons, platform::MB_ICONERROR | platform::MB_OK);
    EXPECT_EQ(quitRequests, 1);
    EXPECT_NE(window->SetupRecord, nullptr) << "the first show still runs";
}

TEST_F(MainWindow, WithoutElevationTheRealQuitEndsTheLoopWithoutTheClosePromptOrAnyWrite) {
    platform::SetElevatedOverride(false);
    platform::SetOsHooks({[this](const QString& path) { openedFolders << path; }, {}});  // the real quit
    dialogs.answer(platform::IDOK);   // the refusal
    dialogs.answer(platform::IDOK);   // the first apply's complaint of the empty page
    dialogs.answer(platform::IDYES);  // would save, were the close prompt shown
    start();
    // Only a guard against hanging the run if the request were lost; it never fires otherwise.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    guard.start(10000);
    EXPECT_EQ(QCoreApplication::exec(), 0);
    const std::vector<QString> shown = dialogs.texts();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown[0], U("Программа запущена не от имени администратора!\n Работа программы невозможна."));
    EXPECT_EQ(std::count(shown.begin(), shown.end(), U("Сохранить текущие настройки ?")), 0) << "no close prompt";
    EXPECT_FALSE(std::filesystem::exists(settingsPath())) << "nothing is saved";
    EXPECT_NE(window->SetupRecord, nullptr) << "the close never ran";
}

TEST_F(MainWindow, NoComboOfTheProgramPutsTypedTextIntoItsList) {
    start();
    int editable = 0;
    for (const QWidget* top : {static_cast<const QWidget*>(window.get()), static_cast<const QWidget*>(grad.get())}) {
        for (const QComboBox* combo : top->findChildren<QComboBox*>()) {
            if (!combo->isEditable()) continue;
            ++editable;
            EXPECT_EQ(combo->insertPolicy(), QComboBox::NoInsert) << combo->objectName().toStdString();
        }
    }
    EXPECT_GE(editable, 10) << "the set-up page's reference combos, instrument range and name combos";
}

TEST_F(MainWindow, StatusOperationsPickTheirTextsByIndex) {
    start();
    window->ShowLinkState(true);
    EXPECT_EQ(window->StatusPanelText(0), U("Есть связь"));
    window->ShowLinkState(false);
    EXPECT_EQ(window->StatusPanelText(0), U("Нет связи"));
    window->ShowWorkName(14);
    EXPECT_EQ(window->StatusPanelText(2), U("Стирание архива в приборе"));
    for (int outside : {-1, 17, 1000}) {
        window->ShowWorkName(outside);
        EXPECT_EQ(window->StatusPanelText(2), U("Стирание архива в приборе")) << outside;
    }
    window->ShowWorkName(0);
    EXPECT_EQ(window->StatusPanelText(2), "");
}

TEST_F(MainWindow, AStopEventEmptiesStatusPanelOne) {
    start();
    auto* panel = window->StatusBar1->findChild<QLabel*>("StatusPanel1");
    ASSERT_NE(panel, nullptr);
    panel->setText("stale");
    WorkState = WorkMeasurement;
    PostWorkEvent(EvStop);
    EXPECT_EQ(window->StatusPanelText(1), "");
}

// The close prompt's three answers.
TEST_F(MainWindow, CancelAtTheCloseKeepsTheProgramRunningAndSavesNothing) {
    start();
    dialogs.answer(platform::IDCANCEL);
    EXPECT_FALSE(window->close());
    EXPECT_EQ(dialogs.shown.back().text, U("Сохранить текущие настройки ?"));
    EXPECT_EQ(dialogs.shown.back().buttons, platform::MB_ICONQUESTION | platform::MB_YESNOCANCEL);
    EXPECT_FALSE(std::filesystem::exists(settingsPath()));
    EXPECT_NE(window->SetupRecord, nullptr);
    EXPECT_EQ(quitRequests, 0);
}

TEST_F(MainWindow, YesAtTheCloseRecordsTheProjectPathInTheSettingsFile) {
    WriteFile(settingsPath(), "[Other]\r\nKey=kept\r\n");
    start();
    dialogs.answer(platform::IDYES);
    EXPECT_TRUE(window->close());
    platform::TMemIniFile settings(QString::fromStdString(settingsPath()));
    EXPECT_EQ(settings.ReadString("Project", "Name", "").toStdString(), settingsPath());
    EXPECT_EQ(settings.ReadString("Other", "Key", ""), "kept");
    EXPECT_EQ(window->SetupRecord, nullptr);
    EXPECT_EQ(window->FrameMeas1->CurrentRow, nullptr);
    EXPECT_EQ(quitRequests, 1);
}

TEST_F(MainWindow, NoAtTheCloseLeavesTheSettingsFileAsItWas) {
    const std::string before = "[Project]\r\nName=/somewhere/else.zkv\r\n";
    WriteFile(settingsPath(), before);
    start();
    dialogs.answer(platform::IDNO);
    EXPECT_TRUE(window->close());
    EXPECT_EQ(ReadFile(settingsPath()), before);
}

TEST_F(MainWindow, AFailedSaveAtTheCloseIsShownAndTheWindowStays) {
    start();
    // A full disk: the child may write files of at most 100 bytes.
    EXPECT_TRUE(testing_support::RunWithFileSizeLimit(100, [&] {
        dialogs.answer(platform::IDYES);
        return !window->close() && dialogs.shown.back().text == U("Невозможно сохранить проект!") &&
               window->SetupRecord != nullptr;
    }));
    dialogs.answer(platform::IDNO);
    EXPECT_TRUE(window->close()) << "the user can still close without saving";
}

TEST_F(MainWindow, TheClosingWriteGoesOutOnlyAfterASuccessfulLinkCheck) {
    start();
    dialogs.answer(platform::IDNO);
    window->close();
    EXPECT_EQ(line.takeFromHost(), "");
    EXPECT_TRUE(std::find(slept.begin(), slept.end(), 500u) == slept.end());

    window.reset();
    start();
    // What the line carries away while the window waits before closing the port.
    std::string sent;
    platform::SetClockHooks({{}, [&](unsigned ms) {
                                 slept.push_back(ms);
                                 if (ms == 500) sent += line.takeFromHost();
                             }, {}});
    LinkUp = true;
    DevAddr = 3;
    std::vector<std::uint16_t> events;
    RegisterWork(WorkLinkCheck, [&](std::uint16_t event, const WorkInput&) { events.push_back(event); });
    WorkState = WorkLinkCheck;
    dialogs.answer(platform::IDNO);
    window->close();
    EXPECT_EQ(events, std::vector<std::uint16_t>{EvStop}) << "the running work is stopped first";
    EXPECT_EQ(WorkState, WorkIdle);
    EXPECT_TRUE(sent.starts_with("\xff:3;11;200;0;1;200;") && sent.ends_with("\r"))
        << testing_support::Visible(sent);
    EXPECT_NE(std::find(slept.begin(), slept.end(), 500u), slept.end());
    EXPECT_FALSE(window->Comm->IsOpen());
    EXPECT_FALSE(window->TimerRx->isActive());
    EXPECT_FALSE(window->TimerRSTimeout->isActive());
}

TEST_F(MainWindow, EveryPageChangeEndsAnOpenOneShotExchange) {
    start();
    window->Comm->Open();
    Requester = window->FrameArchiv1->ReadArchive;
    UiExchange = true;
    TimeoutTicks = 4;
    window->FrameArchiv1->StopArchiveReading->show();
    window->FrameArchiv1->ReadArchive->hide();
    window->FrameArchiv1->FArchOffset = 1056;
    window->Pages->setCurrentIndex(3);
    EXPECT_EQ(Requester, nullptr);
    EXPECT_FALSE(UiExchange);
    EXPECT_EQ(TimeoutTicks, -1);
    EXPECT_FALSE(window->Comm->IsOpen());
    EXPECT_TRUE(window->FrameArchiv1->StopArchiveReading->isHidden());
    EXPECT_FALSE(window->FrameArchiv1->ReadArchive->isHidden());
    EXPECT_EQ(window->FrameArchiv1->FArchOffset, 0) << "the clearing's stop forgets the resume point";
}

TEST_F(MainWindow, LeavingTheMeasurementPagePausesAndComingBackResumes) {
    start();
    std::vector<std::uint16_t> events;
    RegisterWork(WorkMeasurement, [&](std::uint16_t event, const WorkInput&) {
        events.push_back(event);
        if (event == EvStop) WorkState = WorkIdle;
    });
    TFrameMeas* meas = window->FrameMeas1;
    window->Pages->setCurrentIndex(2);
    EXPECT_TRUE(OnMeasPage);
    meas->BitBtn_StartClick();
    EXPECT_EQ(window->StatusPanelText(2), U("Чтение измеренных значений"));

    window->Pages->setCurrentIndex(3);
    EXPECT_EQ(events, (std::vector<std::uint16_t>{EvStart, EvStop}));
    EXPECT_TRUE(MeasWasRunning);
    EXPECT_TRUE(meas->FResuming);
    EXPECT_FALSE(OnMeasPage);
    window->Pages->setCurrentIndex(4);
    EXPECT_EQ(events.size(), 2u) << "still paused on another page";

    window->Pages->setCurrentIndex(2);
    EXPECT_EQ(events, (std::vector<std::uint16_t>{EvStart, EvStop, EvStart}));
    EXPECT_EQ(WorkState, WorkMeasurement);
    EXPECT_FALSE(meas->FResuming);
    EXPECT_TRUE(MeasWasRunning) << "only the stop button clears it";

    meas->BitBtn_StopClick();
    EXPECT_FALSE(MeasWasRunning);
    window->Pages->setCurrentIndex(1);
    window->Pages->setCurrentIndex(2);
    EXPECT_EQ(events.back(), EvStop) << "a measurement stopped by the user does not come back";
}

TEST_F(MainWindow, PagesSelectedByTheProgramDoNotRunThePageChange) {
    start();
    window->Comm->Open();
    UiExchange = true;
    window->SelectPage(4);
    EXPECT_TRUE(UiExchange);
    EXPECT_TRUE(window->Comm->IsOpen());
}

TEST_F(MainWindow, OpenProjectReportsAFailureAndKeepsTheProjectPath) {
    start();
    const QString before = ProjectFile;
    dialogs.answerFile(QString::fromStdString(folder.file("missing.zkv")));
    window->N4Click();
    EXPECT_EQ(dialogs.shown.back().text, U("Невозможно открыть проект!"));
    EXPECT_EQ(dialogs.shown.back().caption, U("Ошибка"));
    EXPECT_EQ(ProjectFile, before);
    EXPECT_FALSE(window->FrameTune1->BitBtn_Apply->isEnabled());

    const std::string project = folder.file("b.zkv");
    WriteFile(project, "");
    dialogs.answerFile(QString::fromStdString(project));
    window->N4Click();
    EXPECT_EQ(ProjectFile.toStdString(), project);
    EXPECT_TRUE(window->FrameTune1->BitBtn_Apply->isEnabled());
    EXPECT_TRUE(window->FrameTune1->BitBtn_Undo->isEnabled());
    EXPECT_EQ(dialogs.shown.back().file.title, U("Открыть проект АРМ ЗКВ"));
}

TEST_F(MainWindow, SaveProjectOntoAnExistingFileAnsweredNoWritesNothing) {
    start();
    const std::string project = folder.file("c.zkv");
    WriteFile(project, "[Old]\r\nk=1\r\n");
    const QString before = ProjectFile;
    dialogs.answerFile(QString::fromStdString(project));
    dialogs.answer(platform::IDNO);
    window->N7Click();
    EXPECT_EQ(dialogs.shown.back().text, U("Переписать файл ?"));
    EXPECT_EQ(dialogs.shown.back().caption, U("Подтвердите операцию!"));
    EXPECT_EQ(ReadFile(project), "[Old]\r\nk=1\r\n");
    EXPECT_EQ(ProjectFile, before);

    dialogs.answerFile(QString::fromStdString(project));
    dialogs.answer(platform::IDYES);
    window->N7Click();
    EXPECT_EQ(ProjectFile.toStdString(), project);
    EXPECT_EQ(window->windowTitle(), U(kMainCaption) + "    c.zkv");
}

TEST_F(MainWindow, MenuOpensTheDriverFolderAndTheCalibrationWindowInItsMode) {
    start();
    window->DriverClick();
    ASSERT_EQ(openedFolders.size(), 1);
    EXPECT_TRUE(openedFolders[0].endsWith("/Driver"));
    window->N3Click();
    EXPECT_TRUE(grad->isVisible());
    EXPECT_EQ(grad->FrameZKV_Grad1->GradModes->currentIndex(), 1);
    window->N2Click();
    EXPECT_EQ(grad->FrameZKV_Grad1->GradModes->currentIndex(), 0);
    EXPECT_EQ(grad->FrameZKV_Grad1->GradModes->tabText(0), U("   Эмуляция   "));
}

}  // namespace
