// The archive page's charts as they are drawn in the main window at its default size.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QFontMetrics>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <string>

#include "app/controls/tool_chart.h"
#include "tests/app/archive/archive_page_fixture.h"
#include "tests/support/printers.h"

namespace {

// The texts the chart draws left of its plot area: the left axis's labels as the reader sees them.
QStringList DrawnLeftLabels(const TChart& chart) {
    const QRectF plot = chart.View->chart()->plotArea();
    QStringList labels;
    for (const QGraphicsItem* item : chart.View->scene()->items(Qt::AscendingOrder)) {
        const auto* text = dynamic_cast<const QGraphicsTextItem*>(item);
        // The start value's label is empty.
        if (text == nullptr || !text->isVisible() || text->toPlainText().isEmpty()) continue;
        const QRectF box = text->sceneBoundingRect();
        if (box.right() > plot.left() + 1 || box.bottom() < plot.top() - 1 || box.top() > plot.bottom() + 1) continue;
        labels << text->toPlainText();
    }
    labels.sort();
    return labels;
}

TEST_F(ArchivePageTest, TheValuesChartShowsItsLeftLabelsWholeAtTheWindowsDefaultSize) {
    window->SelectPage(4);
    const float values[] = {598.5f, 600.0f, 601.25f, 600.5f, 599.75f};
    for (float value : values) {
        TArchiveRecord record{};
        record.Units = 6;
        record.AmbientTemp = 21.5f;
        record.PRef = value;
        for (int ch = 0; ch < 4; ++ch) {
            record.PMeas[ch] = value + 0.01f * static_cast<float>(ch);
            record.Error[ch] = 0.01f * static_cast<float>(ch);
        }
        record.Crc = ArchiveRecordCrc(record);
        page->AddArchiveRow(page->ListViewArchiv1, record);
    }
    page->MakeGraphClick();
    ASSERT_EQ(window->size(), QSize(1223, 768));

    // The default size first, then the window made as low as it goes, and taller.
    for (const QSize size : {QSize(1223, 768), QSize(1223, 412), QSize(1223, 1000)}) {
        window->resize(size);
        QApplication::processEvents();
        for (TChart* chart : {page->ArchiveGraph, page->FaultGraph}) {
            SCOPED_TRACE(chart->objectName().toStdString() + " at height " + std::to_string(size.height()));
            QStringList expected = chart->LeftAxis->categoriesLabels();
            expected.sort();
            EXPECT_FALSE(expected.isEmpty());
            if (size.height() == 768) {
                EXPECT_GE(expected.size(), 3) << "a scale to read values from";
            }
            EXPECT_EQ(DrawnLeftLabels(*chart), expected);
        }
    }
}

TEST_F(ArchivePageTest, EveryChartToolBarButtonShowsWholeAtTheWindowsDefaultSize) {
    window->SelectPage(4);
    QApplication::processEvents();
    ASSERT_EQ(window->size(), QSize(1223, 768));
    for (QToolBar* bar : {page->ArchiveGraphToolBar, page->ToolBar1}) {
        int captioned = 0;
        for (QAction* position : bar->actions()) {
            auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(position));
            if (button == nullptr) continue;
            const std::string name = button->objectName().toStdString();
            // A button that does not fit the bar would go to its overflow menu.
            EXPECT_TRUE(button->isVisible()) << name;
            if (button->toolButtonStyle() != Qt::ToolButtonTextOnly) continue;
            ++captioned;
            const QString caption = button->text();
            EXPECT_GT(button->width(), QFontMetrics(button->font()).horizontalAdvance(caption)) << name;
            EXPECT_GE(button->width(), button->sizeHint().width()) << name;
        }
        EXPECT_EQ(captioned, 8) << bar->objectName().toStdString();
    }
    EXPECT_EQ(page->ArchiveGraphToolBar->findChild<QToolButton*>("ARPrint")->text(), U("Печать"));
    EXPECT_EQ(page->ToolBar1->findChild<QToolButton*>("ToolButton23")->text(), U("Печать"));
}

}  // namespace
