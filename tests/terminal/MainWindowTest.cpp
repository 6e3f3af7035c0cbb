#include "support/WindowFixture.h"

#include "panels/DravikControl.h"
#include "panels/OrvaneControl.h"
#include "panels/TessalineControl.h"
#include "platform/StatusBar.h"

#include <QMenu>
#include <QMenuBar>
#include <QSplitterHandle>
#include <QStackedWidget>
#include <QTimer>

namespace {

using MainWindow = WindowFixture;

const char* const CommControls[] = {
    "eSendCommand", "reCommTerminal",
    "bbSendString1", "bbSendString2", "bbSendString3", "bbSendString4", "bbSendString5",
    "edString1", "edString2", "edString3", "edString4", "edString5",
    "cbCycleString1", "cbCycleString2", "cbCycleString3", "cbCycleString4", "cbCycleString5",
    "cmdStartCycle", "cmdStopCycle", "leCycleCount", "leCycleDelay", "leCurrentCycle", "leCommandDelay",
};

QStringList Texts(const TStatusBar& bar)
{
    QStringList texts;
    for (int i = 0; i < bar.PanelCount(); ++i)
        texts << bar.PanelText(i);
    return texts;
}

TEST_F(MainWindow, FirstShowingSetsTheStateStatusBarsTicksAndControls)
{
    const TCommTermForm& form = *CommTermForm;
    EXPECT_TRUE(form.IncludeCommandSent);
    EXPECT_TRUE(form.TimeStampEnabled);
    EXPECT_FALSE(form.PortBusy);
    EXPECT_FALSE(form.Closing);
    EXPECT_FALSE(form.ConfigChanged);
    EXPECT_FALSE(form.LogEnabled);
    EXPECT_EQ(form.CommandsSent, 0);
    EXPECT_EQ(form.DelayTimer->interval(), 500);
    EXPECT_FALSE(form.DelayTimer->isActive());
    // The start-up scan writes and reads the default configuration file.
    EXPECT_EQ(form.TerminationString, "0D,0A");
    EXPECT_EQ(form.CommPort->PortName, "COMX");

    EXPECT_EQ(Texts(*MainControl<TStatusBar>("sbSendStatus")), (QStringList{"Line Count:", "Commands Sent: 0"}));
    EXPECT_EQ(Texts(*MainControl<TStatusBar>("sbCommProperties")), (QStringList{"Port: NONE", "Settings:", ""}));
    for (const auto& [name, ticked] : {std::pair{"IncludeCommandSent1", true}, {"OmitCommandSent1", false},
                                       {"TimeStampEnable1", true}, {"TimeStampDisable1", false},
                                       {"HideCommTerminal1", true}, {"ShowCommTerminal1", false}})
        EXPECT_EQ(MainEntry(name)->isChecked(), ticked) << name;

    // The start-up scan enables the port box alone, so a port can be picked;
    // showing the stored group stops any cycle, which frees the cycle check boxes.
    EXPECT_TRUE(MainControl("cboCommTerminal")->isEnabled());
    for (const char* name : CommControls)
        EXPECT_EQ(MainControl(name)->isEnabled(), QByteArray(name).startsWith("cbCycleString")) << name;
    EXPECT_FALSE(MainControl("gbInputFile")->isVisible());
    EXPECT_FALSE(MainControl("reInputFile")->isEnabled());
    EXPECT_FALSE(CommTermForm->Splitter1->isVisible());
    EXPECT_TRUE(MainControl("reCommTerminal")->isVisible());
}

TEST_F(MainWindow, EnablingTurnsOnTheCommunicationControlsButNotThePortBox)
{
    CommTermForm->disablecontrols();
    CommTermForm->EnableCommActiveObjects();
    for (const char* name : CommControls)
        EXPECT_TRUE(MainControl(name)->isEnabled()) << name;
    EXPECT_FALSE(MainControl("cboCommTerminal")->isEnabled());
    CommTermForm->disablecontrols();
    for (const char* name : CommControls)
        EXPECT_FALSE(MainControl(name)->isEnabled()) << name;
}

TEST_F(MainWindow, ShowingAgainDoesNotRepeatTheFirstShowing)
{
    CSerialPort* port = CommTermForm->CommPort.get();
    CommTermForm->CommandsSent = 7;
    CommTermForm->EnableCommActiveObjects();
    CommTermForm->showMinimized();
    CommTermForm->hide();
    CommTermForm->showNormal();
    EXPECT_EQ(CommTermForm->CommPort.get(), port);
    EXPECT_EQ(CommTermForm->CommandsSent, 7);
    EXPECT_TRUE(MainControl("eSendCommand")->isEnabled());
}

// Each entry as it reads in its menu: "-" for a separator, "name >" for a submenu.
QStringList Entries(const QMenu& menu)
{
    QStringList entries;
    for (const QAction* action : menu.actions())
        entries << (action->isSeparator() ? "-" : action->text() + (action->menu() != nullptr ? " >" : ""));
    return entries;
}

TEST_F(MainWindow, MainMenuReadsAsTheLayoutGivesIt)
{
    QStringList menus;
    for (const QAction* action : CommTermForm->menuBar()->actions())
        menus << action->text() + (action->isVisible() ? "" : " (hidden)");
    // Every port scan, the start-up one included, hides the edit menu.
    EXPECT_EQ(menus, (QStringList{"&File", "&Edit (hidden)", "View", "Controls (hidden)", "Tools", "Help"}));

    const std::pair<const char*, QStringList> expected[] = {
        {"File1", {"Open Command File", "Save Command File", "-", "E&xit\tCtrl+X"}},
        {"Edit1", {"Cu&t\tCtrl+X", "&Copy\tCtrl+C", "&Paste\tCtrl+V", "Select &All\tCtrl+A"}},
        {"View1", {"View Command File Window", "Hide Command File Window", "-",
                   "Clear Communications Window", "Clear Command File Window"}},
        {"Controls1", {"Send Command Field\tCtrl+W", "Common Command String&1\tF1", "Common Command String&2\tF2",
                       "Common Command String&3\tF3", "Common Command String&4\tF4", "Common Command String&5\tF5",
                       "Start Cycle\tCtrl+S", "Stop Cycle\tCtrl+T"}},
        {"Tools1", {"Instrument Parameters >", "-", "Custom Interface >", "-", "Reset Command Strings",
                    "Reset Commands Sent Count", "-", "Comm Port Scan", "&Communications Log >",
                    "Comm Properties\tCtrl+P", "Comm Display Options >"}},
        {"InstrumentParameters1", {"Download Settings", "Upload Settings"}},
        {"CustomInterface1", {"Tessaline System", "Orvane System", "-", "Hide Comm Terminal", "Show Comm Terminal"}},
        {"CommunicationsLog1", {"View Log\tF10", "Log Enabled", "Log Disabled"}},
        {"CommDisplayOptions1", {"Time Stamp Enable", "Time Stamp Disable", "Display Command Sent", "Omit Command Sent"}},
        {"Help1", {"&About"}},
    };
    for (const auto& [name, entries] : expected) {
        auto* menu = MainControl<QMenu>(name);
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(Entries(*menu), entries) << name;
    }
}

TEST_F(MainWindow, PanelEntriesShowOnePanelAndMinimiseUnlessShowIsTicked)
{
    TTessalineControlForm* panel = TessalineControlForm;
    MainEntry("GRNIRControl1")->trigger();
    MainEntry("GRNIRControl1")->trigger();
    EXPECT_EQ(TessalineControlForm, panel);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_TRUE(CommTermForm->isMinimized());
    int panels = 0;
    for (QWidget* window : QApplication::topLevelWidgets())
        panels += qobject_cast<TTessalineControlForm*>(window) != nullptr ? 1 : 0;
    EXPECT_EQ(panels, 1);

    CommTermForm->showNormal();
    CommTermForm->DravikControl1Click();
    EXPECT_TRUE(DravikControlForm->isVisible());
    EXPECT_FALSE(CommTermForm->isMinimized());

    // Show and Hide hold one tick between them; picking the ticked one keeps it.
    QAction* show = MainEntry("ShowCommTerminal1");
    QAction* hide = MainEntry("HideCommTerminal1");
    for (QAction* picked : {hide, show, hide, show, show}) {
        picked->trigger();
        EXPECT_TRUE(picked->isChecked()) << qPrintable(picked->objectName());
        EXPECT_NE(show->isChecked(), hide->isChecked());
    }
    MainEntry("OrvaneSystem1")->trigger();
    EXPECT_TRUE(OrvaneControlForm->isVisible());
    EXPECT_FALSE(CommTermForm->isMinimized());
}

TEST_F(MainWindow, NotebookHasTwoPagesAndShowingPageZeroBringsTheEditMenuBack)
{
    auto* notebook = MainControl<QStackedWidget>("nbLaserSystem");
    ASSERT_EQ(notebook->count(), 2);
    EXPECT_EQ(notebook->currentIndex(), 0);
    EXPECT_EQ(notebook->widget(0)->windowTitle(), "Comm Terminal");
    EXPECT_EQ(notebook->widget(1)->windowTitle(), "CommEchoTest");

    QAction* edit = MainControl<QMenu>("Edit1")->menuAction();
    edit->setVisible(false);
    notebook->setCurrentIndex(1);
    EXPECT_FALSE(edit->isVisible());
    notebook->setCurrentIndex(0);
    EXPECT_TRUE(edit->isVisible());
}

} // namespace
