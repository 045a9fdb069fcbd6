#pragma once

#include <QWidget>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
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
    // The reference transducer is of type 43 (one with a zero setting); shows its zero group so.
    bool CheckRefTransducer(const QString& answer);

    QGroupBox* GroupBoxZavNo;
    QPushButton* WriteSystemDT;
    QComboBox* cfgEtlPD_30_unit;  // the reference unit the instrument reports, codes 5..12 (type 43)
    QComboBox* cfgEtlPDunit;      // the reference unit of the settings record, kPa or MPa
    // Of the two, the one shown: it holds the reference unit the measurement works in.
    QComboBox* ReferenceUnitCombo() const;
    QListWidget* UnitStr;          // unit names by the instrument's codes; selection: the last code learnt
    QLineEdit* ebLowEtl;
    QLineEdit* ebHiEtl;
    QGroupBox* GroupBoxSetZerro;
    int FRxStage = 0;  // stage of the running answer-driven machine (settings read or write, clock read)
};
