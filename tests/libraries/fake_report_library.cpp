#include "tests/libraries/fake_report_library.h"

#include <cstdint>
#include <cstring>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

FakeReportState state;

}  // namespace

FAKE_EXPORT FakeReportState* FakeReport() { return &state; }

// The loader's entry callback: 1 attach, 0 detach.
FAKE_EXPORT int DllMain(void* /*instance*/, std::uint32_t reason, void* /*reserved*/) {
    if (reason == 1) {
        ++state.attaches;
        return state.refuseLoad ? 0 : 1;
    }
    if (reason == 0) ++state.detaches;
    return 1;
}

#ifndef WITHOUT_FORM_REPORT
FAKE_EXPORT int FormReport(const platform::TAllTextToExcel* record) {
    ++state.calls;
    std::memcpy(&state.record, record, sizeof state.record);
    return state.result;
}
#endif
