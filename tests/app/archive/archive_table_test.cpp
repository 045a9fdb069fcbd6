// The archive table, its drag selection and its two charts, on the page alone.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <set>

#include "app/archive/frame_archive.h"
#include "app/controls/chart_toolbar.h"
#include "app/controls/tool_chart.h"
#include "platform/class_library/utf8_literal.h"
#include "sim/archive.h"
#include "tests/support/printers.h"
#include "tests/support/qt_application.h"
#include "tests/support/scripted_dialogs.h"

namespace {

TArchiveRecord FromBytes(const sim::ArchiveRecordBytes& bytes) {
    TArchiveRecord record;
    std::memcpy(&record, bytes.data(), sizeof record);
    return record;
}

TArchiveRecord Sealed(TArchiveRecord record) {
    record.Crc = ArchiveRecordCrc(record);
    return record;
}

// A measured record with the values given, sealed with its checksum.
TArchiveRecord Measured(float temperature, float reference, float pressure, float error) {
    TArchiveRecord record{};
    record.Units = 6;
    record.AmbientTemp = temperature;
    record.PRef = reference;
    for (int ch = 0; ch < 4; ++ch) {
        record.PMeas[ch] = pressure + static_cast<float>(ch);
        record.Error[ch] = error - static_cast<float>(ch);
    }
    return Sealed(record);
}

TArchiveRecord Failed() {
    TArchiveRecord record = Measured(20.0f, 1.0f, 1.0f, 0.0f);
    record.Crc ^= 1;
    return record;
}

class ArchiveTable : public ::testing::Test, testing_support::WithApplication {
protected:
    ArchiveTable() : page(std::make_unique<TFrameArchiv>()), table(page->ListViewArchiv1) {}

    void AddRows(int count) {
        for (int n = 0; n < count; ++n) page->AddArchiveRow(table, FromBytes(sim::MeasuredArchiveRecordBytes(n)));
    }
    QStringList Cells(int row) const {
        QStringList cells;
        for (int column = 1; column < table->topLevelItem(row)->columnCount(); ++column)
            cells << table->topLevelItem(row)->text(column);
        return cells;
    }
    std::set<int> SelectedRows() const {
        std::set<int> rows;
        for (const QModelIndex& index : table->selectionModel()->selectedRows()) rows.insert(index.row());
        return rows;
    }
    // A mouse event over the middle of a table row (-1: below the last row) sent to the table.
    void Mouse(QEvent::Type type, int row, Qt::MouseButton button, Qt::MouseButtons held,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* viewport = table->viewport();
        QPointF at(20, viewport->height() - 2);
        if (row >= 0) {
            const QRect rect = table->visualItemRect(table->topLevelItem(row));
            at = QRectF(rect).center();
        }
        QMouseEvent event(type, at, viewport->mapToGlobal(at), button, held, modifiers);
        QApplication::sendEvent(viewport, &event);
    }
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(table, &press);
    }
    std::vector<QPointF> Points(TChart* chart, int series) const { 
        const QList<QPointF> points = chart->Series[static_cast<std::size_t>(series)]->points();
        return {points.begin(), points.end()};
    }

    std::unique_ptr<TFrameArchiv> page;
    QTreeWidget* table;
    testing_support::ScriptedDialogs dialogs;
    testing_support::InstalledDialogs installed{dialogs};
};

