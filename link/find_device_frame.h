#pragma once

#include <QWidget>

// The connection page: the scan of a COM-port range and the link check.
class TFrameFindDevice : public QWidget {
    Q_OBJECT
public:
    explicit TFrameFindDevice(QWidget* parent = nullptr);
};
