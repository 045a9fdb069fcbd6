#include "app/window/form_main.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <cstring>

#include "app/archive/frame_archive.h"
#include "app/calibration/form_grad.h"
#include "app/measurement/frame_meas.h"
#include "app/model/current_row.h"
#include "app/model/setup_record.h"
#include "app/model/value_text.h"
#include "app/project/ini_names.h"
#include "app/project/project_store.h"
#include "app/results/frame_result.h"
#include "app/settings/frame_settings.h"
#include "app/setup/frame_tune.h"
#include "link/exchange_engine.h"
#include "link/exchange_state.h"
#include "link/find_device_frame.h"
#include "link/instrument_errors.h"
#include "link/my_comm.h"
#include "link/protocol.h"
#include "platform/class_library/components.h"
#include "platform/class_library/mem_ini_file.h"
#include "platform/class_library/os_services.h"
#include "platform/class_library/utf8_literal.h"
#include "platform/system/clock.h"

TFormMain* FormMain = nullptr;

namespace {

constexpr const char* kOperationNames[17] = {
    "",
    "Поиск устройств",
    "Проверка связи",
    "Установка эмуляции минимального значения",
    "Установка эмуляции максимального значения тока",
    "Установка эмуляции тока",
    "Чтение параметра",
    "Запись параметра",
    "Чтение измеренных значений",
    "Чтение настроек из прибора",
    "Запись настроек в прибор",
    "Чтение даты и времени из прибора",
    "Запись даты и времени в прибор",
    "Чтение архива из прибора",
    "Стирание архива в приборе",
    "",
    "",
};

constexpr int kMeasurementPage = 2;
constexpr int kArchivePage = 4;

QListWidget* HiddenList(QWidget* parent, const char* name, std::initializer_list<QString> items) {
    auto* list = new QListWidget(parent);
    list->setObjectName(name);
    list->addItems(QStringList(items));
    list->hide();
    return list;
}

QWidget* FilledPage(QWidget* frame) {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(frame);
    return page;
}

void ShowError(const QString& text) {
    platform::MessageBox(nullptr, text, U("Ошибка"), platform::MB_ICONERROR | platform::MB_OK);
}

// The main window first, then the calibration window: the order in which the entry makes them.
project::ProjectScope ProjectScopeOf(TFormMain* window) {
    project::ProjectScope scope{{window}, SettingsFilePath(), window, BaseCaption};
    if (FormGrad) scope.forms.push_back(FormGrad);
    return scope;
}

}  // namespace

TFormMain::TFormMain(QWidget* parent)
    : QMainWindow(parent),
      OpenDialog1{"zkv", U("Проект АРМ ЗКВ|*.zkv|Все файлы|*.*"), U("Открыть проект АРМ ЗКВ")},
      SaveDialog1{"zkv", U("Проект АРМ ЗКВ|*.zkv|Все файлы|*.*"), U("Сохранить проект АРМ ЗКВ"), true},
      OpenDialogASCIIfileArcive{"zkv", U("Файлы архива ЗКВ-7|*.zkv|Все файлы|*.*"), U("Открыть файл архива ЗКВ")} {
    setObjectName("FormMain");
    platform::MarkAsOwner(this);
    if (FormMain == nullptr) FormMain = this;
    setWindowTitle(U(kMainCaption));
    setFont(QFont("MS Sans Serif"));
    resize(1223, 768);
    setMinimumSize(1223, 412);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }

    BuildMenu();
    BuildStatusBar();
    BuildPages();
    WirePageHooks();

    TimerRx = new QTimer(this);
    TimerRx->setObjectName("TimerRx");
    TimerRx->setInterval(10);
    connect(TimerRx, &QTimer::timeout, this, &TFormMain::TimerRxTimer);
    TimerRSTimeout = new QTimer(this);
    TimerRSTimeout->setObjectName("TimerRSTimeout");
    TimerRSTimeout->setInterval(100);
    connect(TimerRSTimeout, &QTimer::timeout, this, &TFormMain::TimerRSTimeoutTimer);

    Comm = std::make_unique<TMyComm>();
    MainPort = Comm.get();
    AnswerParser.Data = AnswerBuffer;
    ResetAnswerParser(AnswerParser);
    Requester = nullptr;
    BaseCaption = windowTitle();
    SetExchangeStatus({[this](bool up) { ShowLinkState(up); }, [this](int n) { ShowWorkName(n); },
                       [this] { statusPanels_[1]->clear(); }});

    if (!IsUserAdmin()) {
        platform::MessageBox(nullptr,
                             U("Программа запущена не от имени администратора!\n Работа программы невозможна."),
                             U("  Ошибка"), platform::MB_ICONERROR | platform::MB_OK);
        platform::RequestQuit();
    }
    TimerRx->start();
    TimerRSTimeout->start();
}

