#include "app/model/report_fill.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <chrono>
#include <cstring>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "app/model/current_row.h"
#include "app/model/record_fields.h"
#include "app/model/reference_models.h"
#include "app/model/setup_record.h"
#include "platform/class_library/cp1251.h"
#include "platform/class_library/utf8_literal.h"
#include "platform/system/clock.h"
#include "tests/support/printers.h"

namespace {

using platform::ChannelReportBlock;
using platform::TAllTextToExcel;

template <std::size_t N>
QString Text(const char (&slot)[N]) {
    return platform::FromCp1251(std::string_view(slot, strnlen(slot, N)));
}

QString Verdict(const ChannelReportBlock& block) {
    const char* start = reinterpret_cast<const char*>(&block.FooterText);
    return platform::FromCp1251(std::string_view(start, strnlen(start, platform::kVerdictSize)));
}

bool AllZero(const ChannelReportBlock& block) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(&block);
    for (std::size_t i = 0; i < sizeof block; ++i)
        if (bytes[i] != 0) return false;
    return true;
}

// One channel's block of a protocol row.
struct Meas {
    int included = 1;
    float lower = 0.0f;
    float upper = 1.0f;
    float pressure = 0.0f;
    float current = 0.0f;
    float error = 0.0f;
    float uncertainty = 0.0f;
};

std::chrono::system_clock::time_point LocalNoon(int year, int month, int day) {
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = 12;
    local.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&local));
}

// A set-up whose channel 2 (УЛМ-41 in МПа, 4-20 mA, tolerance 1.5) is used, channel 3 names a
// sensor but is not used, and an empty protocol; the date is 7 March 2024.
class ReportFill : public ::testing::Test {
  protected:
    void SetUp() override {
        previousClock = platform::SetWallClock([] { return LocalNoon(2024, 3, 7); });
        std::uint8_t* s = setup.data();
        SetSetupText(s, setup::AirTemp, "20");
        SetSetupText(s, setup::Humidity, "55");
        SetSetupText(s, setup::AtmPressure, "745");
        SetSetupText(s, setup::Verifier, U("Иванов И.И."));
        SetSetupText(s, setup::RefType, U("ГХВ-22"));
        SetSetupText(s, setup::RefModel, "070");
        SetSetupText(s, setup::RefSerial, "1234");
        SetSetupText(s, setup::RefClass, "A");
        SetSetupText(s, setup::InstrSerial, "00042");
        s[setup::IsPeriodic] = 1;
        SetSetupText(s, setup::OwnerName, U("ООО «Гидро» 100%s%n"));
        SetSetupText(s, setup::InstrRange, U("0...2.5  МПа"));
        WriteFloat32(s, setup::ErrorFactor, 1.0f);
        useChannel(2, U("УЛМ-41"), "S-77", U("МПа"), 1000.0f);
        SetChannelText(s, 3, channel::SensorName, U("УЛМ-63"));
        SetChannelText(s, 3, channel::SensorSerial, "S-3");
        sources.setup = s;
        sources.protocol = protocol.data();
        sources.protocolRows = kProtocolRows;
        sources.methodDocument = [this](const QString& name) {
            asked.push_back(name);
            return name == U("УЛМ-41") ? U("МИ 1997-89") : QString();
        };
    }
    void TearDown() override { platform::SetWallClock(previousClock); }

    void useChannel(int n, const QString& name, const char* serial, const QString& units, float factor) {
        std::uint8_t* s = setup.data();
        SetChannelInt(s, n, channel::Used, 1);
        SetChannelText(s, n, channel::SensorName, name);
        SetChannelText(s, n, channel::SensorModel, "2020");
        SetChannelText(s, n, channel::SensorSerial, serial);
        SetChannelFloat(s, n, channel::UpperLimit, 1.0f);
        SetChannelText(s, n, channel::UnitsText, units);
        SetChannelText(s, n, channel::OutputText, U("4 - 20 мА"));
        SetChannelInt(s, n, channel::Dependency, 0);
        SetChannelFloat(s, n, channel::Tolerance, 1.5f);
        SetChannelFloat(s, n, channel::UnitsFactor, factor);
    }
    // Protocol row k: its written flag, the reference in kPa and the block of channel n.
    void row(int k, bool written, float referenceKPa, int n, const Meas& m) {
        std::uint8_t* r = protocol.data() + static_cast<std::size_t>(k) * kCurrentRowSize;
        r[row::Written] = written ? 1 : 0;
        WriteFloat32(r, MeasBlockOffset(0) + block::Pressure, referenceKPa);
        const std::size_t at = MeasBlockOffset(n);
        WriteInt32(r, at + block::Included, m.included);
        WriteFloat32(r, at + block::LowerLimit, m.lower);
        WriteFloat32(r, at + block::UpperLimit, m.upper);
        WriteFloat32(r, at + block::Pressure, m.pressure);
        WriteFloat32(r, at + block::Current, m.current);
        WriteFloat32(r, at + block::Error, m.error);
        WriteFloat32(r, at + block::Uncertainty, m.uncertainty);
    }
    const TAllTextToExcel& fill(int mode = 0) {
        FillReportRecord(record, mode, sources);
        return record;
    }
    std::vector<QString> pointTexts(int n, int p) const {
        std::vector<QString> texts;
        for (const auto& text : record.Channel[n - 1].PointText[p].Text) texts.push_back(Text(text));
        return texts;
    }

