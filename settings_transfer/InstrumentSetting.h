#pragma once

#include "ui_InstrumentSetting.h"

#include <QDialog>

// The instrument settings window, shown modally while a serial port is open.
class TInstrumentSettingForm : public QDialog, private Ui::TInstrumentSettingForm
{
    Q_OBJECT

public:
    explicit TInstrumentSettingForm(QWidget* parent = nullptr);
};

extern TInstrumentSettingForm* InstrumentSettingForm;
