// The archive page's two charts: the pressures and the errors of the table's measured rows.
#include <QAction>
#include <QByteArray>
#include <QColor>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <array>

#include "app/archive/frame_archive.h"
#include "app/controls/chart_toolbar.h"
#include "app/controls/control_checks.h"
#include "app/controls/tool_chart.h"
#include "platform/class_library/utf8_literal.h"
#include "platform/text/number_scan.h"

namespace {

struct SeriesForm {
    const char* title;
    QColor colour;
    int column;  // the table column its points come from
};

const QColor kBlack(0, 0, 0);
const QColor kRed(255, 0, 0);
const QColor kGreen(0, 128, 0);
const QColor kYellow(255, 255, 0);
const QColor kBlue(0, 0, 255);

const SeriesForm kValueSeries[] = {
    {"P эт.", kBlack, 4}, {"P 1", kRed, 5}, {"P 2", kGreen, 8}, {"P 3", kYellow, 11}, {"P 4", kBlue, 14},
};
const SeriesForm kErrorSeries[] = {
    {"1", kBlack, 6}, {"2", kRed, 9}, {"3", kGreen, 12}, {"4", kYellow, 15},
};

constexpr int kTemperatureColumn = 2;

const std::array<const char*, kChartToolPositions> kArchiveGraphTools = {
    "ARLeft",    "ARRight",    "ARUp",    "ARDown",    nullptr, "ToolButton2", "ToolButton4",
    "ARNoZoom",  nullptr,      "ARZoomXIn", "ARZoomXOut", nullptr, "ARZoomYIn", "ARZoomYOut",
    nullptr,     "ARPrint",    nullptr,   "ToolButton19", nullptr, "ToolButton27",
};
const std::array<const char*, kChartToolPositions> kFaultGraphTools = {
    "ToolButton5",  "ToolButton6",  "ToolButton7", "ToolButton8",  nullptr, "ToolButton10", "ToolButton11",
    "ToolButton12", nullptr,        "ToolButton14", "ToolButton16", nullptr, "ToolButton18", "ToolButton20",
    nullptr,        "ToolButton23", nullptr,      "ToolButton22", nullptr, "ToolButton25",
};

template <std::size_t N>
void AddSeries(TChart* chart, const SeriesForm (&forms)[N]) {
    for (const SeriesForm& form : forms) chart->AddSeries(U(form.title), form.colour);
}

// A row is plotted when it has cells and its temperature cell begins with an integer, which
// leaves out blank records ("------") and records that failed their checksum.
bool IsMeasuredRow(const QTreeWidgetItem* item) {
    if (item->columnCount() <= 1) return false;
    const QByteArray temperature = item->text(kTemperatureColumn).toUtf8();
    return platform::IntegerLength(std::string_view(temperature.constData(), static_cast<std::size_t>(temperature.size()))) > 0;
}

template <std::size_t N>
void AddPoints(TChart* chart, const SeriesForm (&forms)[N], const QTreeWidget* table, int row) {
    for (std::size_t i = 0; i < N; ++i)
        chart->AddPoint(static_cast<int>(i), ListCellFloat(table, row, forms[i].column));
}

}  // namespace

void TFrameArchiv::BuildCharts() {
    ArchiveGraph = new TChart("ArchiveGraph", U("Значения"), this);
    AddSeries(ArchiveGraph, kValueSeries);
    FaultGraph = new TChart("FaultGraph", U("Погрешность, %"), this);
    AddSeries(FaultGraph, kErrorSeries);
    ArchiveGraphToolBar = AddChartToolBar(ArchiveGraph, "ArchiveGraphToolBar", kArchiveGraphTools);
    ToolBar1 = AddChartToolBar(FaultGraph, "ToolBar1", kFaultGraphTools);
    ToolButton27 = ArchiveGraphToolBar->findChild<QToolButton*>("ToolButton27");
    ToolButton25 = ToolBar1->findChild<QToolButton*>("ToolButton25");
    for (QToolBar* bar : {ArchiveGraphToolBar, ToolBar1}) {
        for (QAction* position : bar->actions()) {
            auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(position));
            if (button == nullptr || button == ToolButton27 || button == ToolButton25) continue;
            connect(button, &QToolButton::clicked, this, [this, button] { ARLeftClick(button); });
        }
    }
    connect(ToolButton27, &QToolButton::clicked, this, [this] { ToolButton27Click(); });
    connect(ToolButton25, &QToolButton::clicked, this, [this] { ToolButton25Click(); });
}

void TFrameArchiv::MakeGraphClick() {
    ArchiveGraph->ClearSeries();
    FaultGraph->ClearSeries();
    for (int row = 0; row < ListViewArchiv1->topLevelItemCount(); ++row) {
        if (!IsMeasuredRow(ListViewArchiv1->topLevelItem(row))) continue;
        AddPoints(ArchiveGraph, kValueSeries, ListViewArchiv1, row);
        AddPoints(FaultGraph, kErrorSeries, ListViewArchiv1, row);
    }
    ArchiveGraph->Rescale();
    FaultGraph->Rescale();
}

void TFrameArchiv::ARLeftClick(QObject* sender) { ChartToolClick(sender); }

void TFrameArchiv::ToolButton27Click() { ArchiveGraph->ClearSeries(); }

void TFrameArchiv::ToolButton25Click() { FaultGraph->ClearSeries(); }
