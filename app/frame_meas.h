#pragma once

#include <QWidget>
#include <cstdint>

class QPushButton;

// The measurement page: starts, stops and records the cyclic measurement.
class TFrameMeas : public QWidget {
    Q_OBJECT
public:
    explicit TFrameMeas(QWidget* parent = nullptr);

    void SetRecords(std::uint8_t* setupRecord, std::uint8_t* currentRow);
    void BitBtn_StartClick();
    void BitBtn_StopClick();
    void RefreshChannelRows();

    QPushButton* BitBtn_Start;
    QPushButton* BitBtn_Stop;
    QPushButton* BitBtn_Write;

    std::uint8_t* SetupRecord = nullptr;
    std::uint8_t* CurrentRow = nullptr;
    bool FResuming = false;
};
