#include "link/find_device_frame.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItem>
#include <algorithm>
#include <array>
#include <optional>
#include <string_view>

#include "link/device_scan.h"
#include "link/exchange_state.h"
#include "link/my_comm.h"
#include "link/protocol.h"
#include "platform/class_library/components.h"
#include "platform/class_library/utf8_literal.h"
#include "platform/text/number_scan.h"

namespace {

constexpr const char* kTagProperty = "Tag";
constexpr int kLockedTag = 100000;  // controls with this Tag or more are locked while the link check runs
constexpr int kWorkNameLinkCheck = 2;

TFrameFindDevice* workOwner = nullptr;  // the page whose LinkCheckStep the dispatcher runs

// "COM%d".
std::optional<int> ScanComNumber(const QString& text) {
    const std::string bytes = text.toStdString();
    const std::string_view view(bytes);
    if (!view.starts_with("COM")) return std::nullopt;
    return platform::ScanInteger(view.substr(3));
}

// The index a range combo stands for: its item index plus one, 1 when nothing is chosen.
int RangePort(const QComboBox* combo) { return combo->currentIndex() < 0 ? 1 : combo->currentIndex() + 1; }

QLabel* Label(QWidget* parent, const char* name, const char* caption, const QRect& place) {
    auto* label = new QLabel(U(caption), parent);
    label->setObjectName(name);
    label->setGeometry(place);
    return label;
}

QComboBox* PortCombo(QWidget* parent, const char* name, const QRect& place) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    for (int port = 1; port <= 255; ++port) combo->addItem("COM" + QString::number(port));
    combo->setCurrentIndex(-1);
    combo->setGeometry(place);
    return combo;
}

QPushButton* Button(QWidget* parent, const char* name, const char* caption, const QRect& place) {
    auto* button = new QPushButton(U(caption), parent);
    button->setObjectName(name);
    button->setGeometry(place);
    return button;
}

}  // namespace

TFrameFindDevice::TFrameFindDevice(QWidget* parent) : QWidget(parent) {
    setObjectName("FrameFindDevice");
    platform::MarkAsOwner(this);
    resize(241, 316);

    Label1 = Label(this, "Label1", "Диапазон СOM-портов", {8, 8, 225, 16});
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    cbCOM_Start = PortCombo(this, "cbCOM_Start", {8, 28, 105, 22});
    cbCOM_End = PortCombo(this, "cbCOM_End", {128, 28, 105, 22});
    StartSearch = Button(this, "StartSearch", "   Начать поиск", {8, 60, 225, 28});
    StartSearch->setToolTip(U("Начать поиск ЗУРМ-5 в выбранном диапазоне COM-портов"));
    StartSearch->setDefault(true);
    StopSearch = Button(this, "StopSearch", "   Остановить поиск", {8, 60, 225, 28});
    StopSearch->hide();
    Label3 = Label(this, "Label3", "...", {8, 94, 40, 16});
    Label3->hide();
    LabelFindProcess = Label(this, "LabelFindProcess", "COM ...", {48, 94, 120, 16});
    LabelFindProcess->hide();
    Label5 = Label(this, "Label5", "Найдено", {8, 112, 225, 16});

    ListView1 = new QTreeWidget(this);
    ListView1->setObjectName("ListView1");
    ListView1->setGeometry(8, 130, 225, 140);
    ListView1->setColumnCount(3);
    ListView1->setHeaderLabels({U(" СОМ-порт "), U("СОМ-порт "), U("Адрес")});
    ListView1->setRootIsDecorated(false);
    ListView1->setItemsExpandable(false);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->header()->setMinimumSectionSize(0);
    ListView1->header()->setStretchLastSection(true);
    ListView1->header()->setDefaultAlignment(Qt::AlignCenter);
    ListView1->setColumnWidth(0, 0);  // the caption column stays invisible
    ListView1->setColumnWidth(1, 100);
    ListView1->installEventFilter(this);
    ListView1->viewport()->installEventFilter(this);

    CheckLink = Button(this, "CheckLink", "Проверить связь", {8, 280, 225, 28});
    CheckLink->setProperty(kTagProperty, kLockedTag);
    CheckLink->setEnabled(false);

    TimerUI = new QTimer(this);
    TimerUI->setObjectName("TimerUI");
    TimerUI->setInterval(300);

    connect(cbCOM_Start, &QComboBox::activated, this, [this] { cbCOM_StartChange(cbCOM_Start); });
    connect(cbCOM_End, &QComboBox::activated, this, [this] { cbCOM_EndChange(cbCOM_End); });
    connect(StartSearch, &QPushButton::clicked, this, [this] { StartSearchClick(StartSearch); });
    connect(CheckLink, &QPushButton::clicked, this, [this] { CheckLinkClick(CheckLink); });
    connect(ListView1, &QTreeWidget::itemSelectionChanged, this, [this] { ListView1SelectItem(ListView1); });
    connect(TimerUI, &QTimer::timeout, this, [this] { TimerUITimer(TimerUI); });
    TimerUI->start();

    ScanResultList = ListView1;
    workOwner = this;
    RegisterWork(WorkLinkCheck,
                 [this](std::uint16_t event, const WorkInput& input) { LinkCheckStep(event, input); });
}

