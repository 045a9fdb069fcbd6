#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>

#include "link/answer_parser.h"
#include "link/crc16.h"
#include "sim/instrument.h"
#include "tests/support/printers.h"

using sim::Fault;
using sim::Instrument;
using testing_support::Visible;

namespace {

std::string Request(const std::string& body) {
    const std::uint16_t crc =
        Crc16(reinterpret_cast<const std::uint8_t*>(body.data()), static_cast<std::uint16_t>(body.size()));
    return "\xff:" + body + std::to_string(crc) + "\r";
}

struct Parsed {
    int error;
    std::string data;
};

// What the workstation's parser makes of the bytes: the answers it accepts.
std::vector<Parsed> Parse(const std::string& bytes) {
    static char buffer[kAnswerBufferSize];
    TAnswerParser p;
    p.Data = buffer;
    ResetAnswerParser(p);
    std::vector<Parsed> answers;
    for (char c : bytes) {
        if (ParseAnswerByte(static_cast<std::uint8_t>(c), p)) answers.push_back({p.Error, p.Data});
    }
    return answers;
}

std::optional<Parsed> Ask(Instrument& instrument, const std::string& body, std::uint32_t nowMs = 0) {
    instrument.receive(Request(body), nowMs);
    std::string bytes;
    while (instrument.hasPendingOutput()) bytes += instrument.transmit(nowMs);
    const auto answers = Parse(bytes);
    if (answers.size() != 1) return std::nullopt;
    return answers[0];
}

TEST(SimInstrument, AnswersTheDetectionBroadcastWithItsOwnAddress) {
    Instrument instrument(7);
    instrument.receive(std::string("\xff:0;0;14891\r"), 0);
    EXPECT_EQ(Visible(instrument.transmit(0)), Visible(Instrument::ErrorAnswer(7, 70)));
    EXPECT_EQ(Instrument::ErrorAnswer(1, 5), "\xff!1;$5;26690\r");
    EXPECT_EQ(Instrument::DataAnswer(1, "4.0125"), "\xff!1;4.0125;65499\r");
}

TEST(SimInstrument, IgnoresRequestsForOtherAddresses) {
    Instrument instrument(2);
    instrument.receive(Request("1;10;30;3;2;"), 0);
    EXPECT_FALSE(instrument.hasPendingOutput());
    EXPECT_TRUE(instrument.requests().empty());
}

TEST(SimInstrument, ReadsAndWritesEveryMemoryTypeInEveryDataType) {
    Instrument instrument(1);
    struct Case {
        const char* request;
        int error;
        const char* data;
    } cases[] = {
        {"1;1;1;", 0, "0.0000"},
        {"1;1;5;", 0, "4.0000"},
        {"1;10;259;0;1;", 0, "43"},
        {"1;10;262;0;1;", 0, "6"},
        {"1;10;270;0;3;", 0, "1000.000000"},
        {"1;10;30;3;2;", 0, "12345"},
        {"1;11;30;3;2;65535;", 0, "30"},
        {"1;10;30;3;2;", 0, "65535"},
        {"1;11;10;3;3;-0.125000;", 0, "10"},
        {"1;10;10;3;3;", 0, "-0.125000"},
        {"1;11;48;2;4;0102030405060708090A0B0C0D0E0F10;", 0, "48"},
        {"1;10;48;2;4;", 0, "0102030405060708090A0B0C0D0E0F10"},
        {"1;10;25;2;1;", 0, "6"},
        {"1;10;0;1;4;", 0, "AA00000000000000000000000000000000000000000000000000000000000000"},
        {"1;11;200;0;1;200;", 0, "200"},
        // What the instrument refuses.
        {"1;10;0;4;1;", 2, ""},
        {"1;10;0;2;5;", 3, ""},
        {"1;10;64;2;1;", 5, ""},
        {"1;10;62;2;3;", 5, ""},
        {"1;11;16;2;1;256;", 4, ""},
        {"1;11;16;2;4;ABC;", 4, ""},
        {"1;11;16;2;3;1.5x;", 4, ""},
        {"1;11;60;2;4;0102030405060708;", 5, ""},
        {"1;10;16;2;", 4, ""},
        {"1;1;2;", 11, ""},
        {"1;7;", 1, ""},
    };
    for (const Case& c : cases) {
        const auto answer = Ask(instrument, c.request);
        ASSERT_TRUE(answer) << c.request;
        EXPECT_EQ(answer->error, c.error) << c.request;
        EXPECT_EQ(answer->data, c.data) << c.request;
    }
}

TEST(SimInstrument, RefusesNumbersItCouldNotKeepInsteadOfWrappingThem) {
    Instrument instrument(1);
    instrument.setByte(2, 16, 24);
    struct Case {
        const char* request;
        int error;
        const char* data;
    } cases[] = {
        // A float beyond the float range would come back as "inf".
        {"1;11;10;3;3;1e39;", 4, ""},
        {"1;11;45;0;3;-1e39;", 4, ""},  // the emulated current, read back through command 1
        {"1;11;10;3;3;-340282357000000000000000000000000000000;", 4, ""},
        {"1;11;10;3;3;340282346638528859811704183484516925440.000000;", 0, "10"},
        {"1;10;10;3;3;", 0, "340282346638528859811704183484516925440.000000"},
        // 2^32 + 16 is not register 16, 2^32 + 2 not memory type 2, 2^32 + 1 neither data type 1
        // nor source 1.
        {"1;10;4294967312;2;1;", 5, ""},
        {"1;10;-4294967280;2;1;", 5, ""},
        {"1;10;99999999999999999999999;2;1;", 5, ""},
        {"1;10;16;4294967298;1;", 2, ""},
        {"1;10;16;2;4294967297;", 3, ""},
        {"1;1;4294967297;", 11, ""},
        {"1;1;-99999999999999999999999;", 11, ""},
        {"1;10;16;2;1;", 0, "24"},
    };
    for (const Case& c : cases) {
        const auto answer = Ask(instrument, c.request);
        ASSERT_TRUE(answer) << c.request;
        EXPECT_EQ(answer->error, c.error) << c.request;
        EXPECT_EQ(answer->data, c.data) << c.request;
    }
}

// The clock block's time fields (bytes 2..6) and the year byte, as hexadecimal text.
std::string ClockFields(Instrument& instrument, std::uint32_t nowMs) {
    const auto block = Ask(instrument, "1;10;0;2;4;", nowMs);
    const auto year = Ask(instrument, "1;10;16;2;1;", nowMs);
    if (!block || !year || block->data.size() < 14) return "no answer";
    return block->data.substr(4, 10) + " " + year->data;
}

TEST(SimInstrument, ClockCountsWhileRunningAndStandsWhileStopped) {
    Instrument instrument(1);
    // 23:59:58 on 31 December 2024, written as the workstation does: stopped by the control byte.
    ASSERT_EQ(Ask(instrument, "1;11;0;2;4;8000585923311200000000000000000018;", 1000)->error, 0);
    EXPECT_EQ(ClockFields(instrument, 9000), "5859233112 24") << "a stopped clock stands";
    ASSERT_EQ(Ask(instrument, "1;11;0;2;1;0;", 9000)->error, 0);
    EXPECT_EQ(ClockFields(instrument, 9999), "5859233112 24");
    EXPECT_EQ(ClockFields(instrument, 10000), "5959233112 24");
    EXPECT_EQ(ClockFields(instrument, 11500), "0000004101 25") << "into 2025: year bits 1, year byte 25";

    struct Case {
        const char* set;      // bytes 2..6 and the year byte
        std::uint32_t after;  // milliseconds run
        const char* shows;
    } cases[] = {
        {"5959232802 24", 1000, "0000002902 24"},   // 2024 is a leap year
        {"5959236802 25", 1000, "0000004103 25"},   // 2025 is not; 0x68 = year bits 1, day 28
        {"0000003012 25", 86400000, "0000007112 25"},
        {"0000001299 24", 5000, "0000001299 24"},  // month 99: no time, the clock stands
    };
    for (const Case& c : cases) {
        Instrument clock(1);
        std::string hex = c.set;
        const std::string block = "0000" + hex.substr(0, 10) + std::string(18, '0');
        ASSERT_EQ(Ask(clock, "1;11;0;2;4;" + block + ";", 0)->error, 0) << c.set;
        ASSERT_EQ(Ask(clock, "1;11;16;2;1;" + hex.substr(11) + ";", 0)->error, 0) << c.set;
        EXPECT_EQ(ClockFields(clock, c.after), c.shows) << c.set;
    }
}

TEST(SimInstrument, BlockReadsFollowTheClockSettingsAndArchiveRegions) {
    Instrument instrument(1);
    struct Case {
        const char* request;
        std::size_t bytes;
    } cases[] = {{"1;10;0;2;4;", 17}, {"1;10;16;2;4;", 32}, {"1;10;48;2;4;", 16},
                 {"1;10;32736;1;4;", 32}, {"1;10;400;0;4;", 32}, {"1;10;500;0;4;", 12}};
    for (const Case& c : cases) {
        const auto answer = Ask(instrument, c.request);
        ASSERT_TRUE(answer) << c.request;
        EXPECT_EQ(answer->data.size(), 2 * c.bytes) << c.request;
    }
    // Every archive record starts out blank with its checksum.
    const auto record = instrument.blockAt(1, 64 * 511, 64);
    EXPECT_EQ(record[0], 0xAA);
    EXPECT_EQ(record[62] | record[63] << 8, Crc16Block(record.data(), 62));
}

TEST(SimInstrument, AnswersABadChecksumWithErrorSix) {
    Instrument instrument(1);
    instrument.receive(std::string("\xff:1;10;30;3;2;1\r"), 0);
    const auto answers = Parse(instrument.transmit(0));
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].error, 6);
}

