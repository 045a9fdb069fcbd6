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
    // One answer of the settings read's stage machine; the link check drives it from stage 1.
    void RxSetings(const char* data);

    QGroupBox* GroupBoxZavNo;
    QPushButton* WriteSystemDT;
    int FRxStage = 0;  // stage of the running answer-driven machine (settings read or write, clock read)
};
