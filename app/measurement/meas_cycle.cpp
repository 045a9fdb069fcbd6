// The cyclic measurement: work 1 of the exchange engine, a step machine over WorkStep.
#include <QComboBox>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>

#include "app/controls/control_checks.h"
#include "app/model/channel_conversion.h"
#include "app/controls/frame_graph.h"
#include "app/measurement/frame_meas.h"
#include "app/model/pressure_units.h"
#include "app/model/record_fields.h"
#include "app/model/setup_record.h"
#include "app/model/value_text.h"
#include "link/exchange_engine.h"
#include "link/exchange_state.h"
#include "link/instrument_errors.h"
#include "link/my_comm.h"
#include "link/protocol.h"
#include "platform/class_library/dialogs.h"
#include "platform/text/number_format.h"
#include "platform/text/number_scan.h"
#include "platform/class_library/utf8_literal.h"

namespace {

enum Step : int {
    ReadReferenceType = 0,
    ReferenceType = 1,
    SettingsUnits = 2,
    ReferenceUnits = 3,
    SweepStart = 30,
    ReferenceAnswer = 31,
    Channel1Answer = 32,
    Channel4Answer = 35,
    Pause = 36,
    EndOfRun = 220,
};
constexpr int kLastWaitingStep = 209;
constexpr int kSweepGuardTicks = 70;
constexpr int kPauseTicks = 10;
constexpr int kRestartTicks = 10;

enum Kind : int { KindPressure = 0, KindCurrent = 1, KindError = 2 };

std::optional<int> IntegerOf(const std::optional<std::string>& text) {
    return text ? platform::ScanInteger(*text) : std::nullopt;
}

const char* TextOf(const std::optional<std::string>& text) { return text ? text->c_str() : nullptr; }

}  // namespace

QString TFrameMeas::ChannelUnits(int channel) const {
    return SetupRecord ? ChannelText(SetupRecord, channel, channel::UnitsText) : QString();
}

// A kPa value in the channel's units; an unknown unit was reported when the run started.
float TFrameMeas::InChannelUnits(int channel, float kpa) const {
    return ReferenceInChannelUnits(SetupRecord, channel, kpa);
}

float TFrameMeas::ChannelFactor(int channel) const {
    return SetupRecord ? ChannelFloat(SetupRecord, channel, channel::UnitsFactor) : 1.0f;
}

bool TFrameMeas::RowTicked(int channel) const {
    const QTreeWidgetItem* item = lv_Meas->topLevelItem(channel - 1);
    return item && item->checkState(0) == Qt::Checked;
}

bool TFrameMeas::IsChannelSelected(int channel) const {
    if (channel == 0) return cbPetlSource->currentIndex() == 0;
    return RowTicked(channel);
}

void TFrameMeas::SetCell(int channel, int column, const QString& text) {
    if (QTreeWidgetItem* item = lv_Meas->topLevelItem(channel - 1)) item->setText(column, text);
}

bool TFrameMeas::OutOfTolerance(int channel, float error) const { return ::OutOfTolerance(SetupRecord, channel, error); }

void TFrameMeas::EndCycle() {
    BitBtn_Start->show();
    BitBtn_Stop->hide();
    BitBtn_Write->setEnabled(false);
    FrameGraph1->EnableSampling(false);
    StopWork();
}

// Events are taken one at a time: one that comes while a step runs waits for it to finish.
void TFrameMeas::MeasCycleStep(std::uint16_t event, const WorkInput& input) {
    PendingEvent pending{event, std::nullopt, input.parser ? input.parser->Error : 0};
    if (input.text) pending.text = std::string(input.text);
    pending_.push_back(std::move(pending));
    if (inStep_) return;
    inStep_ = true;
    while (!pending_.empty()) {
        const PendingEvent next = std::move(pending_.front());
        pending_.pop_front();
        if (WorkState != WorkMeasurement) continue;  // the run ended under it
        RunStep(next);
    }
    inStep_ = false;
}

