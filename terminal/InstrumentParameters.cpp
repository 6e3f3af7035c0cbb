#include "terminal/Main.h"

#include "platform/WindowShowing.h"
#include "settings_transfer/InstrumentSetting.h"
#include "terminal/TerminalTraffic.h"

#include <QScopeGuard>

namespace {

// As at the close, the run ends where it is: a cycle pass or a command file
// sends nothing more, neither while the window is open nor after it.
void EndRunForSettingsWindow(TCommTermForm& form)
{
    form.WorkerSendsRefused = true;
    const auto sendAgain = qScopeGuard([&form] { form.WorkerSendsRefused = false; });
    form.EndWorker();
}

} // namespace

// The settings window has the port to itself while it is shown: the worker is
// ended before the window takes the port-busy flag, since a send it still
// hands over would otherwise wait for that flag for ever, with the window
// thread inside it. The poll skips its ticks while the flag is held.
void TCommTermForm::DownloadSettings1Click()
{
    if (!CommPort->IsCommPortOpen())
        return;
    EndRunForSettingsWindow(*this);
    ClearToSend();
    PortClaim claim(PortBusy);
    EnableCommActiveObjects();
    platform::ShowModal(*InstrumentSettingForm);
    ReopenDroppedPort();
    StartWorker();
}

// A transfer that found its adapter gone closed the port. Reopened by its
// name, as before every command, the port is open again once the adapter is
// back, so the Tools entries reach the window without a command sent first.
void TCommTermForm::ReopenDroppedPort()
{
    if (!CommPort->IsCommPortOpen())
        ReopenPortByName();
}

// Both entries open the same window; the transfer is chosen inside it.
void TCommTermForm::UploadSettings1Click()
{
    DownloadSettings1Click();
}
