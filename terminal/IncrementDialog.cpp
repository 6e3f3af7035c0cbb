#include "terminal/IncrementDialog.h"

TIncrementForm* IncrementForm = nullptr;

TIncrementForm::TIncrementForm(QWidget* parent)
    : QDialog(parent)
{
    setupUi(this);
}
