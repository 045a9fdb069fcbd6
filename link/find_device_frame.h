#pragma once

#include <QString>
#include <QWidget>
#include <cstdint>

#include "link/exchange_engine.h"
#include "link/link_check.h"

class QComboBox;
class QEvent;
class QLabel;
class QPushButton;
class QTimer;
class QTreeWidget;

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

    LinkCheck linkCheck_{Hooks, [this](bool on) { LockControls(on); }};
};
