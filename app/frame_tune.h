#pragma once

#include <QWidget>
#include <cstdint>

class QLineEdit;
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
    QLineEdit* edZavNoZKV;  // the instrument's factory number, as the link check reads it
    std::uint8_t* SetupRecord = nullptr;
};
