#include "panels/OrvaneControl.h"

TOrvaneControlForm* OrvaneControlForm = nullptr;

TOrvaneControlForm::TOrvaneControlForm(QWidget* parent)
    : QWidget(parent,
              Qt::Window | Qt::WindowStaysOnTopHint)
{
    setupUi(this);
}