TEST(SimInstrument, TakesFramesSplitAcrossReadsAndAbandonsInterruptedOnes) {
    Instrument instrument(1);
    const std::string request = Request("1;10;30;3;2;");
    instrument.receive(std::string("\xff:1;10;2") + request.substr(0, 5), 0);
    instrument.receive(request.substr(5), 0);
    EXPECT_EQ(instrument.requests(), std::vector<std::string>{"1;10;30;3;2;"});
    EXPECT_EQ(Parse(instrument.transmit(0)).size(), 1u);
}

TEST(SimInstrument, InjectsFaultsIntoTheNextAnswers) {
    Instrument instrument(1);
    const std::string request = Request("1;10;30;3;2;");

    instrument.pushFault(Fault::Error(12));
    instrument.receive(request, 0);
    auto answers = Parse(instrument.transmit(0));
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].error, 12);

    instrument.pushFault(Fault::Corrupt());
    instrument.receive(request, 0);
    const std::string corrupted = instrument.transmit(0);
    EXPECT_FALSE(corrupted.empty());
    EXPECT_TRUE(Parse(corrupted).empty()) << Visible(corrupted);

    instrument.pushFault(Fault::Mute());
    instrument.receive(request, 0);
    EXPECT_FALSE(instrument.hasPendingOutput());

    const Fault noise = Fault::NoiseFirst(std::string("\x00\xff\x13junk!;", 10));
    instrument.pushFault(noise);
    instrument.receive(request, 0);
    const std::string noisy = instrument.transmit(0);
    EXPECT_EQ(noisy.substr(0, 10), noise.noise);
    EXPECT_EQ(Parse(noisy).size(), 1u);

    instrument.pushFault(Fault::SplitInto(3));
    instrument.receive(request, 0);
    std::string whole;
    int deliveries = 0;
    while (instrument.hasPendingOutput()) whole += instrument.transmit(0), ++deliveries;
    EXPECT_EQ(deliveries, 3);
    EXPECT_EQ(Parse(whole).size(), 1u);

    instrument.pushFault(Fault::Delay(1500));
    instrument.receive(request, 1000);
    EXPECT_EQ(instrument.transmit(2499), "");
    EXPECT_EQ(Parse(instrument.transmit(2500)).size(), 1u);

    instrument.receive(request, 3000);
    EXPECT_EQ(Parse(instrument.transmit(3000)).size(), 1u) << "faults apply once each";
}

