#pragma once

#include <QString>
#include <QWidget>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/measurement/result_row_bridge.h"
#include "app/model/channel_conversion.h"
#include "app/model/current_row.h"
#include "app/model/statistics.h"

class QCheckBox;
class QColor;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class QTreeWidget;
class TFrameGraph;
class TMyComm;
struct WorkInput;

// What the measurement page reaches outside itself; the main window wires them up.
struct MeasurementHooks {
    std::function<TMyComm*()> port;  // the port object the cycle talks through
    std::function<void(int index)> showWorkName;
    // The set-up page: the reference's accuracy class (an item index, -1 for none) and whether the
    // reference takes the instrument's units.
    std::function<int()> referenceClassIndex;
    std::function<bool()> referenceUnitsFromInstrument;
    // The set-up page's apply and the results page, for the results rows of "Записать".
    ResultRowHooks resultRows;
    // The settings page: shows the reference's type from the instrument's answer and says whether
    // it is one with a zero setting; selects the unit of an instrument code and gives its text;
    // the reference is shown in MPa.
    std::function<bool(const QString& answer)> showReferenceType;
    std::function<QString(int code)> selectSettingsUnit;   // codes 6, 7
    std::function<QString(int code)> selectReferenceUnit;  // codes 5..12
    std::function<bool()> referenceInMPa;
};

// The measurement page: runs the cyclic measurement (work 1 of the exchange engine), shows it
// channel by channel, and records rows into the measurement protocol.
class TFrameMeas : public QWidget {
    Q_OBJECT
public:
    explicit TFrameMeas(QWidget* parent = nullptr);
    ~TFrameMeas() override;

    void SetRecords(std::uint8_t* setupRecord, std::uint8_t* currentRow);
    void BitBtn_StartClick();
    void BitBtn_StopClick();
    void BitBtn_WriteClick();
    void RefreshChannelRows();
    void SetupUncertainty();
    void cbPetlSourceChange();
    void cbTypeGraphChange();
    void lv_MeasClick();
    // The colour a row is drawn in: yellow out of tolerance, the window's within; nothing for the
    // list's own colours (no set-up, an unticked row, no error shown).
    std::optional<QColor> lv_MeasCustomDrawItem(int row) const;
    void lv_MeasMouseDown(const QPoint& position);
    void cbToGraph_Ch1Click(QCheckBox* sender);
    // The in-place pressure editor's key; Enter closes it into its cell.
    char edP_handKeyPress(char key);
    void TimerListViewEditUpdareTimer();

    // Whether the reference pressure is read from the instrument only (the set-up page's automatic units).
    void ReferenceFromInstrument(bool automatic);

    // The cycle.
    void MeasCycleStep(std::uint16_t event, const WorkInput& input);
    void OnReferenceAnswer(const char* text);
    void OnChannelAnswer(int channel, const char* text);
    int ConvertChannelAnswer(int channel, const QString& text, float referenceKPa);
    int CurrentToPressure(int channel, const QString& text, std::uint8_t characteristic, float iHigh, float iLow,
                          float pUpper, float pLower, float referenceKPa);
    int ShowValue(int channel, int kind, float value);
    bool IsChannelSelected(int channel) const;
    // |error| > |tolerance * error factor| of the channel.
    bool OutOfTolerance(int channel, float error) const;

    QTreeWidget* lv_Meas;
    QPushButton* BitBtn_Start;
    QPushButton* BitBtn_Stop;
    QPushButton* BitBtn_Write;
    QComboBox* cbPetlSource;  // where the reference pressure comes from: the instrument or the user
    QLineEdit* eb_P_etl;      // the reference pressure
    QLabel* Label_UnitsGHV;   // the reference's units
    QComboBox* cbTypeGraph;
    QCheckBox* cbToGraph_Ch1;
    QCheckBox* cbToGraph_Ch2;
    QCheckBox* cbToGraph_Ch3;
    QCheckBox* cbToGraph_Ch4;
    QCheckBox* cbToGraph_Ch0;  // the reference
    QLineEdit* edP_hand;       // the in-place editor of a pressure cell
    QTimer* TimerListViewEditUpdare;
    TFrameGraph* FrameGraph1;
    int EditRow = 0;
    int EditCol = 0;

    std::uint8_t* SetupRecord = nullptr;
    std::uint8_t* CurrentRow = nullptr;
    std::vector<std::uint8_t> MeasProtocol;  // kProtocolRows rows of kCurrentRowSize bytes
    std::int32_t MeasCount = 0;
    StatWindow FRefWindow{};
    StatWindow FChannelWindow[4]{};
    UncertaintyBudget FBudget[4]{};
    bool FResuming = false;
    MeasurementHooks Hooks;

private:
    struct PendingEvent {
        std::uint16_t event;
        std::optional<std::string> text;
        int error;
    };
    void RunStep(const PendingEvent& event);
    int ShowReading(int channel, const ChannelReading& reading);
    void EndCycle();
    void ReportUnknownUnits();
    QString ChannelUnits(int channel) const;
    float ChannelFactor(int channel) const;
    float InChannelUnits(int channel, float kpa) const;
    bool RowTicked(int channel) const;
    void SetCell(int channel, int column, const QString& text);
    QCheckBox* GraphBox(int channel) const;
    void PlaceEditor();
    void CloseEditorIntoCell();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::deque<PendingEvent> pending_;
    bool inStep_ = false;
    bool freshInRun_[4] = {};  // the channel has a pressure measured in this run
};

extern bool MeasWasRunning;  // a measurement was stopped because its page was left
extern bool OnMeasPage;      // the measurement page is the current page
