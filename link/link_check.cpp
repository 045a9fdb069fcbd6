#include "link/link_check.h"

#include <utility>

#include "link/exchange_state.h"
#include "link/my_comm.h"
#include "link/protocol.h"
#include "platform/class_library/dialogs.h"
#include "platform/class_library/utf8_literal.h"

namespace {

constexpr int kWorkNameSettingsRead = 9;
constexpr int kSettingsReadDelayTicks = 100;
constexpr int kStepFailed = 22;

int Send(std::uint8_t command, int f1, int f2, int f3, int f4 = -1) {
    if (MainPort == nullptr) return 0;
    return SendRequest(*MainPort, static_cast<std::uint8_t>(DevAddr), command, f1, f2, f3, f4);
}

}  // namespace

LinkCheck::LinkCheck(const LinkCheckHooks& hooks, std::function<void(bool on)> lockControls)
    : hooks_(hooks), lockControls_(std::move(lockControls)) {}

void LinkCheck::ShowWorkName(int index) {
    if (hooks_.showWorkName) hooks_.showWorkName(index);
}

void LinkCheck::LockControls(bool on) {
    if (lockControls_) lockControls_(on);
}

void LinkCheck::ArmGuard() {
    // Longer than the answer time-out, so it fires only when a page change has switched that off.
    DelayTicks = 2 * AnswerTimeoutTicks;
    guardArmed_ = true;
}

void LinkCheck::Fail() {
    TimeoutTicks = -1;
    DelayTicks = -1;
    WorkState = WorkIdle;
    WorkStep = kStepFailed;
    platform::MessageDlg(U("Нет связи с устройством!"), platform::MsgDlgType::Error, platform::mbOK);
}

void LinkCheck::Step(std::uint16_t event, const WorkInput& input) {
    if (event == EvAnswer) lastAnswer_ = input.text ? input.text : "";
    const bool guardExpired = event == EvDelay && guardArmed_;
    if (guardArmed_) {
        DelayTicks = -1;
        guardArmed_ = false;
    }
    if (event & EvStop) {
        // The program stops a work only to go on with something else: end quietly.
        StopWork();
        LockControls(false);
        return;
    }
    if (event == EvStart) {
        WorkStep = 0;
        TimeoutTicks = -1;
        DelayTicks = -1;
        // An exchange left open elsewhere must not take the link check's answers.
        Requester = nullptr;
        UiExchange = false;
        lastAnswer_.clear();
    }
    if ((event & (EvErrorAnswer | EvTimeout)) || guardExpired) Fail();

    switch (WorkStep) {
        case 0:
            Send(CmdWrite, 1, 0, 1, 1);
            LockControls(true);
            break;
        case 1:
            if (event != EvAnswer) break;
            platform::MessageDlg(U("Cвязь с устройством установлена."), platform::MsgDlgType::Information,
                                 platform::mbOK);
            LinkUp = true;
            Requester = nullptr;
            Send(CmdRead, 16, MemSettings, DataBlock);
            UiExchange = false;
            DelayTicks = kSettingsReadDelayTicks;
            ShowWorkName(kWorkNameSettingsRead);
            WorkStep = 2;
            break;
        case 2:
        case 3:
            // The settings page's read runs from stage 1; the factory number follows as soon as it ends.
            if (WorkStep == 2 && hooks_.setSettingsStage) hooks_.setSettingsStage(1);
            if (hooks_.rxSettings) hooks_.rxSettings(lastAnswer_.c_str());
            if (hooks_.settingsStage && hooks_.settingsStage() != 0) {
                WorkStep = 3;
                break;
            }
            Send(CmdRead, 30, MemParams, DataWord);
            WorkStep = 4;
            break;
        case 4:
            if (hooks_.setFactoryNumber) hooks_.setFactoryNumber(QString::fromLatin1(lastAnswer_.c_str()));
            StopWork();
            LockControls(false);
            break;
        case kStepFailed:
            StopWork();
            LockControls(false);
            break;
        default:
            WorkStep = 0;
            break;
    }
    if (WorkState == WorkLinkCheck && DelayTicks < 0) ArmGuard();
}
