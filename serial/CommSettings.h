#pragma once

#include "ui_CommSettings.h"

#include <QDialog>

// The modal port properties dialog. The main window renames it after the
// selected port before each showing.
class TCommSettingForm : public QDialog, private Ui::TCommSettingForm
{
    Q_OBJECT

public:
    explicit TCommSettingForm(QWidget* parent = nullptr);
};

extern TCommSettingForm* CommSettingForm;
