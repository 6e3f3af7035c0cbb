#pragma once

#include "ui_About.h"

#include <QDialog>

// The about box. The instance created at start-up is never shown; each showing
// uses a box of its own.
class TAboutBox : public QDialog, private Ui::TAboutBox
{
    Q_OBJECT

public:
    explicit TAboutBox(QWidget* parent = nullptr);
};

extern TAboutBox* AboutBox;
