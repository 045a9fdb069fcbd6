// The set-up page's apply and show: the page's controls to SetupRecord and back.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>

#include "app/controls/control_checks.h"
#include "app/model/pressure_units.h"
#include "app/model/record_fields.h"
#include "app/model/setup_record.h"
#include "app/model/value_text.h"
#include "app/setup/frame_tune.h"
#include "platform/class_library/dialogs.h"
#include "platform/class_library/utf8_literal.h"
#include "platform/text/number_format.h"

namespace {

constexpr int kChannels = 4;
const char* const kNoSensor = "нет";

void ShowError(const QString& text, const QString& caption) {
    platform::MessageBox(nullptr, text, caption, platform::MB_ICONERROR | platform::MB_OK);
}

void FocusIfPossible(QWidget* widget) {
    if (CanTakeFocus(widget)) widget->setFocus();
}

int ItemIndexIgnoringCase(const QComboBox* combo, const QString& text) {
    return combo->findText(text, Qt::MatchFixedString);
}

}  // namespace

int ParseFloatText(const QString& text, float& out) {
    if (text.isEmpty()) return -1;
    const std::optional<float> value = ReadFloat(text);
    out = value.value_or(0.0f);
    return value ? 0 : -1;
}

int ParseFloatEdit(const QLineEdit* edit, float& out) { return edit ? ParseFloatText(edit->text(), out) : -1; }

int TFrameTune::ParseFloatCell(int row, int column, float& out) const { return ParseFloatText(CellText(row, column), out); }

QString TFrameTune::FindMethodDocument(const QString& name) const {
    QString result;
    if (name.isEmpty()) return result;
    for (int row = 0; row < sg_MP->rowCount(); ++row) {
        const QTableWidgetItem* device = sg_MP->item(row, 0);
        if (device == nullptr || !device->text().trimmed().contains(name)) continue;
        const QTableWidgetItem* document = sg_MP->item(row, 1);
        result = document ? document->text().left(39) : QString();
    }
    return result;
}

bool TFrameTune::CanShowMessages() const {
    return Hooks.isCurrentPage && Hooks.isCurrentPage() && CanTakeFocus(this);
}

int TFrameTune::TuneFromForm(std::uint8_t* record) {
    if (record == nullptr) return -1;
    SetSetupText(record, setup::AirTemp, Edit1->text());
    if (CheckEditRange(Edit1, 60, -20) != 0) return -1;
    SetSetupText(record, setup::Humidity, Edit2->text());
    if (CheckEditRange(Edit2, 100, 0) != 0) return -1;
    SetSetupText(record, setup::AtmPressure, Edit3->text());
    if (CheckEditRange(Edit3, 800, 630) != 0) return -1;
    SetSetupText(record, setup::Verifier, EditName->text());
    SetSetupText(record, setup::RefType, cbGHV_type->currentText());
    SetSetupText(record, setup::RefModel, cbGHVmodel->currentText());
    const QString refSerial = cbZavNo->currentText();
    SetSetupText(record, setup::RefSerial, refSerial);
    if (!refSerial.isEmpty() && ItemIndexIgnoringCase(cbZavNo, refSerial) < 0) {
        cbZavNo->addItem(refSerial);
        const QSignalBlocker quiet(cbZavNo);
        cbZavNo->setCurrentIndex(cbZavNo->count() - 1);
    }
    SetSetupText(record, setup::RefClass, cbGHV_class->currentText());
    SetSetupText(record, setup::InstrSerial, edZavNoZKV->text());
    SetSetupText(record, setup::InstrRange, cb_ZKV_Diap->currentText());
    // With automatic units the reference is read in the unit the instrument reports; that is the
    // combo the measurement cycle keeps up to date.
    const bool fromInstrument = cbGHVunitsFromZKV->isChecked() && Hooks.instrumentReferenceUnit;
    SetSetupText(record, setup::RefUnits, fromInstrument ? Hooks.instrumentReferenceUnit() : cbGHVunits->currentText());

    // An empty edit keeps the factor, an unreadable one makes it 0.
    float factor = ReadFloat32(record, setup::ErrorFactor);
    const int parsed = ParseFloatEdit(Edit_Kf_Fault, factor);
    WriteFloat32(record, setup::ErrorFactor, factor);
    if (parsed != 0 || factor < 0.0f || factor > 1.0f) {
        FocusIfPossible(Edit_Kf_Fault);
        ShowError(U("Значение коэффициента погрешности должно быть в диапазоне 0...1"), U("Ошибка"));
        return -1;
    }
    record[setup::IsPeriodic] = rb_IsPeriodic->isChecked() ? 1 : 0;
    SetSetupText(record, setup::OwnerName, ed_OwnerName->text());

    for (int n = 1; n <= kChannels; ++n) {
        const QString name = CellText(n, 1);
        SetChannelText(record, n, channel::SensorName, name);
        SetChannelText(record, n, channel::MethodDoc, FindMethodDocument(name));
        if (name == U(kNoSensor)) {
            SetChannelInt(record, n, channel::Used, 0);
            continue;
        }
        SetChannelInt(record, n, channel::Used, 1);
        SetChannelText(record, n, channel::SensorModel, CellText(n, 2).trimmed());
        SetChannelText(record, n, channel::SensorSerial, CellText(n, 3).trimmed());
        float lower = ChannelFloat(record, n, channel::LowerLimit);
        float upper = ChannelFloat(record, n, channel::UpperLimit);
        ParseFloatCell(n, 4, lower);
        ParseFloatCell(n, 5, upper);
        SetChannelFloat(record, n, channel::LowerLimit, lower);
        SetChannelFloat(record, n, channel::UpperLimit, upper);
        if (lower == upper) return -1;
        const QString unitsText = CellText(n, 6).trimmed();
        const QString output = CellText(n, 7).trimmed();
        SetChannelText(record, n, channel::UnitsText, unitsText);
        SetChannelText(record, n, channel::OutputText, output);
        std::int32_t dependency = ItemIndexIgnoringCase(ComboFunc, CellText(n, 8));
        if (output.contains(U(kNoSensor))) dependency = -1;
        SetChannelInt(record, n, channel::Dependency, dependency);
        SetChannelFloat(record, n, channel::UnitsFactor, UnitFactor(unitsText));
        float tolerance = ChannelFloat(record, n, channel::Tolerance);
        ParseFloatCell(n, 9, tolerance);
        SetChannelFloat(record, n, channel::Tolerance, tolerance);
    }
    return 0;
}

