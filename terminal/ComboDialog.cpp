#include "terminal/ComboDialog.h"

TOKRightDlg* OKRightDlg = nullptr;

TOKRightDlg::TOKRightDlg(QWidget* parent)
    : QDialog(parent)
{
    setupUi(this);
}
