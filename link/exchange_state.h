#pragma once

#include <cstdint>

class QObject;
class TMyComm;

// State shared by the senders, the receive pump, the countdown and the works.
extern int DevAddr;             // address put into every request
extern int AnswerTimeoutTicks;  // answer time-out length in 100 ms ticks
extern int TimeoutTicks;        // answer time-out countdown, -1 off; N fires on the (N+1)-th tick
extern int DelayTicks;          // work delay countdown, -1 off
extern bool UiExchange;         // a one-shot exchange is open
extern QObject* Requester;      // the control awaiting the open one-shot answer, or null
extern std::uint8_t WorkState;  // the running work: 0 none, 1 measurement cycle, 31 link check
extern int WorkStep;            // step counter of the running work; every send adds one
extern bool LinkUp;             // a link check succeeded since start-up
// The main window's port, used by the senders that take no port of their own and by the pump.
extern TMyComm* MainPort;

inline constexpr std::uint8_t WorkIdle = 0;
inline constexpr std::uint8_t WorkMeasurement = 1;
inline constexpr std::uint8_t WorkLinkCheck = 31;
