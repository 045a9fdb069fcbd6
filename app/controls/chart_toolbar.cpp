#include "app/controls/chart_toolbar.h"

#include <QStyle>
#include <QToolBar>
#include <QToolButton>

#include "app/controls/chart_output.h"
#include "platform/class_library/utf8_literal.h"

namespace {

using ChartAction = void (*)(TChart*);

void ZoomIn(TChart* chart) {
    ChartZoomXIn(chart);
    ChartZoomYIn(chart);
}

void ZoomOut(TChart* chart) {
    ChartZoomXOut(chart);
    ChartZoomYOut(chart);
}

struct ToolPosition {
    const char* hint;  // null: a separator
    ChartAction action;
    QStyle::StandardPixmap icon;  // SP_CustomBase: the caption instead
    const char* caption;
};

constexpr QStyle::StandardPixmap kTextIcon = QStyle::SP_CustomBase;

const ToolPosition kPositions[kChartToolPositions] = {
    {"Сдвиг влево на 10%", ChartShiftLeft, QStyle::SP_ArrowLeft, nullptr},
    {"Сдвиг вправо на 10%", ChartShiftRight, QStyle::SP_ArrowRight, nullptr},
    {"Сдвиг вверх на 10%", ChartShiftUp, QStyle::SP_ArrowUp, nullptr},
    {"Сдвиг вниз на 10%", ChartShiftDown, QStyle::SP_ArrowDown, nullptr},
    {nullptr, nullptr, kTextIcon, nullptr},
    {"Увеличить масштаб на 10%", ZoomIn, kTextIcon, "+"},
    {"Уменьшить масштаб на 10%", ZoomOut, kTextIcon, "−"},
    {"Масштаб по умолчанию (100%)", ChartAutoAxes, kTextIcon, "100%"},
    {nullptr, nullptr, kTextIcon, nullptr},
    {"Увеличить масштаб горизонтальной оси на 10%", ChartZoomXIn, kTextIcon, "X+"},
    {"Уменьшить масштаб горизонтальной оси на 10%", ChartZoomXOut, kTextIcon, "X−"},
    {nullptr, nullptr, kTextIcon, nullptr},
    {"Увеличить масштаб вертикальной оси на 10%", ChartZoomYIn, kTextIcon, "Y+"},
    {"Уменьшить масштаб вертикальной оси на 10%", ChartZoomYOut, kTextIcon, "Y−"},
    {nullptr, nullptr, kTextIcon, nullptr},
    {"Распечатать график", ChartPrint, kTextIcon, "Печать"},
    {nullptr, nullptr, kTextIcon, nullptr},
    {"Сохранить в файл", ChartSaveBitmap, QStyle::SP_DialogSaveButton, nullptr},
    {nullptr, nullptr, kTextIcon, nullptr},
    {"Очистить", nullptr, QStyle::SP_TrashIcon, nullptr},
};

void Step(TChart* chart, const AxisStep& step) {
    if (chart == nullptr) return;
    chart->SetScale(step.axis, StepAxis(chart->Scale(step.axis), step));
}

}  // namespace

AxisScale StepAxis(const AxisScale& scale, const AxisStep& step) {
    return StepScale(scale, step.minShare, step.maxShare);
}

void ChartShiftLeft(TChart* chart) { Step(chart, kShiftLeft); }
void ChartShiftRight(TChart* chart) { Step(chart, kShiftRight); }
void ChartShiftUp(TChart* chart) { Step(chart, kShiftUp); }
void ChartShiftDown(TChart* chart) { Step(chart, kShiftDown); }
void ChartZoomXIn(TChart* chart) { Step(chart, kZoomXIn); }
void ChartZoomXOut(TChart* chart) { Step(chart, kZoomXOut); }
void ChartZoomYIn(TChart* chart) { Step(chart, kZoomYIn); }
void ChartZoomYOut(TChart* chart) { Step(chart, kZoomYOut); }

void ChartAutoAxes(TChart* chart) {
    if (chart == nullptr) return;
    chart->SetScale(ChartAxis::Bottom, AxisScale{});
    chart->SetScale(ChartAxis::Left, AxisScale{});
}

void ChartPrint(TChart* chart) {
    if (chart) PrintChartView(chart->Printer(), chart->View, chart);
}

void ChartSaveBitmap(TChart* chart) {
    if (chart == nullptr) return;
    platform::FileDialogSpec dialog;
    SaveChartPicture(chart->View, dialog);
}

void ChartToolClick(QObject* sender) {
    QObject* bar = sender ? sender->parent() : nullptr;
    auto* chart = qobject_cast<TChart*>(bar ? bar->parent() : nullptr);
    auto* button = qobject_cast<QToolButton*>(sender);
    auto* toolBar = qobject_cast<QToolBar*>(bar);
    if (chart == nullptr || button == nullptr || toolBar == nullptr) return;
    const QList<QAction*> actions = toolBar->actions();
    for (qsizetype i = 0; i < actions.size() && i < kChartToolPositions; ++i) {
        if (toolBar->widgetForAction(actions[i]) != button) continue;
        if (const ChartAction action = kPositions[i].action) action(chart);
        return;
    }
}

QToolBar* AddChartToolBar(TChart* chart, const char* name, const std::array<const char*, kChartToolPositions>& buttons) {
    auto* bar = new QToolBar(chart);
    bar->setObjectName(name);
    bar->setMovable(false);
    bar->setIconSize(QSize(24, 24));
    for (int i = 0; i < kChartToolPositions; ++i) {
        const ToolPosition& position = kPositions[i];
        if (position.hint == nullptr || buttons[static_cast<std::size_t>(i)] == nullptr) {
            bar->addSeparator();
            continue;
        }
        auto* button = new QToolButton(bar);
        button->setObjectName(buttons[static_cast<std::size_t>(i)]);
        button->setToolTip(U(position.hint));
        button->setAutoRaise(true);
        // A caption is a text of the button, so the button is as wide as the font needs it.
        if (position.caption) {
            button->setToolButtonStyle(Qt::ToolButtonTextOnly);
            button->setText(U(position.caption));
        } else {
            button->setToolButtonStyle(Qt::ToolButtonIconOnly);
            button->setIcon(chart->style()->standardIcon(position.icon));
        }
        bar->addWidget(button);
    }
    chart->SetToolBar(bar);
    return bar;
}
