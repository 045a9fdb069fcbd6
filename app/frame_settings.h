#pragma once

#include <QWidget>

class QGroupBox;
class QObject;
class QPushButton;

// The instrument settings page: settings, clock and factory number of the instrument.
class TFrameZKV_Settings : public QWidget {
    Q_OBJECT
public:
    explicit TFrameZKV_Settings(QWidget* parent = nullptr);

    // Puts the page's controls back to the instrument's factory settings.
    void DefaultConfClick(QObject* sender);

    QGroupBox* GroupBoxZavNo;
    QPushButton* WriteSystemDT;
};
