#pragma once

namespace testing_support {
// Every variable the exchange engine shares back at its start value, no routes, no works, no
// status bar: each test starts from a link that has never been used.
void ResetExchangeState();
}  // namespace testing_support