TEST_F(ArchiveTable, IsBuiltAsItsFormDescribes) {
    const struct {
        const char* caption;
        int width;
    } columns[] = {
        {"№", 40},         {"  Дата/время", 120}, {"Т в.с., °С", 80}, {"Единицы", 80},    {"P  эт.", 60},
        {"P изм. 1", 71},   {"Погр.1, % ", 88},    {"Зав.№ 1", 80},    {"P изм. 2", 72},   {"Погр.2, % ", 88},
        {"Зав.№ 2", 80},    {"P изм. 3", 72},      {"Погр.3, % ", 90}, {"Зав.№ 3", 80},    {"P изм. 4", 75},
        {"Погр.4, % ", 90}, {"Зав.№ 4", 80},
    };
    ASSERT_EQ(table->columnCount(), 17);
    // The form's widths, all scaled by one factor for the table's font (and rounded up).
    double scale = std::numeric_limits<double>::max();
    for (int i = 0; i < 17; ++i) scale = std::min(scale, static_cast<double>(table->columnWidth(i)) / columns[i].width);
    EXPECT_GE(scale, 1.0);
    for (int i = 0; i < 17; ++i) {
        EXPECT_EQ(table->headerItem()->text(i), U(columns[i].caption)) << i;
        EXPECT_LT(table->columnWidth(i) - columns[i].width * scale, 1.0) << i;
    }
    EXPECT_FALSE(table->header()->sectionsClickable());
    EXPECT_EQ(table->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(table->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(table->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_TRUE(table->font().bold());

    QStringList units;
    for (int i = 0; i < page->UnitStr->count(); ++i) units << page->UnitStr->item(i)->text();
    EXPECT_EQ(units, (QStringList{"--", "--", "--", "--", "--", U("Па"), U("кПа"), U("МПа"), U("кгс/см2"), U("кгс/м2"),
                                  U("мм.рт.ст."), U("бар"), "psi", "--", "--", "--"}));
    EXPECT_TRUE(page->UnitStr->isHidden());
    EXPECT_EQ(page->MakeGraph->objectName(), "MakeGraph");
    EXPECT_EQ(page->MakeGraph->text(), U("   Построить график"));
    EXPECT_EQ(page->ExcelArchive->objectName(), "ExcelArchive");
    EXPECT_EQ(page->ExcelArchive->text(), U("   Перенести в Excel"));
    EXPECT_EQ(page->ExcelArchive->toolTip(), U("Перенести архив из таблицы в Microsoft® Excel"));

    const struct {
        TChart* chart;
        const char* name;
        const char* title;
        std::vector<std::pair<const char*, QColor>> series;
        QToolBar* bar;
        const char* barName;
        std::vector<const char*> buttons;  // by position, null for a separator
    } charts[] = {
        {page->ArchiveGraph, "ArchiveGraph", "Значения",
         {{"P эт.", Qt::black}, {"P 1", Qt::red}, {"P 2", QColor(0, 128, 0)}, {"P 3", Qt::yellow}, {"P 4", Qt::blue}},
         page->ArchiveGraphToolBar, "ArchiveGraphToolBar",
         {"ARLeft", "ARRight", "ARUp", "ARDown", nullptr, "ToolButton2", "ToolButton4", "ARNoZoom", nullptr,
          "ARZoomXIn", "ARZoomXOut", nullptr, "ARZoomYIn", "ARZoomYOut", nullptr, "ARPrint", nullptr, "ToolButton19",
          nullptr, "ToolButton27"}},
        {page->FaultGraph, "FaultGraph", "Погрешность, %",
         {{"1", Qt::black}, {"2", Qt::red}, {"3", QColor(0, 128, 0)}, {"4", Qt::yellow}},
         page->ToolBar1, "ToolBar1",
         {"ToolButton5", "ToolButton6", "ToolButton7", "ToolButton8", nullptr, "ToolButton10", "ToolButton11",
          "ToolButton12", nullptr, "ToolButton14", "ToolButton16", nullptr, "ToolButton18", "ToolButton20", nullptr,
          "ToolButton23", nullptr, "ToolButton22", nullptr, "ToolButton25"}},
    };
    for (const auto& c : charts) {
        EXPECT_EQ(c.chart->objectName(), c.name);
        EXPECT_EQ(c.chart->View->chart()->title(), U(c.title));
        EXPECT_TRUE(c.chart->View->chart()->legend()->isVisible());
        ASSERT_EQ(c.chart->Series.size(), c.series.size()) << c.name;
        for (std::size_t i = 0; i < c.series.size(); ++i) {
            EXPECT_EQ(c.chart->Series[i]->name(), U(c.series[i].first)) << c.name << i;
            EXPECT_EQ(c.chart->Series[i]->pen().color(), c.series[i].second) << c.name << i;
            EXPECT_EQ(c.chart->Series[i]->pen().width(), 2) << c.name << i;
        }
        EXPECT_EQ(c.bar->objectName(), c.barName);
        EXPECT_EQ(c.bar->parent(), c.chart);
        ASSERT_EQ(c.bar->actions().size(), 20) << c.name;
        for (int i = 0; i < 20; ++i) {
            QAction* position = c.bar->actions().at(i);
            auto* button = qobject_cast<QToolButton*>(c.bar->widgetForAction(position));
            if (c.buttons[static_cast<std::size_t>(i)] == nullptr) {
                EXPECT_TRUE(position->isSeparator()) << c.name << i;
            } else {
                ASSERT_NE(button, nullptr) << c.name << i;
                EXPECT_EQ(button->objectName(), c.buttons[static_cast<std::size_t>(i)]);
            }
        }
    }
}

// The widest texts every column holds, in the table's own font, at the widths it is built with.
TEST_F(ArchiveTable, EveryColumnShowsItsCaptionAndItsWidestCellsWhole) {
    TArchiveRecord widest{};
    widest.Units = 10;  // "мм.рт.ст."
    widest.AmbientTemp = -999.9999f;
    widest.PRef = -9999.999f;
    for (int ch = 0; ch < 4; ++ch) {
        widest.PMeas[ch] = -9999.999f;
        widest.Error[ch] = -999.9999f;
        widest.SensorNo[ch][0] = widest.SensorNo[ch][1] = widest.SensorNo[ch][2] = 0xFF;
    }
    widest.Day = 28;
    widest.Month = 12;
    widest.Year = 25;
    widest.Hour = 23;
    widest.Minute = 58;
    widest.Second = 58;
    TArchiveRecord usual = Measured(21.5f, 90.0f, 600.0f, 0.05f);
    usual.Day = 21;
    usual.Month = 9;
    usual.Year = 25;
    usual.Hour = 16;
    usual.Minute = 45;
    usual.Second = 30;
    page->AddArchiveRow(table, Sealed(widest));
    page->AddArchiveRow(table, Sealed(usual));
    ASSERT_EQ(Cells(0).value(0), U("28/12/2025  23:58:58"));
    ASSERT_EQ(Cells(0).value(3), U("-9999.999"));
    ASSERT_EQ(Cells(0).value(6), U("16777215"));
    ASSERT_EQ(Cells(1).value(3), U("90.0000"));
    page->resize(1223, 600);
    page->show();
    QApplication::processEvents();

    const QFontMetrics metrics(table->font());
    const QAbstractItemView* view = table;  // the table's own measure of its cells
    for (int column = 0; column < table->columnCount(); ++column) {
        const QString caption = table->headerItem()->text(column);
        EXPECT_GE(table->columnWidth(column), table->header()->sectionSizeHint(column)) << caption.toStdString();
        EXPECT_GE(table->columnWidth(column), view->sizeHintForColumn(column)) << caption.toStdString();
        for (int row = 0; row < 2; ++row) {
            const QString text = table->topLevelItem(row)->text(column);
            EXPECT_LT(metrics.horizontalAdvance(text), table->columnWidth(column)) << text.toStdString();
        }
    }
}

TEST_F(ArchiveTable, EveryRecordKindHasItsRow) {
    TArchiveRecord edge{};
    edge.Units = 0x16;  // кПа: only the low four bits count
    edge.AmbientTemp = 123456.78f;
    edge.PRef = -1234.56789f;
    edge.PMeas[0] = 12345.6789f;
    edge.Error[0] = -0.5f;
    const std::uint8_t when[6] = {5, 3, 9, 14, 7, 0};
    std::memcpy(&edge.Day, when, sizeof when);
    const std::uint8_t sensor[3] = {0x39, 0x30, 0x00};
    std::memcpy(edge.SensorNo[0], sensor, sizeof sensor);
    TArchiveRecord noUnit = edge;
    noUnit.Units = 0x0D;

    page->AddArchiveRow(table, Sealed(edge));
    page->AddArchiveRow(table, BlankArchiveRecord());
    page->AddArchiveRow(table, Failed());
    page->AddArchiveRow(table, Sealed(noUnit));
    page->AddArchiveRow(nullptr, Sealed(edge));  // no table: nothing

    ASSERT_EQ(table->topLevelItemCount(), 4);
    for (int row = 0; row < 4; ++row) EXPECT_EQ(table->topLevelItem(row)->text(0), QString::number(row + 1));
    EXPECT_EQ(Cells(0), (QStringList{"5/3/2009  14:7:0", "123456.78", U("кПа"), "-1234.567", "12345.678", "-0.5000",
                                     "0012345", "0.0000", "0.0000", "0000000", "0.0000", "0.0000", "0000000", "0.0000",
                                     "0.0000", "0000000"}));
    EXPECT_EQ(Cells(1), QStringList(16, QStringLiteral("------")));
    EXPECT_EQ(Cells(2), QStringList()) << "a record failing its checksum shows its number only";
    EXPECT_EQ(Cells(3)[2], "--");
    EXPECT_EQ(TFrameArchiv::FloatCellText(12345.6789f), "12345.678");
    EXPECT_EQ(TFrameArchiv::ArchDateTimeText(edge), "5/3/2009  14:7:0");
}

TEST_F(ArchiveTable, DraggingSelectsFromThePressedRowAndKeepsWhatItPassed) {
    page->resize(1200, 2400);
    page->show();
    AddRows(40);
    ASSERT_TRUE(table->visualItemRect(table->topLevelItem(25)).isValid());

    Mouse(QEvent::MouseButtonPress, 10, Qt::LeftButton, Qt::LeftButton);
    Mouse(QEvent::MouseMove, 20, Qt::NoButton, Qt::LeftButton);
    Mouse(QEvent::MouseMove, 15, Qt::NoButton, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, 15, Qt::LeftButton, Qt::NoButton);
    std::set<int> expected;
    for (int row = 10; row <= 20; ++row) expected.insert(row);
    EXPECT_EQ(SelectedRows(), expected);
    EXPECT_FALSE(page->FSelAnchor.isValid()) << "the release ends the drag";

    // Upwards from the pressed row as well; a move after the release selects nothing more.
    Mouse(QEvent::MouseButtonPress, 30, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(page->FSelAnchor.row(), 30);
    Mouse(QEvent::MouseMove, 27, Qt::NoButton, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, 27, Qt::LeftButton, Qt::NoButton);
    Mouse(QEvent::MouseMove, 35, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(SelectedRows(), (std::set<int>{27, 28, 29, 30}));

    // With Shift the table's own selection runs: it extends from the current row.
    Mouse(QEvent::MouseButtonPress, 33, Qt::LeftButton, Qt::LeftButton, Qt::ShiftModifier);
    Mouse(QEvent::MouseButtonRelease, 33, Qt::LeftButton, Qt::NoButton, Qt::ShiftModifier);
    EXPECT_EQ(SelectedRows(), (std::set<int>{30, 31, 32, 33}));
    EXPECT_FALSE(page->FSelAnchor.isValid());

    // Another button leaves the selection to the table as well.
    Mouse(QEvent::MouseButtonPress, 5, Qt::RightButton, Qt::RightButton);
    EXPECT_FALSE(page->FSelAnchor.isValid());

    // A press below the rows starts no drag of rows.
    Mouse(QEvent::MouseButtonPress, -1, Qt::LeftButton, Qt::LeftButton);
    EXPECT_FALSE(page->FSelAnchor.isValid());
    Mouse(QEvent::MouseButtonRelease, -1, Qt::LeftButton, Qt::NoButton);

    // Emptying the table forgets the anchor with the rows.
    Mouse(QEvent::MouseButtonPress, 2, Qt::LeftButton, Qt::LeftButton);
    table->clear();
    EXPECT_FALSE(page->FSelAnchor.isValid());
}

TEST_F(ArchiveTable, KeysMoveAndExtendTheSelection) {
    page->resize(1200, 900);
    page->show();
    AddRows(10);
    table->setCurrentItem(table->topLevelItem(2));
    Key(Qt::Key_Down);
    EXPECT_EQ(SelectedRows(), std::set<int>{3});
    Key(Qt::Key_Down, Qt::ShiftModifier);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(SelectedRows(), (std::set<int>{3, 4, 5}));
    Key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(SelectedRows().size(), 10u);
}

TEST_F(ArchiveTable, TheGraphPlotsEveryMeasuredRowAtTheNextIndex) {
    page->AddArchiveRow(table, Measured(20.5f, 100.125f, 12345.6789f, -0.25f));
    page->AddArchiveRow(table, BlankArchiveRecord());
    page->AddArchiveRow(table, Measured(21.0f, 200.0f, 2.0f, 0.5f));
    page->AddArchiveRow(table, Failed());
    page->AddArchiveRow(table, Measured(std::numeric_limits<float>::quiet_NaN(), 1.0f, 1.0f, 0.0f));
    page->AddArchiveRow(table, Measured(-3.0f, -300.0f, 3.0f, 1.5f));
    table->topLevelItem(5)->setSelected(true);  // the selection does not restrict the graph
    page->ArchiveGraph->AddPoint(0, 99.0);       // what was plotted before goes

    page->MakeGraph->click();
    // Points carry the values as the cells show them: 12345.6789 is plotted as 12345.678.
    const struct {
        TChart* chart;
        int series;
        std::vector<double> values;
    } cases[] = {
        {page->ArchiveGraph, 0, {100.125, 200, -300}},
        {page->ArchiveGraph, 1, {12345.678f, 2, 3}},
        {page->ArchiveGraph, 2, {12346.678f, 3, 4}},
        {page->ArchiveGraph, 4, {12348.678f, 5, 6}},
        {page->FaultGraph, 0, {-0.25, 0.5, 1.5}},
        {page->FaultGraph, 3, {-3.25, -2.5, -1.5}},
    };
    for (const auto& c : cases) {
        const std::vector<QPointF> points = Points(c.chart, c.series);
        ASSERT_EQ(points.size(), 3u) << c.chart->objectName().toStdString() << c.series;
        for (std::size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(points[i].x(), static_cast<double>(i));
            EXPECT_NEAR(points[i].y(), c.values[i], 1e-3) << c.chart->objectName().toStdString() << c.series << i;
        }
    }
    EXPECT_EQ(page->ArchiveGraph->Scale(ChartAxis::Bottom).Maximum, 2.0);
    EXPECT_EQ(page->ArchiveGraph->Scale(ChartAxis::Left).Minimum, -300.0);

    // Each "Очистить" empties its own chart only.
    page->ToolButton27->click();
    for (QLineSeries* series : page->ArchiveGraph->Series) EXPECT_EQ(series->count(), 0);
    for (QLineSeries* series : page->FaultGraph->Series) EXPECT_EQ(series->count(), 3);
    page->ToolButton25->click();
    for (QLineSeries* series : page->FaultGraph->Series) EXPECT_EQ(series->count(), 0);
}

TEST_F(ArchiveTable, EachToolBarStepsItsOwnChart) {
    page->AddArchiveRow(table, Measured(20.0f, 0.0f, 0.0f, 0.0f));
    page->AddArchiveRow(table, Measured(20.0f, 100.0f, 100.0f, 100.0f));
    page->MakeGraph->click();
    const struct {
        const char* button;
        TChart* stepped;
        TChart* still;
    } cases[] = {
        {"ARLeft", page->ArchiveGraph, page->FaultGraph},
        {"ToolButton5", page->FaultGraph, page->ArchiveGraph},
    };
    for (const auto& c : cases) {
        ChartAutoAxes(page->ArchiveGraph);
        ChartAutoAxes(page->FaultGraph);
        page->findChild<QToolButton*>(c.button)->click();
        EXPECT_FALSE(c.stepped->Scale(ChartAxis::Bottom).Automatic) << c.button;
        EXPECT_DOUBLE_EQ(c.stepped->Scale(ChartAxis::Bottom).Minimum, -0.1) << c.button;
        EXPECT_TRUE(c.still->Scale(ChartAxis::Bottom).Automatic) << c.button;
    }
}

}  // namespace
