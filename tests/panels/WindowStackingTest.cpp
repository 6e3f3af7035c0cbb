#include "PanelFixture.h"

#include "panels/OrvaneControl.h"
#include "panels/TessalineControl.h"
#include "platform/WindowShowing.h"
#include "support/NextBox.h"

namespace {

using WindowStacking = PanelFixture;

// With the Tessaline panel open, which stays on top, each dialog the main
// window opens comes up above it with the focus, transient for the program
// as a whole, so that the panel cannot hide it.
TEST_F(WindowStacking, DialogsOfTheMainWindowComeUpAboveAnOpenPanel)
{
    const char* const entries[] = {"CommProperties1", "About1", "RenameGroup1", "CopytoGroup1", "DownloadSettings1"};
    MainEntry("ShowCommTerminal1")->trigger();
    Open(*TessalineControlForm, &TCommTermForm::GRNIRControl1Click);
    for (const char* entry : entries) {
        SCOPED_TRACE(entry);
        platform::BringToFront(*CommTermForm);
        ASSERT_TRUE(BecomesActive(*CommTermForm));
        NextBox box;
        MainEntry(entry)->trigger();
        ASSERT_TRUE(box.Seen.has_value());
        EXPECT_EQ(*box.Seen, (BoxStanding{CommTermForm, true, false, false, true, true}));
    }
}

// "View Log" (F10) and the panels' entries bring their window forward,
// restoring it when it was minimised; a restore is no new showing, so a panel
// sends nothing. With "Hide Comm Terminal" ticked the main window goes out of
// sight only once the panel is back on the screen.
TEST_F(WindowStacking, BringingAWindowForwardRestoresItWhenMinimised)
{
    const std::tuple<const char*, QWidget*, bool> windows[] = {
        {"ViewLog2", CommLogForm, false},
        {"GRNIRControl1", TessalineControlForm, true},
        {"OrvaneSystem1", OrvaneControlForm, true},
    };
    for (const auto& [entry, window, hidesMain] : windows) {
        SCOPED_TRACE(entry);
        MainEntry(entry)->trigger();
        Wire();
        window->setWindowState(Qt::WindowMinimized);
        platform::BringToFront(*CommTermForm);
        ASSERT_TRUE(BecomesActive(*CommTermForm));
        MainEntry(entry)->trigger();
        EXPECT_TRUE(BecomesActive(*window));
        EXPECT_EQ(std::tuple(window->isVisible(), window->isMinimized(), CommTermForm->isMinimized()),
                  std::tuple(true, false, hidesMain));
        EXPECT_EQ(Wire(), QList<QByteArray>{});
    }
}

} // namespace