TFormMain::~TFormMain() {
    TimerRx->stop();
    TimerRSTimeout->stop();
    ClearAnswerRoutes();
    SetExchangeStatus({});
    if (MainPort == Comm.get()) MainPort = nullptr;
    if (AnswerParser.Data == AnswerBuffer) AnswerParser.Data = nullptr;
    Comm.reset();
    if (FormMain == this) FormMain = nullptr;
}

void TFormMain::BuildMenu() {
    MainMenu1 = menuBar();
    MainMenu1->setObjectName("MainMenu1");
    auto item = [this](QMenu* menu, const char* name, const char* caption, void (TFormMain::*handler)()) {
        QAction* action = menu->addAction(U(caption));
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    N111 = MainMenu1->addMenu(U("Файл"));
    N111->setObjectName("N111");
    N4 = item(N111, "N4", "Открыть проект", &TFormMain::N4Click);
    N7 = item(N111, "N7", "Сохранить проект", &TFormMain::N7Click);
    N8_Import_Archive = item(N111, "N8_Import_Archive", "Импорт архива из файла", &TFormMain::N8_Import_ArchiveClick);
    Driver = item(N111, "Driver", "Драйвер COM-порта", &TFormMain::DriverClick);
    N4_Exit = item(N111, "N4_Exit", "Выход", &TFormMain::N4_ExitClick);
    N_Grad = MainMenu1->addMenu(U("Градуировка"));
    N_Grad->setObjectName("N_Grad");
    N2 = item(N_Grad, "N2", "Эмуляция", &TFormMain::N2Click);
    N3 = item(N_Grad, "N3", "Измерение", &TFormMain::N3Click);
}

void TFormMain::BuildStatusBar() {
    StatusBar1 = statusBar();
    StatusBar1->setObjectName("StatusBar1");
    const int widths[3] = {100, 100, 50};
    for (int i = 0; i < 3; ++i) {
        statusPanels_[i] = new QLabel(StatusBar1);
        statusPanels_[i]->setObjectName(QString("StatusPanel%1").arg(i));
        // The last panel reaches to the window's edge, as a status bar's last part does.
        if (i < 2) {
            statusPanels_[i]->setFixedWidth(widths[i]);
            StatusBar1->addWidget(statusPanels_[i]);
        } else {
            statusPanels_[i]->setMinimumWidth(widths[i]);
            StatusBar1->addWidget(statusPanels_[i], 1);
        }
    }
}

void TFormMain::BuildHiddenLists() {
    QStringList errors;
    for (int code = 0; code < kInstrumentErrorCount; ++code) errors << QString::fromUtf8(InstrumentErrorText(code));
    strConst_UAIL_err_Code2ASCII = new QListWidget(Connection);
    strConst_UAIL_err_Code2ASCII->setObjectName("strConst_UAIL_err_Code2ASCII");
    strConst_UAIL_err_Code2ASCII->addItems(errors);
    strConst_UAIL_err_Code2ASCII->hide();
    lbStatus = HiddenList(Connection, "lbStatus", {U("Нет связи"), U("Есть связь")});
    QStringList operations;
    for (const char* name : kOperationNames) operations << U(name);
    lbWork = new QListWidget(Connection);
    lbWork->setObjectName("lbWork");
    lbWork->addItems(operations);
    lbWork->hide();
    uMsg = HiddenList(Connection, "uMsg", {U("Невозможно выполнить операцию")});
}

void TFormMain::BuildPages() {
    Pages = new QTabWidget(this);
    Pages->setObjectName("Pages");
    setCentralWidget(Pages);

    Connection = new QWidget;
    FrameFindDevice = new TFrameFindDevice(Connection);
    FrameFindDevice->move(16, 16);
    BuildHiddenLists();
    FrameTune1 = new TFrameTune(this);
    FrameMeas1 = new TFrameMeas(this);
    Frame_Results1 = new TFrame_Results(this);
    FrameArchiv1 = new TFrameArchiv(this);
    FrameZKV_Settings1 = new TFrameZKV_Settings(this);
    Measurement = FilledPage(FrameTune1);
    TabSheet2 = FilledPage(FrameMeas1);
    TabSheet3 = FilledPage(Frame_Results1);
    TabSheet1 = FilledPage(FrameArchiv1);
    TabSheet4 = FilledPage(FrameZKV_Settings1);

    const struct {
        QWidget* sheet;
        const char* name;
        const char* caption;
    } sheets[] = {{Connection, "Connection", "Настройка связи"}, {Measurement, "Measurement", "Настройка"},
                  {TabSheet2, "TabSheet2", "Измерение"},        {TabSheet3, "TabSheet3", "Результаты"},
                  {TabSheet1, "TabSheet1", "Архив"},            {TabSheet4, "TabSheet4", "Настройки ЗКВ-7"}};
    for (const auto& s : sheets) {
        s.sheet->setObjectName(s.name);
        Pages->addTab(s.sheet, U(s.caption));
    }
    connect(Pages, &QTabWidget::currentChanged, this, [this](int index) {
        if (!selectingPage_) PagesChange(index);
    });
}

bool TFormMain::IsUserAdmin() { return platform::IsProcessElevated(); }

void TFormMain::ShowLinkState(bool linkUp) {
    if (QListWidgetItem* item = lbStatus->item(linkUp ? 1 : 0)) statusPanels_[0]->setText(item->text());
}

void TFormMain::ShowWorkName(int index) {
    if (index < 0 || index >= lbWork->count()) return;
    statusPanels_[2]->setText(lbWork->item(index)->text());
}

QString TFormMain::StatusPanelText(int panel) const {
    return panel >= 0 && panel < 3 ? statusPanels_[panel]->text() : QString();
}

void TFormMain::AttachChannelSetup(TFrameTune* frame, std::uint8_t* setupRecord) {
    frame->SetupPtr = setupRecord;
    frame->BitBtn_ApplyClick(nullptr);
}

void TFormMain::AttachResultsSetup(TFrame_Results* frame, std::uint8_t* setupRecord) {
    frame->FSetup = setupRecord;
}

void TFormMain::SelectPage(int index) {
    selectingPage_ = true;
    Pages->setCurrentIndex(index);
    selectingPage_ = false;
}

void TFormMain::TimerRxTimer() { ::TimerRxTimer(); }

void TFormMain::TimerRSTimeoutTimer() { ::TimerRSTimeoutTimer(); }

void TFormMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shown_) return;
    shown_ = true;
    FormShow();
}

