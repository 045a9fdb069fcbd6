#include "link/find_device_frame.h"

#include "platform/components.h"

TFrameFindDevice::TFrameFindDevice(QWidget* parent) : QWidget(parent) {
    setObjectName("FrameFindDevice");
    platform::MarkAsOwner(this);
}
