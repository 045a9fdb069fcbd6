#pragma once

#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>

#include "link/exchange_engine.h"

class QComboBox;
class QEvent;
class QLabel;
class QPushButton;
class QTimer;
class QTreeWidget;

// What the link check reaches outside the link: the settings page's settings-read stage machine,
// the set-up page's factory-number edit and the status bar. The main window wires them up.
struct LinkCheckHooks {
    std::function<void(int stage)> setSettingsStage;
    std::function<int()> settingsStage;
    std::function<void(const char* data)> rxSettings;
    std::function<void(const QString& text)> setFactoryNumber;
    std::function<void(int index)> showWorkName;
};

// The connection page: the scan of a COM-port range and the link check (work 31).
class TFrameFindDevice : public QWidget {
    Q_OBJECT
public:
    explicit TFrameFindDevice(QWidget* parent = nullptr);
    ~TFrameFindDevice() override;

    // Handlers.
    void cbCOM_StartChange(QObject* sender);
    void cbCOM_EndChange(QObject* sender);
    void StartSearchClick(QObject* sender);
    void CheckLinkClick(QObject* sender);
    void TimerUITimer(QObject* sender);
    void ListView1Enter(QObject* sender);
    void ListView1SelectItem(QObject* sender);
    // Disables (on) or enables every control placed on the frame whose Tag is 100000 or more.
    void LockControls(bool on);
    // The step machine of the link check, run by the dispatcher.
    void LinkCheckStep(std::uint16_t event, const WorkInput& input);

    QLabel* Label1;
    QComboBox* cbCOM_Start;
    QComboBox* cbCOM_End;
    QPushButton* StartSearch;
    QPushButton* StopSearch;
    QLabel* Label5;
    QTreeWidget* ListView1;
    QPushButton* CheckLink;
    QTimer* TimerUI;
    QLabel* Label3;
    QLabel* LabelFindProcess;

    LinkCheckHooks Hooks;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowWorkName(int index);
    void FailLinkCheck();
    void ArmGuard();

    // The data text of the last complete answer; the parser's own buffer holds a frame being
    // received while one is in progress.
    std::string lastAnswer_;
    bool guardArmed_ = false;  // DelayTicks counts the guard, not the settings read's delay
};
