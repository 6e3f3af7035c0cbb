#include "support/WindowFixture.h"

#include "panels/DravikControl.h"
#include "panels/OrvaneControl.h"
#include "panels/TessalineControl.h"
#include "serial/AvailableCommPorts.h"
#include "serial/CommSettings.h"
#include "settings_transfer/InstrumentSetting.h"
#include "terminal/About.h"
#include "terminal/ComboDialog.h"
#include "terminal/CommLog.h"
#include "terminal/IncrementDialog.h"

namespace {

using Startup = WindowFixture;

// Only the main window is shown. Dialogs belong to it; the log window and the
// panels stand alone, so minimising the main window leaves them shown.
TEST_F(Startup, ElevenWindowsExistOnlyTheMainOneShownAndOnlyDialogsOwnedByIt)
{
    EXPECT_EQ(CommTermForm->windowTitle(), "Communications Terminal 1.7.7.1");
    EXPECT_EQ(QApplication::applicationName(), "ZK Comm Terminal");
    const std::vector<QWidget*> windows = {CommTermForm, CommLogForm, IncrementForm, frmAvailableCommPorts,
                                           CommSettingForm, InstrumentSettingForm, OKRightDlg, DravikControlForm,
                                           TessalineControlForm, OrvaneControlForm, AboutBox};
    const std::vector<QWidget*> owners = {nullptr, nullptr, CommTermForm, nullptr, CommTermForm, CommTermForm,
                                          CommTermForm, nullptr, nullptr, nullptr, CommTermForm};
    for (std::size_t i = 0; i < windows.size(); ++i) {
        ASSERT_NE(windows[i], nullptr) << "window " << i;
        EXPECT_TRUE(windows[i]->isWindow()) << "window " << i;
        EXPECT_EQ(windows[i]->isVisible(), i == 0) << "window " << i;
        EXPECT_EQ(windows[i]->parentWidget(), owners[i]) << "window " << i;
    }
}

} // namespace