TFrameFindDevice::~TFrameFindDevice() {
    ListView1->removeEventFilter(this);
    ListView1->viewport()->removeEventFilter(this);
    if (ScanResultList == ListView1) ScanResultList = nullptr;
    if (workOwner == this) {
        workOwner = nullptr;
        RegisterWork(WorkLinkCheck, {});
    }
}

bool TFrameFindDevice::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == ListView1 && event->type() == QEvent::FocusIn) ||
        (watched == ListView1->viewport() && event->type() == QEvent::MouseButtonRelease))
        ListView1Enter(ListView1);
    return QWidget::eventFilter(watched, event);
}

void TFrameFindDevice::cbCOM_StartChange(QObject*) {
    if (cbCOM_End->currentIndex() < cbCOM_Start->currentIndex())
        cbCOM_End->setCurrentIndex(cbCOM_Start->currentIndex());
}

void TFrameFindDevice::cbCOM_EndChange(QObject*) {
    if (cbCOM_End->currentIndex() < cbCOM_Start->currentIndex())
        cbCOM_Start->setCurrentIndex(cbCOM_End->currentIndex());
}

void TFrameFindDevice::StartSearchClick(QObject*) {
    std::array<std::int32_t, kScanPortCount> ports;
    ports.fill(-1);
    const int last = std::min(RangePort(cbCOM_End), kScanPortCount - 1);
    for (int port = RangePort(cbCOM_Start); port <= last; ++port) ports[static_cast<std::size_t>(port)] = 0;

    if (MainPort && MainPort->IsOpen()) CloseMainPort();
    ListView1->clear();
    // The empty list is painted before the scan holds the window.
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
    ScanResultList = ListView1;
    ScanPorts(kDetectFrame, kScanWaitMs, ports.data(), kScanPortCount, 9600, 0, 0, 8);

    if (ListView1->topLevelItemCount() == 0) {
        auto* row = new QTreeWidgetItem(ListView1);
        row->setText(1, U("не найдено"));
        row->setText(2, U("устройств"));
        row->setTextAlignment(1, Qt::AlignCenter);
        row->setTextAlignment(2, Qt::AlignCenter);
    }
    // The one found row is selected by the scan; the "not found" row is not, so nothing starts.
    if (ListView1->topLevelItemCount() == 1) CheckLinkClick(StartSearch);
}

void TFrameFindDevice::CheckLinkClick(QObject*) {
    if (WorkState != WorkIdle) return;
    const QList<QTreeWidgetItem*> selected = ListView1->selectedItems();
    if (selected.isEmpty()) return;
    const std::optional<int> port = ScanComNumber(selected.first()->text(1));
    if (!port) return;
    const std::optional<int> address = platform::ScanInteger(selected.first()->text(2).toStdString());
    if (!address) return;
    // The address is taken only together with its port.
    if (MainPort == nullptr || SelectPort(*MainPort, *port) == 0) return;
    DevAddr = *address;
    ShowWorkName(kWorkNameLinkCheck);
    WorkState = WorkLinkCheck;
    PostWorkEvent(EvStart);
}

void TFrameFindDevice::TimerUITimer(QObject*) {
    CheckLink->setEnabled(!ListView1->selectedItems().isEmpty());
}

void TFrameFindDevice::ListView1Enter(QObject*) {
    CheckLink->setEnabled(!ListView1->selectedItems().isEmpty());
}

void TFrameFindDevice::ListView1SelectItem(QObject*) { CheckLink->setEnabled(true); }

void TFrameFindDevice::LockControls(bool on) {
    for (QWidget* control : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (control->property(kTagProperty).toInt() >= kLockedTag) control->setEnabled(!on);
    }
}

void TFrameFindDevice::ShowWorkName(int index) {
    if (Hooks.showWorkName) Hooks.showWorkName(index);
}

void TFrameFindDevice::LinkCheckStep(std::uint16_t event, const WorkInput& input) { linkCheck_.Step(event, input); }