    std::vector<std::uint8_t> setup = std::vector<std::uint8_t>(kSetupRecordSize, 0);
    std::vector<std::uint8_t> protocol = std::vector<std::uint8_t>(kProtocolRows * kCurrentRowSize, 0);
    ReportSources sources;
    std::vector<QString> asked;
    TAllTextToExcel record{};
    platform::WallClock previousClock;
};

TEST_F(ReportFill, AUsedChannelGetsItsHeaderAndFooterSlotBySlotAndTheOthersStayEmpty) {
    std::memset(&record, 0x5A, sizeof record);  // nothing of an earlier content may survive
    fill(0);
    EXPECT_EQ(record.Mode, 0);
    EXPECT_EQ(record.StructSize, 97964);
    EXPECT_EQ(record.Magic, 0xAA55);
    const ChannelReportBlock& b = record.Channel[1];
    const struct {
        int slot;
        const char* text;
    } header[] = {
        {0, "периодической поверки датчика давления"},
        {1, "ООО «Гидро» 100%s%n"},
        {2, "УЛМ-41  модель 2020"},
        {3, "S-77"},
        {4, "4 - 20 мА"},
        {5, "МИ 1997-89"},
        {6, "ГХВ-22  модель 070"},
        {7, "1234"},
        {8, "0...1 МПа"},
        {9, "A"},
        {10, "ЗКВ-7"},
        {11, "00042"},
        {12, "0...2.5  МПа"},
        {13, "A"},
        {14, "20"},
        {15, "55"},
        {16, "745"},
        {17, "МПа"},
        {18, "МПа"},
        {19, "МПа"},
        {20, "МПа"},
    };
    for (const auto& h : header) EXPECT_EQ(Text(b.HeaderText[h.slot]), U(h.text)) << "header " << h.slot;
    EXPECT_EQ(Text(b.SheetName), "S-77");
    EXPECT_EQ(Verdict(b), U("Результаты поверки датчика давления  УЛМ-41, зав. № S-77 положительны."));
    EXPECT_EQ(Text(b.FooterText[2]), "2024.03.07");
    EXPECT_EQ(Text(b.FooterText[3]), U("Иванов И.И."));
    EXPECT_EQ(b.Present, 0);
    EXPECT_EQ(b.PointCount, 0);
    EXPECT_EQ(asked, std::vector<QString>{U("УЛМ-41")}) << "only used channels are looked up";
    for (int n : {1, 3, 4}) EXPECT_TRUE(AllZero(record.Channel[n - 1])) << "channel " << n;
}

TEST_F(ReportFill, TheProtocolKindFollowsTheModeAndThePeriodicity) {
    const struct {
        int mode;
        std::uint8_t periodic;
        const char* text;
    } cases[] = {
        {0, 0, "первичной поверки датчика давления"}, {0, 1, "периодической поверки датчика давления"},
        {1, 0, "калибровки датчика давления"},        {1, 1, "калибровки датчика давления"},
        {2, 1, "калибровки датчика давления"},
    };
    for (const auto& c : cases) {
        setup[setup::IsPeriodic] = c.periodic;
        fill(c.mode);
        EXPECT_EQ(record.Mode, c.mode);
        EXPECT_EQ(Text(record.Channel[1].HeaderText[0]), U(c.text)) << c.mode << " " << int{c.periodic};
    }
}

