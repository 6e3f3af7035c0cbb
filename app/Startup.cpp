#include "app/Startup.h"

#include "panels/DravikControl.h"
#include "panels/OrvaneControl.h"
#include "panels/TessalineControl.h"
#include "platform/Application.h"
#include "serial/AvailableCommPorts.h"
#include "serial/CommSettings.h"
#include "settings_transfer/InstrumentSetting.h"
#include "terminal/About.h"
#include "terminal/ComboDialog.h"
#include "terminal/CommLog.h"
#include "terminal/IncrementDialog.h"
#include "terminal/Main.h"

#include <QApplication>
#include <QDialog>

#include <exception>
#include <type_traits>

namespace {

template <class Window>
void Create(Window*& global)
{
    QWidget* owner = nullptr;
    if constexpr (std::is_base_of_v<QDialog, Window>)
        owner = CommTermForm;
    global = new Window(owner);
}

template <class Window>
void Destroy(Window*& global)
{
    delete global;
    global = nullptr;
}

} // namespace

void InitialiseApplication()
{
    // The application name rather than the display name: some platforms append
    // the display name to every window title.
    QApplication::setApplicationName(QStringLiteral("ZK Comm Terminal"));
}

void CreateWindows()
{
    Create(CommTermForm);
    Create(CommLogForm);
    Create(IncrementForm);
    Create(frmAvailableCommPorts);
    Create(CommSettingForm);
    Create(InstrumentSettingForm);
    Create(OKRightDlg);
    Create(DravikControlForm);
    Create(TessalineControlForm);
    Create(OrvaneControlForm);
    Create(AboutBox);
}

// No worker may reach a window that is already gone, so every worker ends
// while all windows still stand, and sends nothing more.
void DestroyWindows()
{
    if (CommTermForm != nullptr) {
        CommTermForm->CloseBegun = true;
        CommTermForm->EndWorker();
    }
    Destroy(AboutBox);
    Destroy(OrvaneControlForm);
    Destroy(TessalineControlForm);
    Destroy(DravikControlForm);
    Destroy(OKRightDlg);
    Destroy(InstrumentSettingForm);
    Destroy(CommSettingForm);
    Destroy(frmAvailableCommPorts);
    Destroy(IncrementForm);
    Destroy(CommLogForm);
    Destroy(CommTermForm);
}

int RunCommTerminal()
{
    try {
        InitialiseApplication();
        CreateWindows();
        CommTermForm->show();
        QApplication::exec();
    } catch (...) {
        CommApplication::ShowException(std::current_exception());
    }
    DestroyWindows();
    return 0;
}
