#include "terminal/ComboDialog.h"

#include "platform/Showing.h"
#include "terminal/DialogPlacement.h"

TOKRightDlg* OKRightDlg = nullptr;

TOKRightDlg::TOKRightDlg(QWidget* parent)
    : QDialog(parent)
{
    setupUi(this);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

void TOKRightDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (platform::BeginsShowing(*event))
        CentreOnScreen(*this);
}
