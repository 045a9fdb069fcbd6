// The calibration frame's exchanges with the instrument and its coefficient arithmetic.
#include <QLineEdit>
#include <QTabBar>
#include <optional>

#include "app/calibration/form_grad.h"
#include "app/controls/control_checks.h"
#include "app/controls/key_filter.h"
#include "app/model/calibration_factor.h"
#include "app/model/value_text.h"
#include "link/exchange_state.h"
#include "link/protocol.h"

namespace {

// Registers: memory type 0 takes the emulation commands, memory type 3 keeps the parameters.
constexpr int kEmulateMinimum = 43;
constexpr int kEmulateMaximum = 44;
constexpr int kEmulateCurrent = 45;
constexpr int kEmulationMinimum = 2;
constexpr int kEmulationMaximum = 6;
constexpr int kCurrentOffset = 10;
constexpr int CalibFactorRegister(int channel) { return 14 + 4 * channel; }

// Operation names of the status bar.
constexpr int kWorkEmulateMinimum = 3;
constexpr int kWorkEmulateMaximum = 4;
constexpr int kWorkEmulateCurrent = 5;
constexpr int kWorkReadParameter = 6;
constexpr int kWorkWriteParameter = 7;

std::uint8_t Address() { return static_cast<std::uint8_t>(DevAddr); }

}  // namespace

bool TFrameZKV_Grad::OpenExchange(QObject* requester, int workName, const std::function<void(TMyComm& port)>& send) {
    TMyComm* port = Hooks.port ? Hooks.port() : nullptr;
    if (port == nullptr) return false;
    // Every send that gets as far as the line counts a step, even one to a port that would not
    // open: that exchange ends through its time-out, as the user is told.
    const int stepBefore = WorkStep;
    send(*port);
    if (WorkStep == stepBefore) return false;
    Requester = requester;
    UiExchange = true;
    if (Hooks.showWorkName) Hooks.showWorkName(workName);
    return true;
}

// A write opens its own exchange without a requester, so its answer never lands in the control
// of an exchange that is stale or still open.
void TFrameZKV_Grad::WriteValue(QLineEdit* edit, double max, double min, int reg, int memoryType, int workName) {
    if (CheckEditRange(edit, max, min) != 0) return;
    OpenExchange(nullptr, workName, [&](TMyComm& port) {
        SendEditFloatRequest(port, Address(), CmdWrite, reg, memoryType, edit);
    });
}

void TFrameZKV_Grad::WriteZero(int reg, int workName) {
    OpenExchange(nullptr, workName,
                 [&](TMyComm& port) { SendFloatRequest(port, Address(), CmdWrite, reg, MemCommand, 0.0f); });
}

void TFrameZKV_Grad::CESetMinClick() { WriteZero(kEmulateMinimum, kWorkEmulateMinimum); }

void TFrameZKV_Grad::CESetMaxClick() { WriteZero(kEmulateMaximum, kWorkEmulateMaximum); }

void TFrameZKV_Grad::CESet_IClick() { WriteValue(I_Emul, 30, 0, kEmulateCurrent, MemCommand, kWorkEmulateCurrent); }

void TFrameZKV_Grad::CEWriteMinClick() {
    WriteValue(CEMinValue, 30, 0, kEmulationMinimum, MemParams, kWorkWriteParameter);
}

void TFrameZKV_Grad::CEWriteMaxClick() {
    WriteValue(CEMaxValue, 35, 0, kEmulationMaximum, MemParams, kWorkWriteParameter);
}

void TFrameZKV_Grad::BitBtn1Click() {
    OpenExchange(CECorrFactor, kWorkReadParameter, [](TMyComm& port) {
        SendRequest(port, Address(), CmdRead, kCurrentOffset, MemParams, DataFloat);
    });
}

void TFrameZKV_Grad::CEWriteCFClick() {
    WriteValue(CECorrFactor, 25, 0, kCurrentOffset, MemParams, kWorkWriteParameter);
}

// Step one of a coefficient read; the engine hands its answer to CalibFactorAnswer. The read
// keeps the channel it starts on, and what an earlier read left is gone, so nothing computed
// for another read or another channel can be written.
void TFrameZKV_Grad::CMReadClick() {
    if (CheckEditRange(CMSampleValue, 30, 0) != 0) return;
    const int channel = CMeasurementTabs->currentIndex();
    ClearChannelValues();
    if (OpenExchange(CalibFactor, kWorkReadParameter, [&](TMyComm& port) {
            SendRequest(port, Address(), CmdRead, CalibFactorRegister(channel), MemParams, DataFloat);
        })) {
        readChannel_ = channel;
    }
}

// Step two: the measured current of the same channel; its answer goes into CMMeasuredValue, whose
// change computes the new coefficient, and ends the exchange.
void TFrameZKV_Grad::CalibFactorAnswer(const char* answer) {
    PutAnswerToControl(CalibFactor, answer);
    const int stepBefore = WorkStep;
    SendSetMode(kSourceChannel1Current + readChannel_);
    if (WorkStep == stepBefore) {
        EndExchange();
        return;
    }
    Requester = CMMeasuredValue;
}

void TFrameZKV_Grad::CMWriteClick() {
    WriteValue(CMCalibFactor, 500, 1, CalibFactorRegister(CMeasurementTabs->currentIndex()), MemParams,
               kWorkWriteParameter);
}

void TFrameZKV_Grad::CMSampleValueChange() {
    if (!CheckControlValues({CMMeasuredValue, CMSampleValue, CalibFactor})) return;
    const std::optional<float> factor =
        ScaledCalibFactor(EditFloat(CalibFactor), EditFloat(CMMeasuredValue), EditFloat(CMSampleValue));
    CMCalibFactor->setText(factor ? FloatText7(*factor) : QString());
}

char TFrameZKV_Grad::CMSampleValueKeyPress(char key) { return FilterNumericKey(key); }

void TFrameZKV_Grad::I_EmulKeyDown(int key) {
    if (key == Qt::Key_Return || key == Qt::Key_Enter) CESet_IClick();
}

// The coefficient last: clearing the measured current may compute one from what is left.
void TFrameZKV_Grad::ClearChannelValues() {
    CalibFactor->clear();
    CMMeasuredValue->clear();
    CMCalibFactor->clear();
}

bool TFrameZKV_Grad::ReadOpen() const {
    return UiExchange && (Requester == CalibFactor || Requester == CMMeasuredValue);
}

void TFrameZKV_Grad::CMeasurementTabsChange() {
    if (ReadOpen()) {
        EndExchange();
        TimeoutTicks = -1;
    }
    ClearChannelValues();
}

std::vector<AnswerRoute> TFrameZKV_Grad::AnswerRoutes() {
    AnswerRoute coefficient;
    coefficient.requester = CalibFactor;
    coefficient.onData = [this](const char* answer) { CalibFactorAnswer(answer); };
    coefficient.after = AfterAnswer::StaysOpen;
    return {coefficient};
}
