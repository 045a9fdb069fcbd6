#pragma once

#include <QMainWindow>
#include <QString>
#include <cstdint>
#include <memory>

#include "link/answer_parser.h"
#include "platform/class_library/dialogs.h"

class QAction;
class QLabel;
class QListWidget;
class QMenu;
class QMenuBar;
class QStatusBar;
class QTabWidget;
class QTimer;
class TFrameArchiv;
class TFrameFindDevice;
class TFrameMeas;
class TFrameTune;
class TFrameZKV_Settings;
class TFrame_Results;
class TMyComm;

// The workstation's main window: pages, menus, status bar, the exchange engine's timers, the port
// object and the shared measurement blocks.
class TFormMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TFormMain(QWidget* parent = nullptr);
    ~TFormMain() override;

    // Status bar panel 0: the link state; panel 2: the last operation's name (0..16).
    void ShowLinkState(bool linkUp);
    void ShowWorkName(int index);
    static bool IsUserAdmin();
    void AttachChannelSetup(TFrameTune* frame, std::uint8_t* setupRecord);
    void AttachResultsSetup(TFrame_Results* frame, std::uint8_t* setupRecord);

    // Handlers.
    void FormShow();
    // True when the window may close.
    bool FormClose();
    void PagesChange(int newIndex);
    void TimerRxTimer();
    void TimerRSTimeoutTimer();
    void N4Click();
    void N7Click();
    void N8_Import_ArchiveClick();
    void DriverClick();
    void N4_ExitClick();
    void N2Click();
    void N3Click();

    // Selects a page from code; the page-change handler does not run.
    void SelectPage(int index);
    QString StatusPanelText(int panel) const;

    QMenuBar* MainMenu1;
    QMenu* N111;
    QAction* N4;
    QAction* N7;
    QAction* N8_Import_Archive;
    QAction* Driver;
    QAction* N4_Exit;
    QMenu* N_Grad;
    QAction* N2;
    QAction* N3;
    QStatusBar* StatusBar1;
    QTabWidget* Pages;
    QWidget* Connection;
    QWidget* Measurement;
    QWidget* TabSheet2;
    QWidget* TabSheet3;
    QWidget* TabSheet1;
    QWidget* TabSheet4;
    QListWidget* strConst_UAIL_err_Code2ASCII;
    QListWidget* lbStatus;
    QListWidget* lbWork;
    QListWidget* uMsg;
    QTimer* TimerRx;
    QTimer* TimerRSTimeout;

    TFrameFindDevice* FrameFindDevice;
    TFrameTune* FrameTune1;
    TFrameMeas* FrameMeas1;
    TFrame_Results* Frame_Results1;
    TFrameArchiv* FrameArchiv1;
    TFrameZKV_Settings* FrameZKV_Settings1;

    const platform::FileDialogSpec OpenDialog1;
    const platform::FileDialogSpec SaveDialog1;
    const platform::FileDialogSpec OpenDialogASCIIfileArcive;

    std::unique_ptr<TMyComm> Comm;  // the port object
    char AnswerBuffer[kAnswerBufferSize] = {};
    std::uint8_t* SetupRecord = nullptr;
    std::uint8_t* CurrentRow = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenu();
    void BuildStatusBar();
    void BuildPages();
    void BuildHiddenLists();
    // Hands every page the hooks through which it reaches the others.
    void WirePageHooks();
    // The calibration window is built after the main window; it is wired at the first show.
    void WireCalibrationWindow();
    void ShowCalibrationWindow(int mode);
    void RegisterPageRoutes();
    void ReadProjectPath();
    void ShutDownLink();
    void FreeBlocks();

    QLabel* statusPanels_[3] = {};
    bool shown_ = false;
    bool selectingPage_ = false;
    bool closed_ = false;
    std::unique_ptr<std::uint8_t[]> setupBlock_;
    std::unique_ptr<std::uint8_t[]> currentBlock_;
};

extern TFormMain* FormMain;

inline constexpr const char* kMainCaption = " Автоматизированное рабочее место ЗКВ-7   версия 2.18";
