// The settings page on its own line: its controls, its key filters, and its stage machines fed
// answers that no well-behaved instrument sends.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QLayout>
#include <QRect>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimeEdit>
#include <QTimer>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/model/device_clock.h"
#include "app/settings/frame_settings.h"
#include "link/exchange_state.h"
#include "link/my_comm.h"
#include "platform/class_library/utf8_literal.h"
#include "platform/system/clock.h"
#include "tests/app/window_fixture.h"
#include "tests/support/printers.h"

namespace {

// An answer text in a heap block of its exact size, so that reading past its end is caught.
class HeapText {
  public:
    explicit HeapText(const std::string& text) : bytes_(std::make_unique<char[]>(text.size() + 1)) {
        std::memcpy(bytes_.get(), text.c_str(), text.size() + 1);
    }
    const char* get() const { return bytes_.get(); }

  private:
    std::unique_ptr<char[]> bytes_;
};

// Bodies of the requests the page wrote on the line since the last call.
std::vector<std::string> Bodies(platform::MemoryLine& line) {
    std::vector<std::string> bodies;
    const std::string bytes = line.takeFromHost();
    for (std::size_t at = bytes.find("\xff:"); at != std::string::npos; at = bytes.find("\xff:", at + 2)) {
        const std::size_t end = bytes.find('\r', at);
        const std::size_t lastSep = bytes.rfind(';', end);
        bodies.push_back(bytes.substr(at + 2, lastSep - at - 1));
    }
    return bodies;
}

std::string RecordHex(const TDeviceSettings& record) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (std::uint8_t b : SettingsBytes(record)) {
        text += kDigits[b >> 4];
        text += kDigits[b & 0x0F];
    }
    return text;
}

class SettingsPage : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        start();
        page = window->FrameZKV_Settings1;
        dialogs.shown.clear();
    }

    TFrameZKV_Settings* page = nullptr;
};

TEST_F(SettingsPage, IsBuiltWithEveryControlAndStartsWithTheFactorySettings) {
    const struct {
        QPushButton* button;
        const char* caption;
        const char* hint;
    } buttons[] = {
        {page->ReadConf, "   Считать", ""},
        {page->WriteConf, "   Записать", ""},
        {page->DefaultConf, "По умолчанию", ""},
        {page->BitBtn1, "   Считать", ""},
        {page->BtnSetZavNo, "Записать", ""},
        {page->ReadDT, "Считать из прибора  ", "Считать из прибора его дату и время"},
        {page->WriteDT, "   Записать в прибор", "Записать в прибор выбранные дату и время"},
        {page->WriteSystemDT, "Записать в прибор \n дату и время ПК",
         "Записать текущие значения даты и времени, установленных в Вашей системе"},
        {page->Btn_SetZero, "Установить '0'", ""},
    };
    for (const auto& b : buttons) {
        EXPECT_EQ(b.button->text(), U(b.caption)) << b.button->objectName().toStdString();
        EXPECT_EQ(b.button->toolTip(), U(b.hint)) << b.button->objectName().toStdString();
    }
    const struct {
        QComboBox* combo;
        QStringList items;
    } lists[] = {
        {page->cfgU_24_36_V, {U("24 В"), U("36 В")}},
        {page->cfgZummer, {U("выкл."), U("вкл.")}},
        {page->cfgEtlPDunit, {U("кПа"), U("МПа")}},
        {page->cfg_I_range, {U("0-5 мА"), U("4-20 мА")}},
        {page->cfgDevPDunits,
         {U("Па"), U("кПа"), U("МПа"), U("кгc/см2"), U("кгc/м2"), U("мм.рт.ст."), U("бар"), U("psi")}},
        {page->cfgEtlPD_30_unit,
         {U("Па"), U("кПа"), U("МПа"), U("кгс/см2"), U("кгс/м2"), U("мм.рт.ст."), U("бар"), U("psi")}},
    };
    for (const auto& l : lists) {
        QStringList items;
        for (int i = 0; i < l.combo->count(); ++i) items << l.combo->itemText(i);
        EXPECT_EQ(items, l.items) << l.combo->objectName().toStdString();
    }
    EXPECT_NE(page->cfgDevPDunits->itemText(3), page->cfgEtlPD_30_unit->itemText(3)) << "a Latin c";
    EXPECT_EQ(page->UnitStr->item(12)->text(), "psi");
    EXPECT_EQ(page->UnitStr->item(4)->text(), "--");
    EXPECT_EQ(page->GroupBoxSetZerro->title(), U("Установка 'нуля' для ГХВ УЛМ-63 "));
    EXPECT_EQ(page->GroupBoxZavNo->title(), U("Заводской № ЗКВ :"));
    EXPECT_EQ(page->GroupBox8->title(), U("Дата и время"));
    EXPECT_TRUE(page->GroupBoxZavNo->isHidden());
    EXPECT_TRUE(page->GroupBoxSetZerro->isHidden());
    EXPECT_TRUE(page->cfgYear->isHidden());
    EXPECT_FALSE(page->cfgEtlPD_30_unit->isEnabled());
    EXPECT_EQ(page->ReferenceUnitCombo(), page->cfgEtlPD_30_unit) << "as the form is loaded";

    // The first show put the factory settings into the controls.
    EXPECT_EQ(page->cfgYear->value(), 7);
    EXPECT_EQ(page->cfgApprox->value(), 1);
    EXPECT_EQ(page->cfgDigits->value(), 2);
    EXPECT_EQ(page->cfgZummer->currentIndex(), 1);
    EXPECT_EQ(page->cfgEtlPDunit->currentIndex(), 0);
    EXPECT_EQ(page->cfgDevPDunits->currentIndex(), 0);
    EXPECT_EQ(page->cfg_I_range->currentIndex(), 1);
    EXPECT_EQ(page->ebHiEtl->text(), "1000.0000");
    EXPECT_EQ(page->cfgLoP->text(), "0.0000");
    // The sensors' factory numbers are the instrument's: none is shown before one is read.
    EXPECT_EQ(page->cfgNo_3->text(), "");
    EXPECT_EQ(RecordHex(page->Conf), RecordHex(DefaultDeviceSettings()));
}

