#pragma once

#include "ui_About.h"

#include <QDialog>
#include <QString>

// The about box. The instance created at start-up is never shown; each showing
// uses a box of its own.
class TAboutBox : public QDialog, private Ui::TAboutBox
{
    Q_OBJECT

public:
    explicit TAboutBox(QWidget* owner = nullptr);
    // A box that shows the product text and "Version " with the version.
    TAboutBox(QWidget* owner, const QString& version, const QString& product);

private:
    void ShowProgramIcon();
};

extern TAboutBox* AboutBox;
