#include "sim/archive.h"

#include <gtest/gtest.h>

#include <string>

#include "link/answer_parser.h"
#include "link/crc16.h"
#include "platform/serial/pseudo_terminal.h"
#include "platform/serial/serial_line.h"
#include "sim/instrument.h"
#include "sim/paced_host.h"
#include "tests/support/printers.h"
#include "tests/support/temp_folder.h"

namespace {

using sim::ArchiveRecordBytes;
using sim::Instrument;

std::string Request(const std::string& body) {
    const std::uint16_t crc =
        Crc16(reinterpret_cast<const std::uint8_t*>(body.data()), static_cast<std::uint16_t>(body.size()));
    return "\xff:" + body + std::to_string(crc) + "\r";
}

std::string Hex(const std::uint8_t* bytes, std::size_t count) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0x0F];
    }
    return text;
}

// The data text of the one answer the instrument gives to a request body.
std::string Ask(Instrument& instrument, const std::string& body) {
    instrument.receive(Request(body), 0);
    std::string bytes;
    while (instrument.hasPendingOutput()) bytes += instrument.transmit(0);
    static char buffer[kAnswerBufferSize];
    TAnswerParser parser;
    parser.Data = buffer;
    ResetAnswerParser(parser);
    std::string data = "(no answer)";
    for (char c : bytes) {
        if (ParseAnswerByte(static_cast<std::uint8_t>(c), parser))
            data = parser.Error ? "$" + std::to_string(parser.Error) : std::string(parser.Data);
    }
    return data;
}

TEST(SimArchive, HoldsBlankRecordsUntilToldOtherwise) {
    Instrument instrument;
    const ArchiveRecordBytes blank = sim::BlankArchiveRecordBytes();
    EXPECT_EQ(Hex(blank.data(), 64), "AA" + std::string(122, '0') + "6701");
    for (int n : {0, 1, 255, 511}) {
        EXPECT_EQ(sim::ArchiveRecordAt(instrument, n), blank) << n;
        EXPECT_TRUE(sim::ArchiveRecordChecks(sim::ArchiveRecordAt(instrument, n)));
    }
}

TEST(SimArchive, AnswersEachHalfOfARecordToABlockRead) {
    Instrument instrument;
    sim::FillArchiveWithMeasurements(instrument);
    for (int n : {0, 16, 511}) {
        const ArchiveRecordBytes record = sim::ArchiveRecordAt(instrument, n);
        EXPECT_TRUE(sim::ArchiveRecordChecks(record));
        EXPECT_NE(record, sim::ArchiveRecordAt(instrument, (n + 1) % 512)) << "every record differs";
        const std::string at = std::to_string(64 * n);
        EXPECT_EQ(Ask(instrument, "1;10;" + at + ";1;4;"), Hex(record.data(), 32)) << n;
        EXPECT_EQ(Ask(instrument, "1;10;" + std::to_string(64 * n + 32) + ";1;4;"),
                  Hex(record.data() + 32, 32));
    }
}

TEST(SimArchive, ABlockWriteChangesExactlyItsHalfRecord) {
    Instrument instrument;
    sim::FillArchiveWithMeasurements(instrument);
    const ArchiveRecordBytes blank = sim::BlankArchiveRecordBytes();
    const ArchiveRecordBytes before16 = sim::ArchiveRecordAt(instrument, 16);
    const ArchiveRecordBytes before18 = sim::ArchiveRecordAt(instrument, 18);
    EXPECT_EQ(Ask(instrument, "1;11;1088;1;4;" + Hex(blank.data(), 32) + ";"), "1088");
    ArchiveRecordBytes halfBlank = sim::ArchiveRecordAt(instrument, 17);
    EXPECT_EQ(Hex(halfBlank.data(), 32), Hex(blank.data(), 32));
    EXPECT_FALSE(sim::ArchiveRecordChecks(halfBlank)) << "half a record written is no record";
    EXPECT_EQ(Ask(instrument, "1;11;1120;1;4;" + Hex(blank.data() + 32, 32) + ";"), "1120");
    EXPECT_EQ(sim::ArchiveRecordAt(instrument, 17), blank);
    EXPECT_EQ(sim::ArchiveRecordAt(instrument, 16), before16);
    EXPECT_EQ(sim::ArchiveRecordAt(instrument, 18), before18);
    EXPECT_EQ(Ask(instrument, "1;11;32768;1;4;" + Hex(blank.data(), 32) + ";"), "$5")
        << "past the archive's end";
}