TEST_F(SettingsPage, KeysAreFilteredAndFactoryNumbersStopAtEightDigits) {
    window->Pages->setCurrentIndex(5);
    const struct {
        QLineEdit* edit;
        const char* typed;
        const char* arrives;
    } cases[] = {
        {page->cfgHiP, "1,5", "1.5"},
        {page->ebLowEtl, "-2ю5x", "-2.5"},
        {page->cfgNo_1, "12a3-4.", "1234"},
        {page->cfgNo_1, "1234567890", "12345678"},
        {page->cfgNo_2, "1234567890", "1234567890"},
        {page->cfgNo_4, "123456789", "12345678"},
        {page->ebZavNo, "0065535x9", "00655359"},
    };
    for (const auto& c : cases) {
        c.edit->clear();
        for (QChar ch : U(c.typed)) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
            QCoreApplication::sendEvent(c.edit, &press);
        }
        EXPECT_EQ(c.edit->text(), U(c.arrives)) << c.edit->objectName().toStdString() << " " << c.typed;
    }
}

TEST_F(SettingsPage, ShortOrBrokenSettingsAnswersFillOnlyWhatTheyCarry) {
    // The record begins as 0x5A throughout; what an answer does not cover stays so.
    const auto record = [](const std::string& head) {
        std::string hex = head;
        while (hex.size() < 2 * kDeviceSettingsSize) hex += "5A";
        return hex;
    };
    const struct Case {
        const char* name;
        std::string first;   // answer to the first block
        std::string next;    // the next block read
        std::string second;  // answer to it
        std::string recordBytes;
    } cases[] = {
        {"odd answer", "0A1", "1;10;17;2;4;", std::string(94, '1'), "0A" + std::string(94, '1')},
        {"not a digit", "0A0BZZ0C", "1;10;18;2;4;", "", record("0A0B")},
        {"a short second block", "0A0B", "1;10;18;2;4;", "0C0D0", record("0A0B0C0D")},
        {"empty", "", "1;10;16;2;4;", std::string(96, '3'), std::string(96, '3')},
        {"whole record and more", std::string(100, '7'), "1;10;64;2;4;", "0102", std::string(96, '7')},
        {"32 bytes, then more than 16", std::string(64, '2'), "1;10;48;2;4;", std::string(40, '9'),
         std::string(64, '2') + std::string(32, '9')},
    };
    for (const Case& c : cases) {
        std::memset(&page->Conf, 0x5A, sizeof page->Conf);
        page->ReadConfClick(page->ReadConf);
        EXPECT_EQ(Bodies(line), std::vector<std::string>{"1;10;16;2;4;"}) << c.name;
        const HeapText first(c.first);
        page->RxSetings(first.get());
        EXPECT_EQ(Bodies(line), std::vector<std::string>{c.next}) << c.name;
        const HeapText second(c.second);
        page->RxSetings(second.get());
        EXPECT_EQ(Bodies(line), std::vector<std::string>{"1;10;259;0;1;"}) << c.name;
        EXPECT_EQ(RecordHex(page->Conf), c.recordBytes) << c.name;
    }
}

