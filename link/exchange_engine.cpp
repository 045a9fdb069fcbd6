#include "link/exchange_engine.h"

#include <QLineEdit>
#include <QString>
#include <cstring>
#include <map>
#include <vector>

#include "link/exchange_state.h"
#include "link/instrument_errors.h"
#include "link/my_comm.h"
#include "link/serial232.h"
#include "platform/class_library/components.h"
#include "platform/class_library/dialogs.h"
#include "platform/system/clock.h"

namespace {

std::vector<AnswerRoute>& Routes() {
    static std::vector<AnswerRoute> routes;
    return routes;
}

std::map<std::uint8_t, WorkStepFunction>& Works() {
    static std::map<std::uint8_t, WorkStepFunction> works;
    return works;
}

ExchangeStatus& Status() {
    static ExchangeStatus status;
    return status;
}

void ShowLinkState(bool up) {
    if (Status().showLinkState) Status().showLinkState(up);
}

void ClearPanel1() {
    if (Status().clearPanel1) Status().clearPanel1();
}

const AnswerRoute* RouteOf(const QObject* requester) {
    if (requester == nullptr) return nullptr;
    for (const AnswerRoute& row : Routes()) {
        if (row.requester == requester) return &row;
    }
    return nullptr;
}

void ShowInstrumentError(int code) {
    platform::MessageDlg(QString::fromUtf8(InstrumentErrorText(code)), platform::MsgDlgType::Error, platform::mbOK);
}

// The exchange ends before the box opens, so an answer arriving while it is open cannot reach
// the same route again.
void StandardErrorTreatment(int code) {
    EndExchange();
    ShowInstrumentError(code);
}

void DeliverToRequester() {
    const AnswerRoute* row = RouteOf(Requester);
    const int code = AnswerParser.Error;
    if (code != 0) {
        if (row && row->error == ErrorTreatment::Dropped) return;
        if (row && row->error == ErrorTreatment::EndsSilently) return EndExchange();
        if (row && row->beforeStandardError) row->beforeStandardError(code);
        StandardErrorTreatment(code);
        return;
    }
    if (row == nullptr) {
        PutAnswerToControl(Requester, AnswerParser.Data);
        EndExchange();
        return;
    }
    if (row->onData) row->onData(AnswerParser.Data);
    else PutAnswerToControl(Requester, AnswerParser.Data);
    if (row->after == AfterAnswer::Ends) EndExchange();
}

}  // namespace

void RegisterWork(std::uint8_t workState, WorkStepFunction step) { Works()[workState] = std::move(step); }

void RegisterAnswerRoute(AnswerRoute row) { Routes().push_back(std::move(row)); }

void ClearAnswerRoutes() { Routes().clear(); }

void SetExchangeStatus(ExchangeStatus status) { Status() = std::move(status); }

void CloseMainPort() {
    if (MainPort == nullptr) return;
    try {
        MainPort->Flush();
        MainPort->Close();
    } catch (...) {
    }
}

void EndExchange() {
    CloseMainPort();
    Requester = nullptr;
    UiExchange = false;
}

void TimerRxTimer() {
    if (MainPort == nullptr) return;
    char buffer[kPumpBufferSize];
    std::memset(buffer, 0, sizeof buffer);
    const int received = MainPort->Read(buffer, kPumpBufferSize);
    for (int i = 0; i < received; ++i) {
        if (!ParseAnswerByte(static_cast<std::uint8_t>(buffer[i]), AnswerParser)) continue;
        TimeoutTicks = -1;
        ShowLinkState(true);
        if (Requester == nullptr && !UiExchange) {
            if (AnswerParser.Error != 0) PostWorkEvent(EvErrorAnswer, {nullptr, &AnswerParser});
            else PostWorkEvent(EvAnswer, {AnswerParser.Data, nullptr});
            continue;
        }
        if (Requester == nullptr) {
            // A write whose answer nobody reads.
            UiExchange = false;
            if (MainPort->IsOpen()) CloseMainPort();
            if (AnswerParser.Error != 0) ShowInstrumentError(AnswerParser.Error);
            continue;
        }
        DeliverToRequester();
        return;  // what followed the answer in this tick is dropped
    }
}

void TimerRSTimeoutTimer() {
    if (TimeoutTicks > 0) {
        --TimeoutTicks;
    } else if (TimeoutTicks == 0) {
        platform::DebugLine("TimeoutTimer()");
        TimeoutTicks = -1;
        ShowLinkState(false);
        ClearPanel1();
        if (UiExchange) {
            UiExchange = false;
            CloseMainPort();
            const AnswerRoute* row = RouteOf(Requester);
            const std::function<void()> hook = row ? row->onTimeout : std::function<void()>();
            platform::MessageDlg(QString::fromUtf8("Нет связи с устройством!"), platform::MsgDlgType::Error,
                                 platform::mbOK);
            if (hook) hook();
        } else {
            PostWorkEvent(EvTimeout);
        }
    }
    if (DelayTicks > 0) {
        --DelayTicks;
    } else if (DelayTicks == 0) {
        DelayTicks = -1;
        PostWorkEvent(EvDelay);
    }
}

int PostWorkEvent(std::uint16_t event, const WorkInput& input) {
    const auto work = Works().find(WorkState);
    if ((WorkState == WorkMeasurement || WorkState == WorkLinkCheck) && work != Works().end() && work->second) {
        work->second(event, input);
    } else {
        WorkState = WorkIdle;
    }
    if (WorkState == WorkIdle || event == EvStop) ClearPanel1();
    return 0;
}

void StopWork() {
    CloseMainPort();
    WorkState = WorkIdle;
    WorkStep = 0;
    TimeoutTicks = -1;
    DelayTicks = -1;
    if (Status().showWorkName) Status().showWorkName(0);
}

int ReopenPort(TMyComm& port) {
    if (port.IsOpen()) {
        try {
            port.Flush();
            port.Close();
        } catch (...) {
        }
        platform::SleepMs(200);
    }
    if (!port.IsOpen()) {
        try {
            port.Open();
        } catch (...) {
            return -1;
        }
    }
    return 0;
}

int SelectPort(TMyComm& port, int number) {
    try {
        if (number != port.PortNumber) {
            if (!PortExists(number)) return 0;
            if (port.IsOpen()) {
                port.Flush();
                port.Close();
                platform::SleepMs(200);
            }
            port.PortNumber = number;
            port.Name = ComPortName(number);
        } else if (port.IsOpen()) {
            return number;
        }
        if (!PortExists(number)) return 0;
        port.Open();
    } catch (...) {
        return 0;
    }
    return number;
}

int PutAnswerToControl(QObject* control, const char* text) {
    if (control == nullptr || text == nullptr) return -1;
    if (platform::IsExactly<QLineEdit>(control)) {
        auto* edit = qobject_cast<QLineEdit*>(control);
        if (edit == nullptr) return -1;
        edit->setText(QString::fromLatin1(text));
    }
    return 0;
}
