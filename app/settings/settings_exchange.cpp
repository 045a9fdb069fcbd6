// The settings page's exchanges with the instrument: each click opens a one-shot exchange, and
// the answers come back to the page's stage machines through its routing rows.
#include <QComboBox>
#include <QDateEdit>
#include <QDateTime>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimeEdit>
#include <cstdio>
#include <string_view>

#include "app/model/device_clock.h"
#include "app/settings/frame_settings.h"
#include "link/exchange_engine.h"
#include "link/exchange_state.h"
#include "link/my_comm.h"
#include "link/protocol.h"
#include "platform/class_library/dialogs.h"
#include "platform/class_library/utf8_literal.h"
#include "platform/system/clock.h"
#include "platform/text/number_scan.h"

namespace {

// Operation names of the status bar.
constexpr int kWorkWriteSettings = 10;
constexpr int kWorkReadClock = 11;
constexpr int kWorkWriteClock = 12;

constexpr int kMessageCannotDo = 0;  // "Невозможно выполнить операцию"
constexpr int kFactoryNumberRegister = 30;
constexpr int kFactoryNumberMax = 65535;
constexpr int kReferenceTypeRegister = 259;
constexpr int kReferenceUnitRegister = 262;
constexpr int kReferenceLowRegister = 266;
constexpr int kReferenceHighRegister = 270;
constexpr int kSettingsClosingRegister = 49;
constexpr int kZeroSettingRegister = 2;
// The settings write's stage while it reads the record bytes it has not read yet.
constexpr int kStageReadsMissingSettings = 2;
constexpr int kFirstReferenceUnit = 5;
constexpr int kLastReferenceUnit = 12;
// Where the clock answer's time fields (byte 2) and date fields (byte 5) begin.
constexpr std::size_t kClockTimeAt = 4;
constexpr std::size_t kClockDateAt = 10;

std::string_view Text(const char* text) { return text ? std::string_view(text) : std::string_view(); }

std::string_view From(std::string_view text, std::size_t at) {
    return at < text.size() ? text.substr(at) : std::string_view();
}

void Read(int reg, int memory, int dataType) {
    if (MainPort == nullptr) return;
    SendRequest(*MainPort, static_cast<std::uint8_t>(DevAddr), CmdRead, reg, memory, dataType);
}

void Write(int reg, int memory, int dataType, int value) {
    if (MainPort == nullptr) return;
    SendRequest(*MainPort, static_cast<std::uint8_t>(DevAddr), CmdWrite, reg, memory, dataType, value);
}

void WriteBlock(int reg, int memory, const std::uint8_t* bytes, int count) {
    if (MainPort == nullptr) return;
    SendHexRequest(*MainPort, static_cast<std::uint8_t>(DevAddr), CmdWrite, reg, memory, bytes, count);
}

// A write whose answer only ends its own exchange: no requester may be left to take it.
void WriteNobodyReads(int reg, int memory, int dataType, int value) {
    Requester = nullptr;
    UiExchange = true;
    Write(reg, memory, dataType, value);
}

}  // namespace

std::vector<AnswerRoute> TFrameZKV_Settings::SettingsAnswerRoutes() {
    return {
        {GroupConfig, [this](const char* answerText) { RxSetings(answerText); }, AfterAnswer::HandlerDecides,
         ErrorTreatment::EndsSilently},
        {ebZavNo, [this](const char* answerText) { PutFactoryNumber(answerText); }, AfterAnswer::Ends},
        {DatePicker, [this](const char* answerText) { RxDateTime(answerText); }, AfterAnswer::HandlerDecides},
        {TimePicker, [this](const char* answerText) { RxWriteDT(answerText); }, AfterAnswer::HandlerDecides},
        {WriteConf, [this](const char* answerText) { RxWriteConf(answerText); }, AfterAnswer::HandlerDecides},
    };
}

void TFrameZKV_Settings::ShowWorkName(int index) {
    if (Hooks.showWorkName) Hooks.showWorkName(index);
}

QString TFrameZKV_Settings::Message(int index) const {
    return Hooks.message ? Hooks.message(index) : QString();
}

void TFrameZKV_Settings::RefuseValues(QWidget* control) {
    if (control) control->setFocus();
    platform::MessageDlg(U("Указаны неверные значения!"), platform::MsgDlgType::Error, platform::mbOK);
}

void TFrameZKV_Settings::ReadConfClick(QObject*) {
    Requester = GroupConfig;
    Read(kDeviceSettingsRegister, MemSettings, DataBlock);
    UiExchange = true;
    FRxStage = 0;
    GroupBoxSetZerro->hide();
}