TEST_F(SettingsPage, TheLinkChecksSettingsAnswerFillsTheRecordFromItsFirstByte) {
    page->ReadConfClick(page->ReadConf);
    const HeapText shortFirst(std::string(40, '1'));
    page->RxSetings(shortFirst.get());  // 20 bytes: the next read would start at byte 20
    Bodies(line);
    // A time-out ends that read; the link check then drives the machine from stage 1.
    page->SetRxStage(1);
    const HeapText linkCheck(std::string(64, '4'));
    page->RxSetings(linkCheck.get());
    EXPECT_EQ(RecordHex(page->Conf).substr(0, 64), std::string(64, '4'));
    EXPECT_EQ(Bodies(line), std::vector<std::string>{"1;10;259;0;1;"});
    EXPECT_EQ(page->FRxStage, 2);
}

TEST_F(SettingsPage, AShortClockAnswerShowsInvalidValuesAndAValid29FebruaryIsKept) {
    const auto now = std::chrono::sys_days{std::chrono::year{2031} / 7 / 14} + std::chrono::hours{10} +
                     std::chrono::minutes{20} + std::chrono::seconds{30};
    const platform::WallClock previous = platform::SetWallClock([&] { return now; });
    const QTime pcTime =
        QDateTime::fromMSecsSinceEpoch(
            std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count())
            .time();
    struct Case {
        const char* name;
        std::string block;
        std::string year;
        QTime time;
        QDate date;
    } cases[] = {
        {"whole", "80005959A3B192", "24", QTime(23, 59, 59), QDate(2024, 12, 31)},
        {"29 February of a leap year", "8000000000290200", "24", QTime(0, 0, 0), QDate(2024, 2, 29)},
        {"29 February of another year", "80000000006902", "25", QTime(0, 0, 0), ZeroDate()},
        {"short", "80000705", "25", pcTime, QDate(2025, 12, 30)},
        {"empty", "", "", pcTime, QDate(2000, 12, 30)},
        {"one character short", "80005959A3B19", "24", QTime(23, 59, 59), QDate(2024, 12, 30)},
        {"no time", "80006000A3B192", "24", pcTime, QDate(2024, 12, 31)},
    };
    for (const Case& c : cases) {
        page->ReadDTClick(page->ReadDT);
        EXPECT_EQ(Bodies(line), std::vector<std::string>{"1;10;0;2;4;"}) << c.name;
        const HeapText block(c.block);
        page->RxDateTime(block.get());
        EXPECT_EQ(Bodies(line), std::vector<std::string>{"1;10;16;2;1;"}) << c.name;
        const HeapText year(c.year);
        page->RxDateTime(year.get());
        EXPECT_EQ(page->TimePicker->time(), c.time) << c.name;
        EXPECT_EQ(page->DatePicker->date(), c.date) << c.name;
        EXPECT_EQ(Requester, nullptr) << c.name;
        EXPECT_FALSE(UiExchange) << c.name;
        EXPECT_EQ(page->FRxStage, 0) << c.name;
    }
    platform::SetWallClock(previous);
}

TEST_F(SettingsPage, TheFactoryNumberAnswerShowsFiveDigitsOrQuestionMarks) {
    const struct {
        const char* answer;
        const char* shown;
    } cases[] = {{"7", "00007"}, {"65535", "65535"}, {"", "???"}, {"ABC", "???"}, {"99999999999", "???"}};
    for (const auto& c : cases) {
        const HeapText answer(c.answer);
        page->PutFactoryNumber(answer.get());
        EXPECT_EQ(page->ebZavNo->text(), c.shown) << c.answer;
    }
}

