#pragma once

#include <QWidget>
#include <cstdint>

// The results page: recorded points with their errors and tolerances.
class TFrame_Results : public QWidget {
    Q_OBJECT
public:
    explicit TFrame_Results(QWidget* parent = nullptr);

    std::uint8_t* SetupRecord = nullptr;
};
