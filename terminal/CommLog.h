#pragma once

#include "ui_CommLog.h"

#include <QMainWindow>

// The communications log window: a coloured record of the traffic on the serial
// line beside the table of instrument error replies. It can be minimised but not
// maximised.
class TCommLogForm : public QMainWindow, private Ui::TCommLogForm
{
    Q_OBJECT

public:
    explicit TCommLogForm(QWidget* parent = nullptr);
};

extern TCommLogForm* CommLogForm;
