#include "panels/DravikControl.h"

TDravikControlForm* DravikControlForm = nullptr;

TDravikControlForm::TDravikControlForm(QWidget* parent)
    : QWidget(parent,
              Qt::Window)
{
    setupUi(this);
}