void TFormMain::RegisterPageRoutes() {
    // The pages that talk to the instrument in one-shot exchanges add their rows here.
    for (AnswerRoute& row : FrameArchiv1->ArchiveAnswerRoutes()) RegisterAnswerRoute(std::move(row));
    for (AnswerRoute& row : FrameZKV_Settings1->SettingsAnswerRoutes()) RegisterAnswerRoute(std::move(row));
    if (FormGrad) {
        for (AnswerRoute& row : FormGrad->FrameZKV_Grad1->AnswerRoutes()) RegisterAnswerRoute(std::move(row));
    }
}

void TFormMain::ReadProjectPath() {
    const QString settingsPath = SettingsFilePath();
    const platform::TMemIniFile settings(settingsPath);
    ProjectFile = settings.ReadString(project::kProjectSection, project::kProjectNameKey, settingsPath);
    if (!QFileInfo::exists(ProjectFile)) ProjectFile = settingsPath;
}

void TFormMain::FormShow() {
    RegisterPageRoutes();
    WireCalibrationWindow();
    UseDotDecimalSeparator();
    ReadProjectPath();
    // A project that cannot be loaded here is not reported: the pages keep what they have.
    project::LoadSaveProject(ProjectScopeOf(this), ProjectFile, false);
    SelectPage(0);
    FrameZKV_Settings1->DefaultConfClick(nullptr);
    const QStringList arguments = platform::CommandLineArguments();
    if (!arguments.isEmpty() && arguments.first() == "-tuvek") FrameZKV_Settings1->GroupBoxZavNo->setVisible(true);

    setupBlock_ = std::make_unique<std::uint8_t[]>(kSetupRecordSize);
    currentBlock_ = std::make_unique<std::uint8_t[]>(kCurrentRowSize);
    SetupRecord = setupBlock_.get();
    CurrentRow = currentBlock_.get();
    AttachChannelSetup(FrameTune1, SetupRecord);
    FrameMeas1->SetRecords(SetupRecord, CurrentRow);
    AttachResultsSetup(Frame_Results1, SetupRecord);
    FrameZKV_Settings1->WriteSystemDT->setText(U("Записать в прибор \n дату и время ПК"));
}

void TFormMain::PagesChange(int newIndex) {
    FrameArchiv1->StopArchiveReadingClick(nullptr);
    FrameArchiv1->StopArchiveClearingClick(nullptr);
    if (newIndex == kMeasurementPage) {
        if (MeasWasRunning) {
            FrameMeas1->BitBtn_StartClick();
            FrameMeas1->FResuming = false;
        }
        OnMeasPage = true;
        FrameMeas1->RefreshChannelRows();
        return;
    }
    if (OnMeasPage && !FrameMeas1->BitBtn_Stop->isHidden()) {
        FrameMeas1->BitBtn_StopClick();
        FrameMeas1->FResuming = true;
        MeasWasRunning = true;
    }
    OnMeasPage = false;
}

void TFormMain::closeEvent(QCloseEvent* event) {
    if (closed_ || FormClose()) {
        event->accept();
        return;
    }
    event->ignore();
}