void TFrameMeas::RunStep(const PendingEvent& e) {
    TMyComm* const line = Hooks.port ? Hooks.port() : nullptr;
    if (line == nullptr) return;
    TMyComm& port = *line;
    const auto address = static_cast<std::uint8_t>(DevAddr);
    if (e.event & EvStart) WorkStep = ReadReferenceType;
    if (e.event & EvStop) WorkStep = EndOfRun;
    if (e.event == EvErrorAnswer) {
        EndCycle();
        platform::MessageDlg(U(InstrumentErrorText(e.error)), platform::MsgDlgType::Error, platform::mbOK);
        return;
    }
    if (e.event == EvTimeout) {
        EndCycle();
        platform::MessageDlg(U("Нет связи с устройством!"), platform::MsgDlgType::Error, platform::mbOK);
        return;
    }
    if (WorkStep >= 1 && WorkStep <= kLastWaitingStep && e.event != EvAnswer && e.event != EvDelay) return;

    const bool automaticUnits = Hooks.referenceUnitsFromInstrument && Hooks.referenceUnitsFromInstrument();
    for (;;) {
        switch (WorkStep) {
            case ReadReferenceType:
                if (ReopenPort(port) != 0) {
                    WorkStep = EndOfRun;
                    continue;
                }
                UiExchange = false;
                Requester = nullptr;
                SendRequest(port, address, CmdRead, 259, MemCommand, DataByte);
                WorkStep = ReferenceType;
                DelayTicks = 1;
                return;
            case ReferenceType: {
                if (!e.text) return;
                const bool zeroSetting =
                    Hooks.showReferenceType && Hooks.showReferenceType(QString::fromLatin1(e.text->c_str()));
                if (zeroSetting) {
                    SendRequest(port, address, CmdRead, 262, MemCommand, DataByte);
                    WorkStep = ReferenceUnits;
                } else {
                    SendRequest(port, address, CmdRead, 25, MemSettings, DataByte);
                    WorkStep = SettingsUnits;
                }
                return;
            }
            case SettingsUnits: {
                const std::optional<int> code = IntegerOf(e.text);
                if (code && (*code == 6 || *code == 7) && Hooks.selectSettingsUnit) {
                    const QString units = Hooks.selectSettingsUnit(*code);
                    if (automaticUnits && SetupRecord) SetSetupText(SetupRecord, setup::RefUnits, units);
                }
                WorkStep = SweepStart;
                continue;
            }
            case ReferenceUnits: {
                const std::optional<int> code = IntegerOf(e.text);
                if (code && *code >= 5 && *code <= 12 && Hooks.selectReferenceUnit) {
                    const QString units = Hooks.selectReferenceUnit(*code);
                    if (automaticUnits && SetupRecord) SetSetupText(SetupRecord, setup::RefUnits, units);
                }
                WorkStep = SweepStart;
                continue;
            }
            case SweepStart:
                DelayTicks = kSweepGuardTicks;
                SendSetMode(cbPetlSource->currentIndex() == 1 ? kSourceChannel1Current : kSourceReference);
                return;
            case ReferenceAnswer:
                OnReferenceAnswer(TextOf(e.text));
                SendSetMode(kSourceChannel1Current);
                return;
            case Channel1Answer:
            case Channel1Answer + 1:
            case Channel1Answer + 2: {
                const int channel = WorkStep - Channel1Answer + 1;
                if (RowTicked(channel)) OnChannelAnswer(channel, TextOf(e.text));
                SendSetMode(kSourceChannel1Current + channel);
                return;
            }
            case Channel4Answer:
                if (RowTicked(4)) OnChannelAnswer(4, TextOf(e.text));
                WorkStep = Pause;
                DelayTicks = kPauseTicks;
                TimeoutTicks = -1;
                BitBtn_Write->setEnabled(true);
                return;
            case Pause:
                if (e.event != EvDelay) return;
                WorkStep = SweepStart;
                continue;
            case EndOfRun:
                EndCycle();
                return;
            default:
                // A step pushed out of the table by another window's request: start again, and
                // arm the delay so that the restart does not wait for an event that never comes.
                WorkStep = ReadReferenceType;
                DelayTicks = kRestartTicks;
                return;
        }
    }
}

void TFrameMeas::OnReferenceAnswer(const char* text) {
    if (cbPetlSource->currentIndex() == 1) {
        ShowValue(0, KindPressure, 0.0f);  // the typed pressure replaces the value
        return;
    }
    // A lost answer is no reading: nothing is stored rather than 0 kPa.
    if (text == nullptr) return;
    const std::optional<float> value = ReadFloat(std::string_view(text));
    if (value) ShowValue(0, KindPressure, *value);
}

void TFrameMeas::OnChannelAnswer(int channel, const char* text) {
    if (SetupRecord == nullptr) return;
    QString converted = text ? QString::fromLatin1(text) : QString();
    bool present = text != nullptr;
    if (ChannelInt(SetupRecord, channel, channel::Dependency) == -1) {
        const QTreeWidgetItem* item = lv_Meas->topLevelItem(channel - 1);
        converted = item ? item->text(6) : QString();
        present = true;
    }
    const float referenceKPa = CurrentRow ? ReadFloat32(CurrentRow, MeasBlockOffset(0) + block::Pressure) : 0.0f;
    ConvertChannelAnswer(channel, present ? converted : QString(), referenceKPa);
}