void TFrameZKV_Settings::SetRxStage(int stage) {
    FRxStage = stage;
    if (stage != 1) return;
    // A read begun from outside may be another instrument's: nothing read before is its own.
    FirstPartLen = 0;
    known_.reset();
    instrumentYear_.reset();
}

void TFrameZKV_Settings::RxSetings(const char* answerText) {
    char trace[64];
    std::snprintf(trace, sizeof trace, "FrameZKV_Settings::RxSetings()  stage: %d", FRxStage);
    platform::DebugLine(trace);
    const std::string_view answer = Text(answerText);
    switch (FRxStage) {
        case 0:
            FirstPartLen = PutSettingsHex(Conf, 0, answer);
            known_ = SettingsByteRange(0, FirstPartLen);
            if (FirstPartLen > 0) instrumentYear_ = Conf.Year;
            Read(kDeviceSettingsRegister + FirstPartLen, MemSettings, DataBlock);
            FRxStage = 1;
            break;
        case 1: {
            const int carried = PutSettingsHex(Conf, FirstPartLen, answer);
            known_ |= SettingsByteRange(FirstPartLen, carried);
            if (FirstPartLen == 0 && carried > 0) instrumentYear_ = Conf.Year;
            ConfToForm();
            Read(kReferenceTypeRegister, MemCommand, DataByte);
            FRxStage = 2;
            break;
        }
        case 2: {
            const bool type43 = CheckRefTransducer(QString::fromLatin1(answer));
            ShowReferenceType(type43);
            if (type43) {
                Read(kReferenceUnitRegister, MemCommand, DataByte);
                FRxStage = 3;
                break;
            }
            Requester = nullptr;
            UiExchange = false;
            if (Conf.RefUnit < UnitStr->count()) UnitStr->setCurrentRow(Conf.RefUnit);
            FRxStage = 0;
            break;
        }
        case 3: {
            const std::optional<int> code = platform::ScanInteger(answer);
            if (code && *code >= kFirstReferenceUnit && *code <= kLastReferenceUnit) {
                UnitStr->setCurrentRow(*code);
                cfgEtlPD_30_unit->setCurrentIndex(*code - kFirstReferenceUnit);
            }
            Read(kReferenceLowRegister, MemCommand, DataFloat);
            FRxStage = 4;
            break;
        }
        case 4:
            ebLowEtl->setText(QString::fromLatin1(answer));
            Read(kReferenceHighRegister, MemCommand, DataFloat);
            FRxStage = 5;
            break;
        case 5:
            ebHiEtl->setText(QString::fromLatin1(answer));
            Requester = nullptr;
            UiExchange = false;
            FRxStage = 0;
            break;
        default:
            break;
    }
}

void TFrameZKV_Settings::WriteConfClick(QObject*) {
    if (!ConfFromForm()) return;
    // The year byte is the clock's: it goes back as the instrument has it, or is read first.
    known_.set(0, instrumentYear_.has_value());
    if (instrumentYear_) Conf.Year = *instrumentYear_;
    if (const int missing = FirstMissingByte(known_); missing >= 0) {
        FRxStage = kStageReadsMissingSettings;
        Requester = WriteConf;
        Read(kDeviceSettingsRegister + missing, MemSettings, DataBlock);
        UiExchange = true;
    } else {
        FRxStage = 0;
        SendSettingsFirstBlock();
    }
    ShowWorkName(kWorkWriteSettings);
}

void TFrameZKV_Settings::SendSettingsFirstBlock() {
    Requester = WriteConf;
    const auto bytes = SettingsBytes(Conf);
    WriteBlock(kDeviceSettingsRegister, MemSettings, bytes.data(), kSettingsFirstBlock);
    UiExchange = true;
}

void TFrameZKV_Settings::TakeMissingSettings(const char* answerText) {
    const SettingsByteSet before = known_;
    const int first = FirstMissingByte(known_);
    const int carried = first < 0 ? 0 : FillUnknownSettings(Conf, known_, first, Text(answerText));
    if (!before.test(0) && known_.test(0)) instrumentYear_ = Conf.Year;
    ShowSensorNumbers(before);
    const int missing = FirstMissingByte(known_);
    if (missing < 0) {
        FRxStage = 0;
        SendSettingsFirstBlock();
        return;
    }
    if (carried == 0) {
        // The instrument does not give the bytes: without them nothing may be written.
        FRxStage = 0;
        EndExchange();
        platform::MessageDlg(Message(kMessageCannotDo), platform::MsgDlgType::Error, platform::mbOK);
        return;
    }
    Requester = WriteConf;
    Read(kDeviceSettingsRegister + missing, MemSettings, DataBlock);
    UiExchange = true;
}

