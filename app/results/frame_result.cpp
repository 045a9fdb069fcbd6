#include "app/results/frame_result.h"

#include "platform/components.h"

TFrame_Results::TFrame_Results(QWidget* parent) : QWidget(parent) {
    setObjectName("Frame_Results1");
    platform::MarkAsOwner(this);
}

void TFrame_Results::AddResultPoint(int, float, float, float) {}
