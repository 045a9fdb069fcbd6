#pragma once

#include <QWidget>
#include <functional>
#include <vector>

#include "link/exchange_engine.h"

class QLineEdit;
class QPushButton;
class QTabBar;
class QTabWidget;
class TMyComm;

// What the calibration window reaches outside itself; the main window wires them up.
struct CalibrationHooks {
    std::function<TMyComm*()> port;  // the port object every exchange goes through
    std::function<void(int index)> showWorkName;
};

// The calibration window's frame: emulation of currents, the instrument's calibration parameters,
// and a channel's new calibration coefficient. Every action is one one-shot exchange.
class TFrameZKV_Grad : public QWidget {
    Q_OBJECT
public:
    explicit TFrameZKV_Grad(QWidget* parent = nullptr);
    ~TFrameZKV_Grad() override;

    // The rows of the exchange engine's routing table for this frame's reads.
    std::vector<AnswerRoute> AnswerRoutes();

    void CESetMinClick();
    void CESetMaxClick();
    void CESet_IClick();
    void CEWriteMinClick();
    void CEWriteMaxClick();
    void BitBtn1Click();  // "Считать": the current offset
    void CEWriteCFClick();
    void CMReadClick();
    void CMWriteClick();
    // A change of the true or the measured current: the new coefficient.
    void CMSampleValueChange();
    char CMSampleValueKeyPress(char key);
    void I_EmulKeyDown(int key);
    // Another channel: what was read or computed for the last one goes, and so does its open read.
    void CMeasurementTabsChange();

    CalibrationHooks Hooks;

    QTabWidget* GradModes;
    QWidget* CEmulation;
    QWidget* TabSheet1;

    QPushButton* CESetMin;
    QLineEdit* CEMinValue;
    QPushButton* CEWriteMin;
    QPushButton* CESetMax;
    QLineEdit* CEMaxValue;
    QPushButton* CEWriteMax;
    QPushButton* CESet_I;
    QLineEdit* I_Emul;
    QLineEdit* CECorrFactor;
    QPushButton* BitBtn1;
    QPushButton* CEWriteCF;

    QTabBar* CMeasurementTabs;
    QLineEdit* CMSampleValue;
    QLineEdit* CMMeasuredValue;
    QLineEdit* CalibFactor;
    QLineEdit* CMCalibFactor;
    QPushButton* CMRead;
    QPushButton* CMWrite;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildEmulationPage();
    void BuildMeasurementPage();
    QLineEdit* ValueEdit(QWidget* parent, const char* name, const char* hint);
    // Opens a one-shot exchange with the request send puts on the line. A request that never got
    // to the line's sending step opens nothing and leaves an open exchange as it was.
    bool OpenExchange(QObject* requester, int workName, const std::function<void(TMyComm& port)>& send);
    void WriteValue(QLineEdit* edit, double max, double min, int reg, int memoryType, int workName);
    void WriteZero(int reg, int workName);
    // The first answer of a coefficient read: the coefficient, then the ask for the measured current.
    void CalibFactorAnswer(const char* answer);
    bool ReadOpen() const;
    void ClearChannelValues();

    int readChannel_ = 0;  // the channel (tab index) the open coefficient read belongs to
};

// The calibration window; not modal, shown from the main window's menu and hidden by "Закрыть".
class TFormGrad : public QWidget {
    Q_OBJECT
public:
    explicit TFormGrad(QWidget* parent = nullptr);
    ~TFormGrad() override;

    void BitBtn1Click();

    TFrameZKV_Grad* FrameZKV_Grad1;
    QPushButton* BitBtn1;
};

extern TFormGrad* FormGrad;