TEST_F(ReportFill, PointsComeFromWrittenRowsThatIncludeTheChannelInTheChannelsUnits) {
    row(0, true, 500.0f, 2, {1, 0.0f, 1.0f, 0.5012f, 12.019f, 0.12f, 0.0031f});
    row(1, true, 600.0f, 2, {0, 0.0f, 1.0f, 0.6f, 13.6f, 0.0f, 0.0f});   // not included
    row(2, false, 700.0f, 2, {1, 0.0f, 1.0f, 0.7f, 15.2f, 0.0f, 0.0f});  // never written
    row(3, true, 1000.0f, 2, {1, -0.25f, 2.5f, 0.9987f, 19.99f, -0.13f, 0.0123f});
    row(3, true, 1000.0f, 4, {1, 0.0f, 100.0f, 99.5f, 19.9f, 0.4f, 0.01f});  // a channel not used
    fill();
    const ChannelReportBlock& b = record.Channel[1];
    EXPECT_EQ(b.Present, 1);
    ASSERT_EQ(b.PointCount, 2);
    EXPECT_EQ(pointTexts(2, 0), (std::vector<QString>{"0.0000...1.0000", "0.5000", "0.5012", "12.0190",
                                                      "0.120", "1.500", "0.0031"}));
    EXPECT_EQ(pointTexts(2, 1), (std::vector<QString>{"-0.2500...2.5000", "1.0000", "0.9987", "19.9900",
                                                      "-0.130", "1.500", "0.0123"}));
    EXPECT_EQ(pointTexts(2, 2), std::vector<QString>(7)) << "no third point";
    EXPECT_TRUE(AllZero(record.Channel[3]));
}

TEST_F(ReportFill, OnlyTheFirstFortyRowsReachTheProtocol) {
    for (int k = 0; k < 40; ++k)
        row(k, true, 100.0f * static_cast<float>(k), 2, {1, 0, 1, 0.1f, 4.0f, 0.5f, 0});
    row(40, true, 9999.0f, 2, {1, 0, 1, 9.9f, 20.0f, 50.0f, 0});  // out of tolerance, but the 41st
    fill();
    const ChannelReportBlock& b = record.Channel[1];
    EXPECT_EQ(b.PointCount, 40);
    EXPECT_EQ(pointTexts(2, 39)[1], "3.9000");
    EXPECT_EQ(Verdict(b), U("Результаты поверки датчика давления  УЛМ-41, зав. № S-77 положительны."));

    // A protocol that holds fewer rows is not read past its end.
    row(1, true, 100.0f, 2, {1, 0, 1, 0.1f, 4.0f, 0.5f, 0});
    sources.protocolRows = 2;
    fill();
    EXPECT_EQ(b.PointCount, 2);
}

TEST_F(ReportFill, OneErrorBeyondToleranceTimesTheFactorMakesTheVerdictNegative) {
    const struct {
        float error;
        float tolerance;
        float factor;
        bool positive;
    } cases[] = {
        {1.5f, 1.5f, 1.0f, true},  {-1.5f, 1.5f, 1.0f, true}, {-1.6f, 1.5f, 1.0f, false},
        {1.6f, 1.5f, 1.0f, false}, {1.0f, 1.5f, 0.5f, false}, {0.75f, 1.5f, 0.5f, true},
        {1.0f, -1.5f, 1.0f, true}, {0.0f, 0.0f, 1.0f, true},
    };
    const QString positive = U("Результаты поверки датчика давления  УЛМ-41, зав. № S-77 положительны.");
    const QString negative = U("Результаты поверки датчика давления  УЛМ-41, зав. № S-77 отрицательны.");
    for (const auto& c : cases) {
        SetChannelFloat(setup.data(), 2, channel::Tolerance, c.tolerance);
        WriteFloat32(setup.data(), setup::ErrorFactor, c.factor);
        row(0, true, 100.0f, 2, {1, 0, 1, 0.1f, 4.0f, 0.0f, 0});
        row(1, true, 200.0f, 2, {1, 0, 1, 0.2f, 4.0f, c.error, 0});
        fill();
        EXPECT_EQ(Verdict(record.Channel[1]), c.positive ? positive : negative)
            << c.error << " " << c.tolerance << " " << c.factor;
    }
}

TEST_F(ReportFill, AChannelWithoutCurrentOutputHasNoOutputTextAndNoCurrents) {
    const struct {
        std::int32_t dependency;
        const char* output;
        const char* current;
    } cases[] = {
        {-1, "отсутствует", ""},
        {0, "4 - 20 мА", "12.0000"},
        {1, "4 - 20 мА", "12.0000"},
        {-2, "4 - 20 мА", ""},
    };
    row(0, true, 500.0f, 2, {1, 0, 1, 0.5f, 12.0f, 0, 0});
    for (const auto& c : cases) {
        SetChannelInt(setup.data(), 2, channel::Dependency, c.dependency);
        fill();
        EXPECT_EQ(Text(record.Channel[1].HeaderText[4]), U(c.output)) << c.dependency;
        EXPECT_EQ(pointTexts(2, 0)[3], c.current) << c.dependency;
    }
}

