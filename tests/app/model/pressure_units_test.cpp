#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

#include "app/model/pressure_units.h"
#include "app/model/setup_record.h"
#include "platform/class_library/utf8_literal.h"
#include "tests/support/printers.h"
#include "tests/support/scripted_dialogs.h"

namespace {

const char* const kUnknownUnit = "Не найдена единица измерения !!!";

std::uint32_t Bits(float value) { return std::bit_cast<std::uint32_t>(value); }

class Units : public ::testing::Test {
protected:
    // The texts of the messages shown so far, forgotten after.
    std::vector<QString> messages() {
        std::vector<QString> texts = dialogs.texts();
        dialogs.shown.clear();
        return texts;
    }

    testing_support::ScriptedDialogs dialogs;
    testing_support::InstalledDialogs installed{dialogs};
};

TEST_F(Units, TableHoldsTheEightUnitsWithTheirExactFactors) {
    const struct {
        const char* text;
        std::uint32_t bits;
        float decimal;
    } expected[] = {
        {"кПа", 0x3F800000, 1.0f},          {"МПа", 0x447A0000, 1000.0f},
        {"Па", 0x3A83126F, 0.001f},          {"кгс/см2", 0x42C4220C, 98.0665f},
        {"кгс/м2", 0x3C20AC12, 0.00980665f}, {"мм.рт.ст.", 0x3E0885A9, 0.13332237f},
        {"бар", 0x42C80000, 100.0f},         {"psi", 0x40DCA1E0, 6.89476f},
    };
    const auto& units = PressureUnits();
    for (std::size_t row = 0; row < units.size(); ++row) {
        EXPECT_STREQ(units[row].text, expected[row].text) << row;
        EXPECT_EQ(Bits(units[row].factor), expected[row].bits) << row;
        EXPECT_EQ(Bits(expected[row].decimal), expected[row].bits) << "the factor is the float of " << expected[row].decimal;
    }
}

TEST_F(Units, FactorOfTheFirstUnitFoundInTheText) {
    const struct {
        const char* text;
        std::uint32_t bits;
    } cases[] = {
        {"кПа", 0x3F800000},         {"  кПа", 0x3F800000},    {"кПа  ", 0x3F800000},
        {"Па", 0x3A83126F},          {"МПа", 0x447A0000},      {"кгс/см2", 0x42C4220C},
        {"кгс/м2", 0x3C20AC12},      {"мм.рт.ст.", 0x3E0885A9}, {"бар", 0x42C80000},
        {"psi", 0x40DCA1E0},         {"Рв, МПа изб.", 0x447A0000},
    };
    for (const auto& c : cases) EXPECT_EQ(Bits(UnitFactor(U(c.text))), c.bits) << c.text;
    EXPECT_TRUE(messages().empty());
}

TEST_F(Units, UnknownUnitShowsTheMessageAtEveryLookupAndCountsAsKPa) {
    for (const char* text : {"КПА", "", "PSI", "kPa", "атм"}) {
        EXPECT_EQ(UnitFactor(U(text)), 1.0f) << text;
        const std::vector<QString> shown = messages();
        ASSERT_EQ(shown.size(), 1u) << text;
        EXPECT_EQ(shown[0], U(kUnknownUnit));
        EXPECT_EQ(dialogs.unanswered(), 0u);
    }
}

TEST_F(Units, FromKPaDividesByTheFactorInSinglePrecision) {
    EXPECT_EQ(FromKPa(U("МПа"), 100.0f), 0.1f);
    EXPECT_NEAR(FromKPa(U("мм.рт.ст."), 101.325f), 760.0f, 0.001f);
    EXPECT_EQ(FromKPa(U("кгс/см2"), 98.0665f), 1.0f);
    // The float factor of Па lies a little above 0.001.
    EXPECT_EQ(FromKPa(U("Па"), 1.0f), 999.99994f);
    EXPECT_EQ(FromKPa(U(" кПа "), -3.5f), -3.5f);
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(FromKPa(U("КПА"), 5.0f), 5.0f);
    EXPECT_EQ(messages(), std::vector<QString>{U(kUnknownUnit)});
}

TEST_F(Units, ChannelValuesAreInTheChannelsUnitsFromTheRecord) {
    std::vector<std::uint8_t> record(kSetupRecordSize, 0);
    // The record holds code page 1251 bytes: "МПа" is CC CF E0.
    std::memcpy(record.data() + SetupChannelOffset(2) + channel::UnitsText, "\xCC\xCF\xE0", 3);
    SetChannelText(record.data(), 3, channel::UnitsText, U("кгс/см2"));
    SetChannelText(record.data(), 4, channel::UnitsText, U(" бар "));
    EXPECT_EQ(ChannelFromKPa(record.data(), 100.0f, 2), 0.1f);
    EXPECT_EQ(ChannelFromKPa(record.data(), 98.0665f, 3), 1.0f);
    EXPECT_EQ(ChannelFromKPa(record.data(), 250.0f, 4), 2.5f);
    EXPECT_TRUE(messages().empty());

    // Channel 1 has no units; channels 0 and 5 and a missing record have none either.
    EXPECT_EQ(ChannelFromKPa(record.data(), 7.0f, 1), 7.0f);
    EXPECT_EQ(ChannelFromKPa(record.data(), 7.0f, 0), 7.0f);
    EXPECT_EQ(ChannelFromKPa(record.data(), 7.0f, 5), 7.0f);
    EXPECT_EQ(ChannelFromKPa(nullptr, 7.0f, 1), 7.0f);
    EXPECT_EQ(messages().size(), 4u);
}

TEST_F(Units, UnterminatedUnitsSlotIsReadNoFurtherThanItsEnd) {
    std::vector<std::uint8_t> record(kSetupRecordSize, 0);
    std::memset(record.data() + SetupChannelOffset(1) + channel::UnitsText, 'x', kSetupTextSlot);
    SetChannelText(record.data(), 1, channel::OutputText, U("кПа"));
    EXPECT_EQ(ChannelFromKPa(record.data(), 7.0f, 1), 7.0f);
    EXPECT_EQ(messages(), std::vector<QString>{U(kUnknownUnit)});
}

TEST_F(Units, InstrumentCodesFiveToTwelveNameTheTableUnits) {
    const char* names[] = {"Па", "кПа", "МПа", "кгс/см2", "кгс/м2", "мм.рт.ст.", "бар", "psi"};
    for (int code = 5; code <= 12; ++code) {
        const QString text = InstrumentUnitText(code);
        EXPECT_EQ(text, U(names[code - 5])) << code;
        bool inTable = false;
        for (const PressureUnit& unit : PressureUnits()) {
            if (U(unit.text) == text) {
                inTable = true;
                EXPECT_EQ(UnitFactor(text), unit.factor) << code;
            }
        }
        EXPECT_TRUE(inTable) << code;
    }
    for (int code : {-1, 0, 4, 13, 255}) EXPECT_EQ(InstrumentUnitText(code), QString()) << code;
    EXPECT_TRUE(messages().empty());
}

}  // namespace
