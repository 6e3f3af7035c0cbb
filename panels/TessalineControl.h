#pragma once

#include "ui_TessalineControl.h"

#include <QWidget>

// The control panel of the Tessaline laser system. It stays above the program's
// other windows.
class TTessalineControlForm : public QWidget, private Ui::TTessalineControlForm
{
    Q_OBJECT

public:
    explicit TTessalineControlForm(QWidget* parent = nullptr);
};

extern TTessalineControlForm* TessalineControlForm;
