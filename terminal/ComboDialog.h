#pragma once

#include "ui_ComboDialog.h"

#include <QDialog>

// The copy-to-group dialog; one instance is created at start-up and reused.
// The caller fills the list and reads the chosen item after OK.
class TOKRightDlg : public QDialog, private Ui::TOKRightDlg
{
    Q_OBJECT

public:
    explicit TOKRightDlg(QWidget* parent = nullptr);

    using Ui::TOKRightDlg::OKBtn;
    using Ui::TOKRightDlg::CancelBtn;
    using Ui::TOKRightDlg::Label1;
    using Ui::TOKRightDlg::cboBox;

protected:
    void showEvent(QShowEvent* event) override;
};

extern TOKRightDlg* OKRightDlg;
