#include "link/exchange_state.h"

int DevAddr = 1;
int AnswerTimeoutTicks = 10;
int TimeoutTicks = -1;
int DelayTicks = -1;
bool UiExchange = false;
QObject* Requester = nullptr;
std::uint8_t WorkState = 0;
int WorkStep = 0;
bool LinkUp = false;
TMyComm* MainPort = nullptr;
