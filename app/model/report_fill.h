#pragma once

#include <QString>
#include <cstdint>
#include <functional>

#include "platform/automation/report_record.h"

// What a report record is made from.
struct ReportSources {
    const std::uint8_t* setup = nullptr;     // the set-up record
    const std::uint8_t* protocol = nullptr;  // the measurement protocol's rows, end to end
    int protocolRows = 0;                    // rows that memory holds (only the first 40 are read)
    // The method document of a sensor name, as the set-up page's document table gives it.
    std::function<QString(const QString&)> methodDocument;
};

// At most this many protocol rows reach a protocol.
inline constexpr int kReportProtocolRows = platform::kMaxPointRows;

// Fills the whole record for a verification (mode 0) or calibration (any other mode) protocol:
// a header for every used channel, its points from the first 40 protocol rows that include it,
// and its verdict. Texts are cut to their slots.
void FillReportRecord(platform::TAllTextToExcel& record, int mode, const ReportSources& sources);
