#include "link/exchange_state.h"

int DevAddr = 1;
int AnswerTimeoutTicks = 10;
int TimeoutTicks = -1;
int WorkStep = 0;
TMyComm* MainPort = nullptr;
