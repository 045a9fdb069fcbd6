#pragma once

#include <QWidget>
#include <cstdint>

class QObject;
class QPushButton;

// The verification set-up page.
class TFrameTune : public QWidget {
    Q_OBJECT
public:
    explicit TFrameTune(QWidget* parent = nullptr);

    // Applies the page into SetupRecord.
    void BitBtn_ApplyClick(QObject* sender);

    QPushButton* BitBtn_Apply;
    QPushButton* BitBtn_Undo;
    std::uint8_t* SetupRecord = nullptr;
};
