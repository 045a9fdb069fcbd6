#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "app/model/device_settings.h"
#include "link/exchange_engine.h"

class QComboBox;
class QDateEdit;
class QDateTime;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QObject;
class QPushButton;
class QSpinBox;
class QTimeEdit;

// What the settings page reaches outside itself; the main window wires them up.
struct SettingsPageHooks {
    std::function<void(int index)> showWorkName;  // status bar, operation names 0..16
    std::function<QString(int index)> message;    // the main window's hidden message list
};

// The instrument settings page: reads and writes the instrument's settings record, its clock and
// its factory number, and sends the zero setting of a reference transducer that has one. Every
// exchange is one-shot; the answers come back through the routing rows the page registers.
class TFrameZKV_Settings : public QWidget {
    Q_OBJECT
  public:
    explicit TFrameZKV_Settings(QWidget* parent = nullptr);

    // The page's rows of the exchange engine's routing table.
    std::vector<AnswerRoute> SettingsAnswerRoutes();

    // The record and the controls.
    void LoadDefaultConf();
    void ConfToForm();
    // False, after saying so, when a limit edit the user can type holds no number or a factory
    // number is one the record cannot hold; the record is then unchanged.
    bool ConfFromForm();
    void DefaultConfClick(QObject* sender);

    // Settings read and write.
    void ReadConfClick(QObject* sender);
    // One answer of the settings read's stage machine; the link check drives it from stage 1.
    void RxSetings(const char* answerText);
    // Sets the stage from outside: a read that begins at stage 1 has no first part of its own.
    void SetRxStage(int stage);
    // The reference transducer is of type 43 (one with a zero setting); shows its zero group so.
    bool CheckRefTransducer(const QString& answer);
    // The two views of the reference: type 43 (its own unit and range) or any other.
    void ShowReferenceType(bool type43);
    void WriteConfClick(QObject* sender);
    void RxWriteConf(const char* answerText);

    // Clock.
    void ReadDTClick(QObject* sender);
    void RxDateTime(const char* answerText);
    // False, after saying so, when the date picker's year does not fit the clock.
    bool WriteDTClick(QObject* sender);
    void RxWriteDT(const char* answerText);
    void WriteSystemDTClick(QObject* sender);

    // The instrument's factory number, and the zero setting.
    void BitBtn1Click(QObject* sender);
    // The factory-number read's answer into ebZavNo: "%05d", or "???".
    void PutFactoryNumber(const char* answerText);
    void BtnSetZavNoClick(QObject* sender);
    void Btn_SetZeroClick(QObject* sender);

    // The PC's local date and time.
    static QDateTime LocalNow();

    // Key filters: the character a typed key delivers, 0 to drop it.
    static char cfgHiPKeyPress(char key);
    static char cfgNo_1KeyPress(char key);

    // Of the two reference unit combos, the one shown: it holds the unit the measurement works in.
    QComboBox* ReferenceUnitCombo() const;

    QGroupBox* GroupConfig;
    QLabel* LabelYear;
    QSpinBox* cfgYear;
    QSpinBox* cfgApprox;
    QSpinBox* cfgDigits;
    QComboBox* cfgU_24_36_V;
    QComboBox* cfgRelayTest;
    QComboBox* cfgZummer;
    QComboBox* cfgAutoOff;
    QComboBox* cfgEtlPDunit;      // the reference unit of the settings record, kPa or MPa
    QComboBox* cfgEtlPD_30_unit;  // the reference unit the instrument reports, codes 5..12 (type 43)
    QComboBox* cfgDevPDunits;
    QComboBox* cfg_I_range;
    QLineEdit* cfgHiP;
    QLineEdit* cfgLoP;
    QLineEdit* ebHiEtl;
    QLineEdit* ebLowEtl;
    QLineEdit* cfgNo_1;
    QLineEdit* cfgNo_2;
    QLineEdit* cfgNo_3;
    QLineEdit* cfgNo_4;
    QListWidget* UnitStr;  // unit names by the instrument's codes; selection: the last code learnt
    QPushButton* ReadConf;
    QPushButton* WriteConf;
    QPushButton* DefaultConf;

    QGroupBox* GroupBoxZavNo;
    QLineEdit* ebZavNo;
    QPushButton* BitBtn1;
    QPushButton* BtnSetZavNo;

    QGroupBox* GroupBox8;
    QDateEdit* DatePicker;
    QTimeEdit* TimePicker;
    QPushButton* ReadDT;
    QPushButton* WriteDT;
    QPushButton* WriteSystemDT;

    QGroupBox* GroupBoxSetZerro;
    QPushButton* Btn_SetZero;

    TDeviceSettings Conf;  // the settings record
    int FRxStage = 0;      // stage of the running answer-driven machine (settings read or write, clock read)
    int FirstPartLen = 0;  // record bytes the first answer of the current settings read carried
    SettingsPageHooks Hooks;

  private:
    void BuildSettings();
    void BuildFactoryNumber();
    void BuildClock();
    void BuildZeroSetting();
    void ConnectHandlers();
    SettingsView ReadForm() const;
    SettingsView FormAsTaken() const;
    void ShowSensorNumbers(const SettingsByteSet& knownBefore);
    void SendSettingsFirstBlock();
    void TakeMissingSettings(const char* answerText);
    QLineEdit* LimitEdit(SettingsLimit limit) const;
    std::array<QLineEdit*, 4> SensorNumberEdits() const;
    void ShowWorkName(int index);
    QString Message(int index) const;
    void RefuseValues(QWidget* control);

    SettingsView shown_;  // what the controls showed of the record when it was last put into them
    // The bytes of Conf that hold what this instrument sent or what the page chose; the settings
    // write reads the others before it sends anything.
    SettingsByteSet known_;
    // The year byte the instrument's clock has (register 16), as last read or written; the
    // settings write sends it and no other.
    std::optional<std::uint8_t> instrumentYear_;
    std::optional<std::uint8_t> clockYearSent_;  // the year of a clock write not yet answered
};
