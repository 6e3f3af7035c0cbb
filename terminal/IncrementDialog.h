#pragma once

#include "ui_IncrementDialog.h"

#include <QDialog>

// The rename dialog. Its layout texts are replaced before each showing; one
// instance is created at start-up and reused.
class TIncrementForm : public QDialog, private Ui::TIncrementForm
{
    Q_OBJECT

public:
    explicit TIncrementForm(QWidget* parent = nullptr);
};

extern TIncrementForm* IncrementForm;