TEST_F(ReportFill, AUsedChannelWhoseRowsAllLeaveItOutKeepsItsHeaderAndAPositiveVerdict) {
    for (int k = 0; k < 3; ++k) row(k, true, 100.0f, 2, {0, 0, 1, 0.1f, 4.0f, 99.0f, 0});
    fill(1);
    const ChannelReportBlock& b = record.Channel[1];
    EXPECT_EQ(b.Present, 0);
    EXPECT_EQ(b.PointCount, 0);
    EXPECT_EQ(Text(b.HeaderText[0]), U("калибровки датчика давления"));
    EXPECT_EQ(Text(b.SheetName), "S-77");
    EXPECT_EQ(Verdict(b), U("Результаты поверки датчика давления  УЛМ-41, зав. № S-77 положительны."));
}

TEST_F(ReportFill, EveryTextStaysInsideItsSlot) {
    // Set-up slots filled to their last byte, without a terminator, and limits as wide as a float.
    for (std::size_t offset : {setup::AirTemp, setup::Humidity, setup::AtmPressure, setup::Verifier,
                               setup::RefType, setup::RefModel, setup::RefSerial, setup::RefClass,
                               setup::InstrSerial, setup::OwnerName, setup::InstrRange})
        std::memset(setup.data() + offset, 0xC6, kSetupTextSlot);  // "Ж"
    for (std::size_t field : {channel::SensorName, channel::SensorModel, channel::SensorSerial,
                              channel::UnitsText, channel::OutputText})
        std::memset(setup.data() + SetupChannelOffset(2) + field, 'x', kSetupTextSlot);
    sources.methodDocument = [](const QString&) { return QString(200, 'd'); };
    row(0, true, -FLT_MAX, 2, {1, -FLT_MAX, FLT_MAX, FLT_MAX, -FLT_MAX, -FLT_MAX, FLT_MAX});
    SetChannelFloat(setup.data(), 2, channel::UnitsFactor, 1.0f);
    SetChannelFloat(setup.data(), 2, channel::Tolerance, -FLT_MAX);
    fill();
    const ChannelReportBlock& b = record.Channel[1];
    const QString x79(79, 'x'), zh79(79, QChar(0x0416));
    EXPECT_EQ(Text(b.SheetName), x79);
    EXPECT_EQ(Text(b.HeaderText[1]), zh79);
    EXPECT_EQ(Text(b.HeaderText[2]), x79) << "name and model together are cut to the slot";
    EXPECT_EQ(Text(b.HeaderText[5]), QString(79, 'd'));
    EXPECT_EQ(Text(b.HeaderText[6]), zh79);
    EXPECT_EQ(Text(b.HeaderText[8]), "") << "no reference model has such a code";
    for (int k : {3, 4, 17, 18, 19, 20}) EXPECT_EQ(Text(b.HeaderText[k]), x79) << k;
    for (int k : {7, 9, 11, 12, 13, 14, 15, 16}) EXPECT_EQ(Text(b.HeaderText[k]), zh79) << k;
    EXPECT_EQ(Text(b.FooterText[3]), zh79);
    const QString verdict =
        U("Результаты поверки датчика давления  ") + QString(80, 'x') + U(", зав. № ") + x79;
    EXPECT_EQ(Verdict(b), verdict.left(159));

    const std::string max = "340282346638528859811704183484516925440.0000";
    const std::string range = "-" + max + "..." + max;
    const std::vector<QString> texts = pointTexts(2, 0);
    EXPECT_EQ(texts[0], QString::fromStdString(range.substr(0, 79)));
    EXPECT_EQ(texts[1], QString::fromStdString("-" + max));
    EXPECT_EQ(texts[2], QString::fromStdString(max));
    EXPECT_EQ(texts[4], QString::fromStdString("-" + max.substr(0, max.size() - 1)));
    EXPECT_EQ(texts[5], QString::fromStdString("-" + max.substr(0, max.size() - 1)));
    EXPECT_EQ(texts[6], QString::fromStdString(max));
    for (const auto& point : b.PointText)
        for (const auto& text : point.Text) EXPECT_LT(strnlen(text, sizeof text), sizeof text);
}

TEST(FindReferenceRange, TakesTheFirstModelWhoseCodeContainsTheGivenOne) {
    const struct {
        const char* model;
        int result;
        const char* range;
    } cases[] = {
        {"040", 0, "0...40 кПа"}, {"170", 0, "0...16 МПа"},  {"10", 0, "0...10 кПа"},
        {"25", 0, "0...25 кПа"},  {"", 0, "0...10 кПа"},     {"9", 0, "0...6 МПа"},
        {"999", -1, "unchanged"}, {"0400", -1, "unchanged"}, {"070 ", -1, "unchanged"},
    };
    for (const auto& c : cases) {
        char slot[platform::kSlotSize];
        std::memset(slot, 0, sizeof slot);
        std::strcpy(slot, "unchanged");
        EXPECT_EQ(FindReferenceRange(slot, c.model), c.result) << c.model;
        EXPECT_EQ(Text(slot), U(c.range)) << c.model;
    }
}

}  // namespace
