#include "terminal/Main.h"

#include "platform/WindowShowing.h"
#include "terminal/CommLog.h"

void TCommTermForm::ResetCommErrorArray()
{
    CommLogForm->CommErrorCount.fill(0);
    CommLogForm->CommErrorCommand.fill(QStringLiteral("No Error"));
}

void TCommTermForm::ViewLog2Click()
{
    EnableLog1Click();
    platform::BringToFront(*CommLogForm);
}

void TCommTermForm::EnableLog1Click()
{
    LogEnabled = true;
    EnableLog1->setChecked(true);
    DisableLog1->setChecked(false);
}

void TCommTermForm::DisableLog1Click()
{
    LogEnabled = false;
    EnableLog1->setChecked(false);
    DisableLog1->setChecked(true);
}
