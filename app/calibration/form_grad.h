#pragma once

#include <QWidget>

class QPushButton;
class QTabWidget;

// The calibration window's frame: emulation and measurement modes.
class TFrameZKV_Grad : public QWidget {
    Q_OBJECT
public:
    explicit TFrameZKV_Grad(QWidget* parent = nullptr);

    QTabWidget* GradModes;
    QWidget* CEmulation;
    QWidget* TabSheet1;
};

// The calibration window; not modal, shown from the main window's menu.
class TFormGrad : public QWidget {
    Q_OBJECT
public:
    explicit TFormGrad(QWidget* parent = nullptr);
    ~TFormGrad() override;

    TFrameZKV_Grad* FrameZKV_Grad1;
    QPushButton* BitBtn1;
};

extern TFormGrad* FormGrad;
