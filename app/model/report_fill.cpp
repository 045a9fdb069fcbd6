#include "app/model/report_fill.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "app/model/channel_conversion.h"
#include "app/model/current_row.h"
#include "app/model/record_fields.h"
#include "app/model/reference_models.h"
#include "app/model/setup_record.h"
#include "app/model/value_text.h"
#include "platform/class_library/cp1251.h"

namespace {

using platform::ChannelReportBlock;

// Our own texts go into the record in its code page.
std::string Cp1251(const char* utf8) { return platform::ToCp1251(QString::fromUtf8(utf8)); }

// A text slot of the set-up record as its bytes, never past the slot.
std::string_view SetupBytes(const std::uint8_t* setup, std::size_t offset) {
    const char* slot = reinterpret_cast<const char*>(setup + offset);
    return std::string_view(slot, strnlen(slot, kSetupTextSlot));
}

std::string_view ChannelBytes(const std::uint8_t* setup, int n, std::size_t field) {
    return SetupBytes(setup, SetupChannelOffset(n) + field);
}

template <std::size_t N>
void Put(char (&slot)[N], std::string_view bytes) {
    WriteSlotBytes(slot, N, bytes);
}

// "name  модель model": the two blanks are the protocol's.
std::string NameAndModel(std::string_view name, std::string_view model) {
    std::string text(name);
    text += Cp1251("  модель ");
    text += model;
    return text;
}

std::string Text4(float value) { return FloatText4(value).toStdString(); }
std::string Text3(float value) { return FloatText3(value).toStdString(); }

// "%6.4f": at least six characters, blanks in front.
std::string Text6(float value) {
    std::string text = Text4(value);
    if (text.size() < 6) text.insert(0, 6 - text.size(), ' ');
    return text;
}

void FillHeader(ChannelReportBlock& block, int mode, const std::uint8_t* setup, int n,
                const ReportSources& sources) {
    const char* kind = mode != 0
                           ? "калибровки"
                           : (setup[setup::IsPeriodic] != 0 ? "периодической поверки" : "первичной поверки");
    Put(block.HeaderText[0], Cp1251(kind) + Cp1251(" датчика давления"));
    Put(block.HeaderText[1], SetupBytes(setup, setup::OwnerName));
    Put(block.HeaderText[2], NameAndModel(ChannelBytes(setup, n, channel::SensorName),
                                          ChannelBytes(setup, n, channel::SensorModel)));
    Put(block.HeaderText[3], ChannelBytes(setup, n, channel::SensorSerial));
    Put(block.HeaderText[4], ChannelInt(setup, n, channel::Dependency) == -1
                                 ? Cp1251("отсутствует")
                                 : std::string(ChannelBytes(setup, n, channel::OutputText)));
    if (sources.methodDocument) {
        const QString name = ChannelText(setup, n, channel::SensorName);
        Put(block.HeaderText[5], platform::ToCp1251(sources.methodDocument(name)));
    }
    Put(block.HeaderText[6],
        NameAndModel(SetupBytes(setup, setup::RefType), SetupBytes(setup, setup::RefModel)));
    Put(block.HeaderText[7], SetupBytes(setup, setup::RefSerial));
    FindReferenceRange(block.HeaderText[8], SetupBytes(setup, setup::RefModel));
    Put(block.HeaderText[9], SetupBytes(setup, setup::RefClass));
    Put(block.HeaderText[10], Cp1251("ЗКВ-7"));
    Put(block.HeaderText[11], SetupBytes(setup, setup::InstrSerial));
    Put(block.HeaderText[12], SetupBytes(setup, setup::InstrRange));
    Put(block.HeaderText[13], SetupBytes(setup, setup::RefClass));
    Put(block.HeaderText[14], SetupBytes(setup, setup::AirTemp));
    Put(block.HeaderText[15], SetupBytes(setup, setup::Humidity));
    Put(block.HeaderText[16], SetupBytes(setup, setup::AtmPressure));
    for (int k = 17; k <= 20; ++k) Put(block.HeaderText[k], ChannelBytes(setup, n, channel::UnitsText));
}

// The points of channel n; true while every point is within its tolerance.
bool FillPoints(ChannelReportBlock& block, const std::uint8_t* setup, int n, const ReportSources& sources) {
    const bool withCurrent = ChannelInt(setup, n, channel::Dependency) >= 0;
    const double unitsFactor = ChannelFloat(setup, n, channel::UnitsFactor);
    const float tolerance = ChannelFloat(setup, n, channel::Tolerance);
    const int rows = sources.protocol == nullptr ? 0 : std::min(sources.protocolRows, kReportProtocolRows);
    const std::size_t at = MeasBlockOffset(n);
    bool positive = true;
    int j = 0;
    for (int k = 0; k < rows; ++k) {
        const std::uint8_t* row = sources.protocol + static_cast<std::size_t>(k) * kCurrentRowSize;
        if (row[row::Written] == 0 || ReadInt32(row, at + block::Included) == 0) continue;
        const float referenceKPa = ReadFloat32(row, MeasBlockOffset(0) + block::Pressure);
        const float error = ReadFloat32(row, at + block::Error);
        char(&text)[platform::kPointTexts][platform::kSlotSize] = block.PointText[j].Text;
        Put(text[0], Text6(ReadFloat32(row, at + block::LowerLimit)) + "..." +
                         Text6(ReadFloat32(row, at + block::UpperLimit)));
        Put(text[1], Text4(static_cast<float>(referenceKPa / unitsFactor)));
        Put(text[2], Text4(ReadFloat32(row, at + block::Pressure)));
        if (withCurrent) Put(text[3], Text4(ReadFloat32(row, at + block::Current)));
        Put(text[4], Text3(error));
        Put(text[5], Text3(tolerance));
        Put(text[6], Text4(ReadFloat32(row, at + block::Uncertainty)));
        if (OutOfTolerance(setup, n, error)) positive = false;
        ++j;
    }
    block.Present = j > 0 ? 1 : 0;
    block.PointCount = j;
    return positive;
}

void FillFooter(ChannelReportBlock& block, const std::uint8_t* setup, int n, bool positive) {
    std::string verdict = Cp1251("Результаты поверки датчика давления  ");
    verdict += ChannelBytes(setup, n, channel::SensorName);
    verdict += Cp1251(", зав. № ");
    verdict += ChannelBytes(setup, n, channel::SensorSerial);
    verdict += Cp1251(positive ? " положительны." : " отрицательны.");
    // The verdict runs on from the first footer slot into the second.
    WriteSlotBytes(reinterpret_cast<char*>(&block.FooterText), platform::kVerdictSize, verdict);
    Put(block.FooterText[2], TodayText());
    Put(block.FooterText[3], SetupBytes(setup, setup::Verifier));
}

}  // namespace

void FillReportRecord(platform::TAllTextToExcel& record, int mode, const ReportSources& sources) {
    std::memset(&record, 0, sizeof record);
    record.StructSize = platform::kReportRecordSize;
    record.Magic = platform::kRecordMagic;
    record.Mode = mode;
    const std::uint8_t* setup = sources.setup;
    if (setup == nullptr) return;
    for (int n = 1; n <= platform::kChannels; ++n) {
        if (ChannelInt(setup, n, channel::Used) == 0) continue;
        ChannelReportBlock& block = record.Channel[n - 1];
        Put(block.SheetName, ChannelBytes(setup, n, channel::SensorSerial));
        FillHeader(block, mode, setup, n, sources);
        FillFooter(block, setup, n, FillPoints(block, setup, n, sources));
    }
}