int TFrameTune::TuneToForm(std::uint8_t* record) {
    if (record == nullptr) return -1;
    Edit1->setText(SetupText(record, setup::AirTemp));
    Edit2->setText(SetupText(record, setup::Humidity));
    Edit3->setText(SetupText(record, setup::AtmPressure));
    EditName->setText(SetupText(record, setup::Verifier));
    cbZavNo->setCurrentText(SetupText(record, setup::RefSerial));
    cbGHV_class->setCurrentText(SetupText(record, setup::RefClass));
    edZavNoZKV->setText(SetupText(record, setup::InstrSerial));
    Edit_Kf_Fault->setText(FloatText4(ReadFloat32(record, setup::ErrorFactor)));

    for (int n = 1; n <= kChannels; ++n) {
        SetCellText(n, 1, ChannelText(record, n, channel::SensorName));
        if (ChannelInt(record, n, channel::Used) == 0) {
            for (int column = 2; column <= 9; ++column) SetCellText(n, column, U("- - -"));
            continue;
        }
        SetCellText(n, 2, ChannelText(record, n, channel::SensorModel));
        SetCellText(n, 3, ChannelText(record, n, channel::SensorSerial));
        SetCellText(n, 4, FloatText4(ChannelFloat(record, n, channel::LowerLimit)));
        SetCellText(n, 5, FloatText4(ChannelFloat(record, n, channel::UpperLimit)));
        SetCellText(n, 6, ChannelText(record, n, channel::UnitsText));
        const QString output = ChannelText(record, n, channel::OutputText);
        SetCellText(n, 7, output);
        const std::int32_t dependency = ChannelInt(record, n, channel::Dependency);
        if (dependency >= 0 && dependency < ComboFunc->count()) {
            SetCellText(n, 8, ComboFunc->itemText(dependency));
        } else if (output.contains(U(kNoSensor))) {
            // The same test as the apply's: a channel without current output stays one.
            SetCellText(n, 8, QString());
        } else {
            SetCellText(n, 8, ComboFunc->itemText(0));
            SetChannelInt(record, n, channel::Dependency, 0);
        }
        SetCellText(n, 9, FloatText3(ChannelFloat(record, n, channel::Tolerance)));
    }
    Grid_Tune->viewport()->update();
    if (Hooks.showReferenceUnits) Hooks.showReferenceUnits(SetupText(record, setup::RefUnits));
    SetChangeButtons(false);
    return 0;
}

void TFrameTune::BitBtn_ApplyClick(QObject*) {
    pn_MP->hide();
    if (TuneFromForm(SetupPtr) == 0) {
        TuneToForm(SetupPtr);
        return;
    }
    if (CanShowMessages()) ShowError(U("Указаны неверные значения!"), U("Ошибка"));
}

int TFrameTune::TuneForRecording(std::uint8_t* record) {
    if (TuneFromForm(record) == 0) return 0;
    // Some checks fail without a message of their own (equal range limits): the user pressed a
    // button and learns why nothing was recorded.
    ShowError(U("Указаны неверные значения!"), U("Ошибка"));
    return -1;
}

void TFrameTune::BitBtn_UndoClick(QObject*) { TuneToForm(SetupPtr); }
