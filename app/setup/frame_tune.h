#pragma once

#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QListWidget;
class QObject;
class QPushButton;
class QRadioButton;
class QTableWidget;

// What the set-up page reaches on other pages; the main window wires them up.
struct SetupPageHooks {
    std::function<bool()> isCurrentPage;  // the set-up page is the page shown
    // The reference unit the measurement works in, as the settings page shows it.
    std::function<QString()> instrumentReferenceUnit;
    std::function<void(const QString& units)> showReferenceUnits;  // on the measurement page
    // The reference follows the instrument's units (true): the measurement reads the reference
    // from the instrument only.
    std::function<void(bool automatic)> referenceFromInstrument;
};

// The verification set-up page: conditions, reference transducer, instrument, kind of
// verification, owner, and the grid of the four transducers under test. Apply copies it into
// SetupRecord with its checks; the rest of the program reads the record.
class TFrameTune : public QWidget {
    Q_OBJECT
public:
    explicit TFrameTune(QWidget* parent = nullptr);

    // Apply and undo, and the record's two directions.
    void BitBtn_ApplyClick(QObject* sender);
    void BitBtn_UndoClick(QObject* sender);
    int TuneFromForm(std::uint8_t* record);
    // TuneFromForm for a recording made on another page ("Записать"): when the page does not
    // apply, it says so whichever page is shown, after the messages of the checks, if any.
    int TuneForRecording(std::uint8_t* record);
    int TuneToForm(std::uint8_t* record);
    int ParseFloatCell(int row, int column, float& out) const;
    // The method document of a sensor name from the method-document grid, or an empty text.
    QString FindMethodDocument(const QString& name) const;

    // Handlers.
    void Grid_TuneSelectCell(int column, int row);
    void Grid_TuneClick();
    void Grid_TuneExit();
    // The character a key typed into the grid delivers, or 0 to drop it.
    char Grid_TuneKeyPress(char key);
    void ComboBoxModel_1Change(QObject* sender);
    void ComboBoxModel_1Exit(QObject* sender);
    // True when the key was consumed.
    bool ComboBoxModel_1KeyDown(QObject* sender, int key);
    void Edit1Change();
    void cbGHVmodelChange();
    void cbGHVunitsFromZKVClick();
    void RadioButton1Click();
    // Selects the item of cbZavNo that equals the text, ignoring letter case, or none.
    void SelectSerialOfText(const QString& text);
    void sg_MPKeyPress();
    void Btn_Show_MPClick();
    void Bnt_Hide_pn_MPClick();
    void AddDeviceName(QComboBox* combo, const QString& name);

    // " Условия поверки "
    QLineEdit* Edit1;
    QLineEdit* Edit2;
    QLineEdit* Edit3;
    QLineEdit* EditName;
    // The reference transducer.
    QComboBox* cbGHV_type;
    QComboBox* cbGHVmodel;
    QComboBox* cbZavNo;
    QComboBox* cbGHV_class;
    QComboBox* cbGHVunits;
    QCheckBox* cbGHVunitsFromZKV;
    QLineEdit* Edit_Kf_Fault;
    QLineEdit* edZavNoZKV;  // the instrument's factory number, as the link check reads it
    QComboBox* cb_ZKV_Diap;
    QRadioButton* RadioButton1;
    QRadioButton* rb_IsPeriodic;
    QLineEdit* ed_OwnerName;
    QPushButton* Btn_Show_MP;

    QTableWidget* Grid_Tune;
    QListWidget* ListGridColNames;
    QComboBox* ComboBoxModel_1;
    QComboBox* ComboBoxModel_2;
    QComboBox* ComboBoxModel_3;
    QComboBox* ComboBoxModel_4;
    QComboBox* ComboUnits;
    QComboBox* ComboOutDiap;
    QComboBox* ComboFunc;
    QLabel* Label_help;
    QPushButton* BitBtn_Apply;
    QPushButton* BitBtn_Undo;

    QGroupBox* pn_MP;
    QTableWidget* sg_MP;
    QPushButton* Bnt_Hide_pn_MP;

    std::uint8_t* SetupPtr = nullptr;
    SetupPageHooks Hooks;

    QComboBox* NameCombo(int row) const;
    QString CellText(int row, int column) const;
    void SetCellText(int row, int column, const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildConditions(class QGridLayout* layout);
    void BuildReference(QGridLayout* layout);
    void BuildGrid();
    void BuildInPlaceCombos();
    void BuildMethodPanel();
    void SetChangeButtons(bool enabled);
    QComboBox* InPlaceComboFor(int column, int row) const;
    bool CanShowMessages() const;
};

// Reads a text as the page reads its numbers: 0 and the value in out, or -1 (an empty text leaves
// out alone, an unreadable one sets it to 0).
int ParseFloatText(const QString& text, float& out);
int ParseFloatEdit(const QLineEdit* edit, float& out);
