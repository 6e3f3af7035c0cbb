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

#include <QApplication>

#include <vector>

namespace {

using Startup = WindowFixture;

std::vector<QWidget*> WindowSet()
{
    return {CommTermForm, CommLogForm, IncrementForm, frmAvailableCommPorts, CommSettingForm,
            InstrumentSettingForm, OKRightDlg, DravikControlForm, TessalineControlForm,
            OrvaneControlForm, AboutBox};
}

TEST_F(Startup, CaptionCarriesTheFileVersion)
{
    EXPECT_EQ(CommTermForm->windowTitle(), "Communications Terminal 1.7.7.1");
    EXPECT_EQ(QApplication::applicationName(), "ZK Comm Terminal");
}

// Dialogs belong to the main window; the log window and the panels stand
// alone, so minimising the main window leaves them shown.
TEST_F(Startup, ElevenWindowsExistOnlyTheMainOneShownAndOnlyDialogsOwnedByIt)
{
    const std::vector<QWidget*> windows = WindowSet();
    for (std::size_t i = 0; i < windows.size(); ++i) {
        ASSERT_NE(windows[i], nullptr) << "window " << i;
        EXPECT_TRUE(windows[i]->isWindow()) << "window " << i;
        EXPECT_EQ(windows[i]->isVisible(), i == 0) << "window " << i;
    }
    using Windows = std::initializer_list<QWidget*>;
    for (QWidget* dialog : Windows{IncrementForm, CommSettingForm, InstrumentSettingForm, OKRightDlg, AboutBox})
        EXPECT_EQ(dialog->parentWidget(), CommTermForm) << dialog->metaObject()->className();
    for (QWidget* window : Windows{CommLogForm, DravikControlForm, TessalineControlForm, OrvaneControlForm})
        EXPECT_EQ(window->parentWidget(), nullptr) << window->metaObject()->className();
}

TEST_F(Startup, DestroyingClearsEveryGlobalAndCanBeRepeated)
{
    DestroyWindows();
    DestroyWindows();
    for (QWidget* window : WindowSet())
        EXPECT_EQ(window, nullptr);
    CreateWindows();
    for (QWidget* window : WindowSet())
        EXPECT_NE(window, nullptr);
}

} // namespace