TEST(SimArchive, ACorruptedRecordFailsItsCheckAndLeavesItsNeighbours) {
    Instrument instrument;
    sim::FillArchiveWithMeasurements(instrument);
    const ArchiveRecordBytes neighbour = sim::ArchiveRecordAt(instrument, 41);
    sim::CorruptArchiveRecord(instrument, 40);
    EXPECT_FALSE(sim::ArchiveRecordChecks(sim::ArchiveRecordAt(instrument, 40)));
    EXPECT_EQ(sim::ArchiveRecordAt(instrument, 41), neighbour);
    sim::CorruptArchiveRecord(instrument, 511);
    EXPECT_FALSE(sim::ArchiveRecordChecks(sim::ArchiveRecordAt(instrument, 511)));
}

TEST(SimArchive, AnswersWithOtherDataOnDemand) {
    Instrument instrument;
    instrument.pushFault(sim::Fault::AnswerWith("0123"));
    EXPECT_EQ(Ask(instrument, "1;10;0;1;4;"), "0123");
    EXPECT_EQ(Ask(instrument, "1;10;0;1;4;").size(), 64u) << "only the next answer";
}

// The paced line against times the test chooses: a 20-byte request at 1200 baud takes 166.7 ms
// to arrive, the instrument turns round in 5 ms, and each answer byte takes 8.33 ms.
TEST(PacedPtyHost, ReleasesEachAnswerByteAtItsWireTime) {
    Instrument instrument;
    sim::LinePace pace;
    pace.baud = 1200;
    pace.turnaroundUs = 5000;
    EXPECT_NEAR(pace.byteUs(), 8333.3, 0.1);
    sim::PacedPtyHost host(instrument, pace);
    ASSERT_TRUE(host.ok());
    auto line = platform::OpenSerialLine(host.devicePath(), {});
    ASSERT_NE(line, nullptr);

    const std::string request = Request("1;10;30;3;2;");
    ASSERT_EQ(line->write(reinterpret_cast<const std::uint8_t*>(request.data()), request.size()),
              request.size());
    ASSERT_TRUE(host.waitForRequest(1000));
    const std::uint64_t sentUs = 1'000'000;
    host.service(sentUs);
    const std::string answer = Instrument::DataAnswer(1, "12345");
    const double firstByteUs = static_cast<double>(sentUs) +
                               pace.byteUs() * static_cast<double>(request.size()) + 5000 + pace.byteUs();
    ASSERT_TRUE(host.nextDueUs().has_value());
    EXPECT_NEAR(static_cast<double>(*host.nextDueUs()), firstByteUs, 1.0);
    EXPECT_EQ(line->available(), 0);

    const auto lastByteUs =
        static_cast<std::uint64_t>(firstByteUs + pace.byteUs() * static_cast<double>(answer.size() - 1));
    host.service(lastByteUs - 1000);
    std::string got;
    std::uint8_t buffer[128];
    testing_support::WaitUntil([&] { return line->available() >= static_cast<int>(answer.size()) - 1; }, 500);
    int n = line->read(buffer, sizeof buffer);
    got.assign(reinterpret_cast<char*>(buffer), static_cast<std::size_t>(std::max(n, 0)));
    EXPECT_EQ(got, answer.substr(0, answer.size() - 1)) << "all but the last byte are on the wire";
    host.service(lastByteUs + 1);
    ASSERT_TRUE(testing_support::WaitUntil([&] { return line->available() == 1; }));
    EXPECT_FALSE(host.nextDueUs().has_value());

    EXPECT_EQ(host.bytesIn(), request.size());
    EXPECT_EQ(host.bytesOut(), answer.size());
    EXPECT_EQ(host.answers(), 1u);
    EXPECT_NEAR(host.wireTimeUs(), pace.byteUs() * static_cast<double>(request.size() + answer.size()) + 5000,
                0.01);
}

}  // namespace