int TFrameMeas::ConvertChannelAnswer(int channel, const QString& text, float referenceKPa) {
    return ShowReading(channel, ::ConvertChannelAnswer(SetupRecord, channel, text, referenceKPa));
}

int TFrameMeas::CurrentToPressure(int channel, const QString& text, std::uint8_t characteristic, float iHigh,
                                  float iLow, float pUpper, float pLower, float referenceKPa) {
    return ShowReading(channel, ::CurrentToPressure(text, characteristic, iHigh, iLow, pUpper, pLower,
                                                    InChannelUnits(channel, referenceKPa)));
}

int TFrameMeas::ShowReading(int channel, const ChannelReading& reading) {
    if (reading.result != 0) return reading.result;
    ShowValue(channel, KindPressure, reading.pressure);
    if (reading.hasCurrent) ShowValue(channel, KindCurrent, reading.current);
    ShowValue(channel, KindError, reading.error);
    return 0;
}

int TFrameMeas::ShowValue(int channel, int kind, float value) {
    if (CurrentRow == nullptr || channel < 0 || channel > 4) return -1;
    const std::size_t at = MeasBlockOffset(channel);
    const std::size_t field = kind == KindPressure ? block::Pressure : kind == KindCurrent ? block::Current : block::Error;
    WriteFloat32(CurrentRow, at + field, value);

    if (channel == 0) {
        if (kind != KindPressure) return -1;
        const QString refUnits = SetupRecord ? SetupText(SetupRecord, setup::RefUnits) : QString();
        const float refFactor = FindUnitFactor(refUnits).value_or(1.0f);
        if (cbPetlSource->currentIndex() == 1) {
            value = EditFloat(eb_P_etl);
            const float resolution = TypedResolution(eb_P_etl->text());
            for (UncertaintyBudget& budget : FBudget) {
                budget.Resolution = resolution;
                budget.RefUnitsFactor = refFactor;
            }
        } else if (Hooks.referenceInMPa && Hooks.referenceInMPa()) {
            eb_P_etl->setText(QString::fromStdString(platform::FormatGeneral(static_cast<double>(value), 15)));
        } else {
            eb_P_etl->setText(FloatText4(value));
        }
        const auto kpa = static_cast<float>(static_cast<double>(value) * static_cast<double>(refFactor));
        WriteFloat32(CurrentRow, at + block::Pressure, kpa);
        AddSample(FRefWindow, kpa);
        return 0;
    }

    const QString units = ChannelUnits(channel);
    const float lower = ChannelFloat(SetupRecord, channel, channel::LowerLimit);
    const float upper = ChannelFloat(SetupRecord, channel, channel::UpperLimit);
    SetCell(channel, 2, FloatText4(lower));
    SetCell(channel, 3, FloatText4(upper));
    SetCell(channel, 4, ChannelText(SetupRecord, channel, channel::OutputText));
    if (kind == KindCurrent) {
        SetCell(channel, 5, FloatText4(value));
    } else if (kind == KindError) {
        SetCell(channel, 8, FloatText4(value));
    } else {
        const float reference = InChannelUnits(channel, ReadFloat32(CurrentRow, MeasBlockOffset(0) + block::Pressure));
        SetCell(channel, 6, FloatText4(value) + " " + units);
        SetCell(channel, 7, FloatText4(reference) + " " + units);
    }
    lv_Meas->viewport()->update();
    if (kind != KindPressure) return 0;

    // Whatever the graph shows, a stored row carries its statistics, range and uncertainty.
    freshInRun_[channel - 1] = true;
    const float channelFactor = ChannelFactor(channel) != 0.0f ? ChannelFactor(channel) : 1.0f;
    AddSample(FChannelWindow[channel - 1],
              static_cast<float>(static_cast<double>(value) * static_cast<double>(channelFactor)));
    const float current = ReadFloat32(CurrentRow, at + block::Current);
    const auto uncertainty = static_cast<float>(static_cast<double>(ExpandedUncertainty(FBudget[channel - 1], current)) /
                                                static_cast<double>(channelFactor));
    SetCell(channel, 9, FloatText4(uncertainty) + " " + units);
    WriteFloat32(CurrentRow, at + block::Uncertainty, uncertainty);
    WriteFloat32(CurrentRow, at + block::LowerLimit, lower);
    WriteFloat32(CurrentRow, at + block::UpperLimit, upper);
    WriteTextSlot(CurrentRow, at + block::Unit, kUnitSlot, units);
    return 0;
}
