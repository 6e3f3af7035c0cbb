#include "settings_transfer/InstrumentSetting.h"

TInstrumentSettingForm* InstrumentSettingForm = nullptr;

TInstrumentSettingForm::TInstrumentSettingForm(QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::WindowStaysOnTopHint)
{
    setupUi(this);
}
