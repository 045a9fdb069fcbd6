#include "tests/support/link_state.h"

#include "link/exchange_engine.h"
#include "link/exchange_state.h"

namespace testing_support {

void ResetExchangeState() {
    DevAddr = 1;
    TimeoutTicks = -1;
    DelayTicks = -1;
    UiExchange = false;
    Requester = nullptr;
    WorkState = WorkIdle;
    WorkStep = 0;
    LinkUp = false;
    ClearAnswerRoutes();
    RegisterWork(WorkMeasurement, {});
    RegisterWork(WorkLinkCheck, {});
    SetExchangeStatus({});
}

}  // namespace testing_support