TEST(SimInstrument, KeepsItsCalibrationParametersPerRegister) {
    Instrument instrument(1);
    struct Case {
        const char* request;
        const char* data;
    } cases[] = {
        // As the instrument leaves the factory: emulation limits, no offset, every channel's coefficient 1.
        {"1;10;2;3;3;", "4.000000"},
        {"1;10;6;3;3;", "20.000000"},
        {"1;10;10;3;3;", "0.000000"},
        {"1;10;14;3;3;", "1.000000"},
        {"1;10;18;3;3;", "1.000000"},
        {"1;10;22;3;3;", "1.000000"},
        {"1;10;26;3;3;", "1.000000"},
        // A channel's coefficient is its own: the neighbours and the factory number stay.
        {"1;11;22;3;3;1.346727;", "22"},
        {"1;10;22;3;3;", "1.346727"},
        {"1;10;18;3;3;", "1.000000"},
        {"1;10;26;3;3;", "1.000000"},
        {"1;10;30;3;2;", "12345"},
        {"1;11;10;3;3;0.015000;", "10"},
        {"1;10;10;3;3;", "0.015000"},
    };
    for (const Case& c : cases) {
        const auto answer = Ask(instrument, c.request);
        ASSERT_TRUE(answer) << c.request;
        EXPECT_EQ(answer->error, 0) << c.request;
        EXPECT_EQ(answer->data, c.data) << c.request;
    }
}

