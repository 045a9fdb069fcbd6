#pragma once

#include <cstdint>

class TMyComm;

// State shared by the senders, the receive pump and the works.
extern int DevAddr;             // address put into every request
extern int AnswerTimeoutTicks;  // answer time-out length in 100 ms ticks
extern int TimeoutTicks;        // answer time-out countdown, -1 off
extern int WorkStep;            // step counter of the running work; every send adds one
// The main window's port, used by senders that take no port of their own.
extern TMyComm* MainPort;
