#pragma once

#include "ui_OrvaneControl.h"

#include <QWidget>

// The control panel of the Orvane laser system. It stays above the program's
// other windows.
class TOrvaneControlForm : public QWidget, private Ui::TOrvaneControlForm
{
    Q_OBJECT

public:
    explicit TOrvaneControlForm(QWidget* parent = nullptr);
};

extern TOrvaneControlForm* OrvaneControlForm;
