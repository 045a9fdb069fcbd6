#pragma once

#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>

#include "app/model/meas_protocol.h"

class QGroupBox;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// What the results page reaches on other pages, wired by the main window.
struct ResultsHooks {
    // The measurement page's protocol, which clearing and removing points edit.
    std::function<MeasProtocolRef()> protocol;
    // The set-up page's method document of a sensor name, for the protocols.
    std::function<QString(const QString&)> methodDocument;
};

// The results page: the recorded verification points, channel by channel, with their errors and
// tolerances; removes points, clears them, and starts the protocols.
class TFrame_Results : public QWidget {
    Q_OBJECT
public:
    explicit TFrame_Results(QWidget* parent = nullptr);

    // Numbers a verification point of channel 1..4 and shows it with the channel's units and
    // tolerance; reference is in the channel's units. protocolRow is the protocol row recorded
    // with it, -1 when none was.
    void AddResultPoint(int channel, float error, float measured, float reference, int protocolRow);
    // Empties the table, the point counters and the measurement protocol.
    void ClearResults();

    void BitBtnClearClick();
    void BitBtnRemoveLineClick();
    void Btn_ToExcelClick(QObject* sender);
    void ListViewResultsSelectItem(QTreeWidgetItem* item, bool selected);

    QTreeWidget* ListViewResults;
    QPushButton* BitBtnClear;
    QPushButton* BitBtnRemoveLine;
    QGroupBox* GroupBox1;
    QPushButton* Btn_ToExcel;
    QPushButton* Btn_ToExcel_Cal;

    std::int32_t FPointCount[4] = {};
    const std::uint8_t* FSetup = nullptr;  // the shared set-up record, read only
    ResultsHooks Hooks;

private:
    MeasProtocolRef Protocol() const;
    void SetActionsEnabled(bool enabled);
};