TEST_F(SettingsPage, DatesTheClockCannotCarryAreRefusedBeforeAnythingIsSent) {
    for (const QDate& date : {QDate(1999, 12, 31), QDate(2256, 1, 1), ZeroDate()}) {
        page->FRxStage = 3;
        page->DatePicker->setDate(date);
        dialogs.shown.clear();
        EXPECT_FALSE(page->WriteDTClick(page->WriteDT));
        EXPECT_EQ(dialogs.texts(), std::vector<QString>{U("Указаны неверные значения!")});
        ASSERT_EQ(dialogs.shown.size(), 1u);
        EXPECT_EQ(dialogs.shown[0].type, platform::MsgDlgType::Error);
        EXPECT_TRUE(Bodies(line).empty());
        EXPECT_EQ(page->FRxStage, 3) << "nothing running was abandoned";
        EXPECT_EQ(window->StatusPanelText(2), "");
    }
    const auto late = std::chrono::sys_days{std::chrono::year{2256} / 6 / 1};
    const platform::WallClock previous = platform::SetWallClock([&] { return late; });
    dialogs.shown.clear();
    page->WriteSystemDTClick(page->WriteSystemDT);
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{U("Указаны неверные значения!")});
    EXPECT_TRUE(Bodies(line).empty());
    EXPECT_EQ(window->StatusPanelText(2), "");
    platform::SetWallClock(previous);
}

TEST_F(SettingsPage, FactoryNumbersOutsideTheRegisterAreRefusedWithThePagesMessage) {
    for (const char* text : {"65536", "", "-1", "-0001", "99999999999", "abc"}) {
        page->ebZavNo->setText(text);
        dialogs.shown.clear();
        page->BtnSetZavNoClick(page->BtnSetZavNo);
        EXPECT_EQ(dialogs.texts(), std::vector<QString>{U("Невозможно выполнить операцию")}) << text;
        ASSERT_EQ(dialogs.shown.size(), 1u);
        EXPECT_EQ(dialogs.shown[0].type, platform::MsgDlgType::Error);
        EXPECT_EQ(dialogs.shown[0].buttons, platform::mbOK);
        EXPECT_TRUE(Bodies(line).empty()) << text;
    }
    page->ebZavNo->setText("65535");
    page->BtnSetZavNoClick(page->BtnSetZavNo);
    EXPECT_EQ(Bodies(line), std::vector<std::string>{"1;11;30;3;2;65535;"});
    EXPECT_EQ(Requester, nullptr);
    EXPECT_TRUE(UiExchange);
}

TEST_F(SettingsPage, ALimitWithoutANumberStopsTheWriteAndNothingIsSent) {
    for (QLineEdit* edit : {page->cfgHiP, page->cfgLoP, page->ebHiEtl, page->ebLowEtl}) {
        page->DefaultConfClick(page->DefaultConf);
        page->cfgApprox->setValue(9);
        edit->setText("-");
        dialogs.shown.clear();
        page->WriteConfClick(page->WriteConf);
        EXPECT_EQ(dialogs.texts(), std::vector<QString>{U("Указаны неверные значения!")})
            << edit->objectName().toStdString();
        EXPECT_TRUE(Bodies(line).empty());
        EXPECT_EQ(page->Conf.Averaging, 1) << "the record stays as it was";
        EXPECT_EQ(Requester, nullptr);
    }
}

// The class library's message box, as Qt shows it, closed from inside its own modal loop.
TEST_F(SettingsPage, TheRefusedFactoryNumberIsARealModalErrorBox) {
    platform::Dialogs* scripted = platform::SetDialogs(nullptr);
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        text = box->text();
        icon = box->icon();
        for (QAbstractButton* button : box->buttons()) {
            if (button->text() == "OK") return button->click();
        }
        box->close();
    });
    page->ebZavNo->setText("65536");
    page->BtnSetZavNo->click();
    platform::SetDialogs(scripted);
    EXPECT_EQ(text, U("Невозможно выполнить операцию"));
    EXPECT_EQ(icon, QMessageBox::Critical);
    EXPECT_TRUE(Bodies(line).empty());
}

TEST_F(SettingsPage, TheReferenceTypesControlsComeAndGoWithoutMovingAnything) {
    window->SelectPage(window->Pages->indexOf(page));
    const auto placed = [this] {
        page->layout()->activate();
        return std::vector<QRect>{page->GroupConfig->geometry(), page->GroupBox8->geometry(),
                                  page->cfgDevPDunits->geometry(), page->cfgHiP->geometry(),
                                  page->ReadConf->geometry(),      page->ReferenceUnitCombo()->geometry()};
    };
    const std::vector<QRect> before = placed();
    for (const bool type43 : {true, false, true}) {
        page->ShowReferenceType(type43);
        ASSERT_EQ(page->GroupBoxSetZerro->isHidden(), !page->CheckRefTransducer(type43 ? "43" : "41"));
        EXPECT_EQ(placed(), before) << type43;
    }
}

}  // namespace