void TFrameZKV_Settings::RxWriteConf(const char* answerText) {
    if (FRxStage == kStageReadsMissingSettings) {
        TakeMissingSettings(answerText);
        return;
    }
    if (FRxStage == 0) {
        Requester = WriteConf;
        const auto bytes = SettingsBytes(Conf);
        WriteBlock(kDeviceSettingsRegister + kSettingsFirstBlock, MemSettings,
                   bytes.data() + kSettingsFirstBlock, kDeviceSettingsSize - kSettingsFirstBlock);
        UiExchange = true;
        FRxStage = 1;
        return;
    }
    WriteNobodyReads(kSettingsClosingRegister, MemCommand, DataByte, 0);
    FRxStage = 0;
}

void TFrameZKV_Settings::ReadDTClick(QObject*) {
    FRxStage = 0;
    Read(0, MemSettings, DataBlock);
    Requester = DatePicker;
    UiExchange = true;
    ShowWorkName(kWorkReadClock);
}

void TFrameZKV_Settings::RxDateTime(const char* answerText) {
    const std::string_view answer = Text(answerText);
    if (FRxStage == 0) {
        // Values that form no time or date show as the clock's invalid values always have.
        TimePicker->setTime(DeviceTimeFromHex(From(answer, kClockTimeAt)).value_or(LocalNow().time()));
        DatePicker->setDate(DeviceDateFromHex(From(answer, kClockDateAt)).value_or(ZeroDate()));
        Read(kDeviceSettingsRegister, MemSettings, DataByte);
        FRxStage = 1;
        return;
    }
    if (FRxStage != 1) return;
    DatePicker->setDate(DeviceDateInYear(DatePicker->date(), YearFromText(answer)).value_or(ZeroDate()));
    const std::optional<int> year = platform::ScanInteger(answer);
    instrumentYear_.reset();
    if (year && *year >= 0 && *year <= 0xFF) instrumentYear_ = static_cast<std::uint8_t>(*year);
    FRxStage = 0;
    EndExchange();
}

bool TFrameZKV_Settings::WriteDTClick(QObject*) {
    const QDate date = DatePicker->date();
    // The clock's year byte counts from 2000; another year would be written as a wrong one.
    if (!ClockYearFits(date)) {
        RefuseValues(DatePicker);
        return false;
    }
    FRxStage = 0;
    const TClockBlock block = PackDateTime(date, TimePicker->time());
    // Until the instrument answers, its year may be either.
    instrumentYear_.reset();
    clockYearSent_ = block[kClockBlockSize - 1];
    WriteBlock(0, MemSettings, block.data(), kClockBlockSize);
    Requester = TimePicker;
    UiExchange = true;
    ShowWorkName(kWorkWriteClock);
    return true;
}

void TFrameZKV_Settings::RxWriteDT(const char*) {
    instrumentYear_ = clockYearSent_;
    WriteNobodyReads(0, MemSettings, DataByte, 0);
}

void TFrameZKV_Settings::WriteSystemDTClick(QObject*) {
    const QDateTime now = LocalNow();
    DatePicker->setDate(now.date());
    TimePicker->setTime(now.time());
    if (WriteDTClick(WriteSystemDT)) ShowWorkName(kWorkWriteClock);
}

void TFrameZKV_Settings::BitBtn1Click(QObject*) {
    ebZavNo->clear();
    Read(kFactoryNumberRegister, MemParams, DataWord);
    Requester = ebZavNo;
    UiExchange = true;
}

void TFrameZKV_Settings::PutFactoryNumber(const char* answerText) {
    const std::optional<int> number = platform::ScanInteger(Text(answerText));
    char text[16];
    std::snprintf(text, sizeof text, "%05d", number.value_or(0));
    ebZavNo->setText(number ? QString::fromLatin1(text) : QStringLiteral("???"));
}

void TFrameZKV_Settings::BtnSetZavNoClick(QObject*) {
    const QByteArray text = ebZavNo->text().toLatin1();
    const std::optional<int> number = platform::ScanInteger(std::string_view(text.constData(), text.size()));
    // A negative number would go out as -1, an absent field, or as a wrong one.
    if (!number || *number < 0 || *number > kFactoryNumberMax) {
        platform::MessageDlg(Message(kMessageCannotDo), platform::MsgDlgType::Error, platform::mbOK);
        return;
    }
    WriteNobodyReads(kFactoryNumberRegister, MemParams, DataWord, *number);
}

void TFrameZKV_Settings::Btn_SetZeroClick(QObject*) {
    WriteNobodyReads(kZeroSettingRegister, MemCommand, DataByte, 0);
}
