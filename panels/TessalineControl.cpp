#include "panels/TessalineControl.h"

TTessalineControlForm* TessalineControlForm = nullptr;

TTessalineControlForm::TTessalineControlForm(QWidget* parent)
    : QWidget(parent,
              Qt::Window | Qt::WindowStaysOnTopHint)
{
    setupUi(this);
}
