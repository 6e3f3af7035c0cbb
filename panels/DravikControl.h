#pragma once

#include "ui_DravikControl.h"

#include <QWidget>

// The control panel of the Dravik laser system, shown as an ordinary window.
class TDravikControlForm : public QWidget, private Ui::TDravikControlForm
{
    Q_OBJECT

public:
    explicit TDravikControlForm(QWidget* parent = nullptr);
};

extern TDravikControlForm* DravikControlForm;