TEST(SimInstrument, EmulatesTheCurrentTheLastEmulationCommandAskedFor) {
    using Mode = Instrument::EmulationMode;
    Instrument instrument(1);
    EXPECT_EQ(instrument.emulation().mode, Mode::Off);
    struct Case {
        const char* request;
        int error;
        Mode mode;
        float milliamps;
    } cases[] = {
        {"1;11;43;0;3;0.000000;", 0, Mode::Minimum, 4.0f},
        {"1;11;44;0;3;0.000000;", 0, Mode::Maximum, 20.0f},
        // The limits come from the parameters as they are when the command arrives.
        {"1;11;2;3;3;3.980000;", 0, Mode::Maximum, 20.0f},
        {"1;11;43;0;3;0.000000;", 0, Mode::Minimum, 3.98f},
        {"1;11;6;3;3;20.020000;", 0, Mode::Minimum, 3.98f},
        {"1;11;44;0;3;0.000000;", 0, Mode::Maximum, 20.02f},
        {"1;11;45;0;3;12.500000;", 0, Mode::Current, 12.5f},
        // A current that is not a float leaves the emulation as it was.
        {"1;11;45;0;1;7;", 4, Mode::Current, 12.5f},
        {"1;11;45;0;3;7x;", 4, Mode::Current, 12.5f},
    };
    for (const Case& c : cases) {
        const auto answer = Ask(instrument, c.request);
        ASSERT_TRUE(answer) << c.request;
        EXPECT_EQ(answer->error, c.error) << c.request;
        EXPECT_EQ(instrument.emulation().mode, c.mode) << c.request;
        EXPECT_EQ(instrument.emulation().milliamps, c.milliamps) << c.request;
    }
    EXPECT_EQ(instrument.blockAt(0, 43, 6), std::vector<std::uint8_t>(6, 0)) << "commands are not stored";
}

}  // namespace
