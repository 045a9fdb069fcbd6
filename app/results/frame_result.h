#pragma once

#include <QWidget>
#include <cstdint>

// The results page: recorded points with their errors and tolerances.
class TFrame_Results : public QWidget {
    Q_OBJECT
public:
    explicit TFrame_Results(QWidget* parent = nullptr);

    // Numbers a verification point of the channel and shows it with the channel's units and tolerance.
    void AddResultPoint(int channel, float error, float measured, float reference);

    std::uint8_t* SetupRecord = nullptr;
};