bool TFormMain::FormClose() {
    const int answer = platform::MessageBox(nullptr, U("Сохранить текущие настройки ?"), QString(),
                                            platform::MB_ICONQUESTION | platform::MB_YESNOCANCEL);
    if (answer == platform::IDCANCEL) return false;
    if (answer == platform::IDYES) {
        std::optional<platform::TMemIniFile> settings = project::SettingsForSave(SettingsFilePath());
        if (settings) settings->WriteString(project::kProjectSection, project::kProjectNameKey, ProjectFile);
        if (!settings || !settings->UpdateFile() ||
            project::LoadSaveProject(ProjectScopeOf(this), ProjectFile, true) != 0) {
            // Nothing is lost: the window stays, and the user may close again without saving.
            ShowError(U("Невозможно сохранить проект!"));
            return false;
        }
    }
    ShutDownLink();
    FreeBlocks();
    closed_ = true;
    platform::RequestQuit();
    return true;
}

void TFormMain::ShutDownLink() {
    // No timer may run a work or touch the blocks once they are gone.
    TimerRx->stop();
    TimerRSTimeout->stop();
    if (WorkState != WorkIdle) PostWorkEvent(EvStop);
    if (WorkState != WorkIdle) StopWork();
    if (LinkUp) {
        SendRequest(*Comm, static_cast<std::uint8_t>(DevAddr), CmdWrite, 200, 0, 1, 200);
        platform::SleepMs(500);
    }
    if (Comm->IsOpen()) {
        try {
            Comm->Flush();
            Comm->Close();
        } catch (...) {
            platform::SleepMs(2);
        }
    }
}

void TFormMain::FreeBlocks() {
    FrameTune1->SetupPtr = nullptr;
    Frame_Results1->FSetup = nullptr;
    FrameMeas1->SetRecords(nullptr, nullptr);
    SetupRecord = nullptr;
    CurrentRow = nullptr;
    setupBlock_.reset();
    currentBlock_.reset();
}

void TFormMain::N4Click() {
    const std::optional<QString> path = platform::CurrentDialogs().openFile(OpenDialog1);
    if (!path) return;
    const int pageBefore = Pages->currentIndex();
    if (project::LoadSaveProject(ProjectScopeOf(this), *path, false) != 0) {
        ShowError(U("Невозможно открыть проект!"));
        return;
    }
    FrameTune1->BitBtn_Apply->setEnabled(true);
    FrameTune1->BitBtn_Undo->setEnabled(true);
    ProjectFile = *path;
    // The project may show another page: leaving or showing the measurement page pauses or
    // resumes a measurement as a change by the user does.
    if (Pages->currentIndex() != pageBefore) PagesChange(Pages->currentIndex());
}

void TFormMain::N7Click() {
    const std::optional<QString> path = platform::CurrentDialogs().saveFile(SaveDialog1);
    if (!path) return;
    if (QFileInfo::exists(*path) &&
        platform::MessageBox(nullptr, U("Переписать файл ?"), U("Подтвердите операцию!"),
                             platform::MB_ICONWARNING | platform::MB_YESNO) != platform::IDYES)
        return;
    if (project::LoadSaveProject(ProjectScopeOf(this), *path, true) != 0) {
        ShowError(U("Невозможно сохранить проект!"));
        return;
    }
    ProjectFile = *path;
}

void TFormMain::N8_Import_ArchiveClick() {
    const std::optional<QString> path = platform::CurrentDialogs().openFile(OpenDialogASCIIfileArcive);
    if (!path) return;
    const int records = FrameArchiv1->ImportArchiveFile(*path);
    if (records == -1) {
        platform::MessageDlg(U("Невозможно открыть файл!"), platform::MsgDlgType::Error, platform::mbYes);
    } else if (records == 0) {
        platform::MessageDlg(U("Неверный формат файла!"), platform::MsgDlgType::Error, platform::mbYes);
    } else {
        platform::MessageDlg(U("Импортировано ") + QString::number(records) + U(" записей."),
                             platform::MsgDlgType::Information, platform::mbYes);
        SelectPage(kArchivePage);
    }
}

void TFormMain::DriverClick() { platform::OpenFolder(QDir::current().filePath("Driver")); }

void TFormMain::N4_ExitClick() { close(); }

void TFormMain::N2Click() { ShowCalibrationWindow(0); }

void TFormMain::N3Click() { ShowCalibrationWindow(1); }

// Not modal: the main window stays usable beside it.
void TFormMain::ShowCalibrationWindow(int mode) {
    if (!FormGrad) return;
    FormGrad->FrameZKV_Grad1->GradModes->setCurrentIndex(mode);
    FormGrad->show();
    FormGrad->raise();
    FormGrad->activateWindow();
}
