#pragma once

#include "ui_ComboDialog.h"

#include <QDialog>

// The copy-to-group dialog; one instance is created at start-up and reused.
class TOKRightDlg : public QDialog, private Ui::TOKRightDlg
{
    Q_OBJECT

public:
    explicit TOKRightDlg(QWidget* parent = nullptr);
};

extern TOKRightDlg* OKRightDlg;
