#include "terminal/CommLog.h"

TCommLogForm* CommLogForm = nullptr;

TCommLogForm::TCommLogForm(QWidget* parent)
    : QMainWindow(parent,
                  Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                  | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
{
    setupUi(this);
}
