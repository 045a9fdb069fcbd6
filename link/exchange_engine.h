#pragma once

#include <cstdint>
#include <functional>

#include "link/answer_parser.h"

class QObject;
class TMyComm;

// Events a work receives, one bit at a time.
enum WorkEvent : std::uint16_t {
    EvStart = 0x02,
    EvAnswer = 0x04,
    EvErrorAnswer = 0x08,
    EvDelay = 0x10,
    EvTimeout = 0x20,
    EvStop = 0x40,
};

// What comes with an event: the data text of an answer, the parser record of an error answer.
struct WorkInput {
    const char* text = nullptr;
    const TAnswerParser* parser = nullptr;
};

using WorkStepFunction = std::function<void(std::uint16_t event, const WorkInput& input)>;
// The step machine the dispatcher runs for a value of WorkState.
void RegisterWork(std::uint8_t workState, WorkStepFunction step);

// How a one-shot answer to a requester is handled.
enum class AfterAnswer { HandlerDecides, StaysOpen, Ends };
// Standard: the instrument's error text, then the exchange ends. Dropped: nothing happens, the
// exchange stays open. EndsSilently: the exchange ends without a message.
enum class ErrorTreatment { Standard, Dropped, EndsSilently };

struct AnswerRoute {
    const QObject* requester = nullptr;
    std::function<void(const char* data)> onData;  // empty: the text goes into the control
    AfterAnswer after = AfterAnswer::Ends;
    ErrorTreatment error = ErrorTreatment::Standard;
    std::function<void(int code)> beforeStandardError;
    std::function<void()> onTimeout;
};
void RegisterAnswerRoute(AnswerRoute row);
void ClearAnswerRoutes();

// Where the engine shows what happens: the main window's status bar.
struct ExchangeStatus {
    std::function<void(bool linkUp)> showLinkState;
    std::function<void(int index)> showWorkName;
    std::function<void()> clearPanel1;
};
void SetExchangeStatus(ExchangeStatus status);

// The receive pump's buffer; a read never takes more than it holds less two.
inline constexpr int kPumpBufferSize = 200;

// One tick of the 10 ms receive pump: the port's bytes go through the parser and each complete
// answer to the requester's route or to the running work.
void TimerRxTimer();
// One tick of the 100 ms countdown: the answer time-out, then the work delay.
void TimerRSTimeoutTimer();

int PostWorkEvent(std::uint16_t event, const WorkInput& input = {});
void StopWork();
int ReopenPort(TMyComm& port);
int SelectPort(TMyComm& port, int number);
int PutAnswerToControl(QObject* control, const char* text);

// Ends a one-shot exchange: the port is closed, Requester and UiExchange cleared.
void EndExchange();
// Closes the main port as every exchange end does, ignoring what closing raises.
void CloseMainPort();
