#include "terminal/Main.h"

#include "platform/WindowShowing.h"
#include "settings_transfer/InstrumentSetting.h"
#include "terminal/TerminalTraffic.h"

// The settings window has the port to itself while it is shown: the worker is
// ended before the window takes the port-busy flag, since a send it still
// hands over would otherwise wait for that flag for ever, with the window
// thread inside it. The poll skips its ticks while the flag is held.
void TCommTermForm::DownloadSettings1Click()
{
    if (!CommPort->IsCommPortOpen())
        return;
    EndWorker();
    ClearToSend();
    PortClaim claim(PortBusy);
    EnableCommActiveObjects();
    platform::ShowModal(*InstrumentSettingForm);
    StartWorker();
}

// Both entries open the same window; the transfer is chosen inside it.
void TCommTermForm::UploadSettings1Click()
{
    DownloadSettings1Click();
}
