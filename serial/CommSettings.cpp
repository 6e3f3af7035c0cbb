#include "serial/CommSettings.h"

TCommSettingForm* CommSettingForm = nullptr;

TCommSettingForm::TCommSettingForm(QWidget* parent)
    : QDialog(parent)
{
    setupUi(this);
}
