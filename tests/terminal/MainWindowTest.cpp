#include "support/WindowFixture.h"

#include "panels/DravikControl.h"
#include "panels/OrvaneControl.h"
#include "panels/TessalineControl.h"
#include "platform/Exceptions.h"
#include "platform/StatusBar.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSplitterHandle>
#include <QStackedWidget>
#include <QTextEdit>
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

TEST_F(MainWindow, FirstShowingSetsTheStateDefaults)
{
    const TCommTermForm& form = *CommTermForm;
    EXPECT_TRUE(form.IncludeCommandSent);
    EXPECT_TRUE(form.TimeStampEnabled);
    EXPECT_FALSE(form.PortBusy);
    EXPECT_FALSE(form.Closing);
    EXPECT_FALSE(form.ConfigChanged);
    EXPECT_FALSE(form.LogEnabled);
    EXPECT_EQ(form.CommandsSent, 0);
    // The start-up scan writes and reads the default configuration file.
    EXPECT_EQ(form.CurrentGroup, 0);
    EXPECT_EQ(form.CommandIndex, 0);
    EXPECT_EQ(form.TerminationString, "0D,0A");
    ASSERT_NE(form.CommPort, nullptr);
    EXPECT_EQ(form.CommPort->PortName, "COMX");
    EXPECT_FALSE(form.CommPort->IsCommPortOpen());
    EXPECT_FALSE(form.DelayTimer->isActive());
    EXPECT_EQ(form.DelayTimer->interval(), 500);
}

TEST_F(MainWindow, StatusBarsAndTicksAfterTheFirstShowing)
{
    EXPECT_EQ(Texts(*MainControl<TStatusBar>("sbSendStatus")),
              (QStringList{"Line Count:", "Commands Sent: 0"}));
    EXPECT_EQ(Texts(*MainControl<TStatusBar>("sbCommProperties")),
              (QStringList{"Port: NONE", "Settings:", ""}));
    EXPECT_EQ(MainControl<TStatusBar>("sbSendStatus")->PanelWidths(), (QStringList{"150", "50"}));
    EXPECT_EQ(MainControl<TStatusBar>("sbCommProperties")->PanelWidths(), (QStringList{"80", "120", "50"}));

    EXPECT_TRUE(MainEntry("IncludeCommandSent1")->isChecked());
    EXPECT_FALSE(MainEntry("OmitCommandSent1")->isChecked());
    EXPECT_TRUE(MainEntry("TimeStampEnable1")->isChecked());
    EXPECT_FALSE(MainEntry("TimeStampDisable1")->isChecked());
    EXPECT_TRUE(MainEntry("HideCommTerminal1")->isChecked());
    EXPECT_FALSE(MainEntry("ShowCommTerminal1")->isChecked());
}

TEST_F(MainWindow, LayoutTextsBeforeAnyPortOrGroup)
{
    EXPECT_EQ(CommTermForm->size(), QSize(607, 788));
    // No port is stored, so the start-up scan leaves the box asking for one.
    EXPECT_EQ(MainControl<QComboBox>("cboCommTerminal")->currentText(), "Comm Port");
    auto* groups = MainControl<QComboBox>("cboCommandGroup");
    ASSERT_EQ(groups->count(), 10);
    // The default configuration file names the groups and shows the first.
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(groups->itemText(i), QStringLiteral("GROUP%1").arg(i + 1));
    EXPECT_EQ(groups->currentIndex(), 0);
    EXPECT_EQ(groups->currentText(), "GROUP1");
    for (int n = 1; n <= 5; ++n) {
        auto* edit = MainControl<QLineEdit>(qPrintable(QStringLiteral("edString%1").arg(n)));
        EXPECT_EQ(edit->text(), "Empty");
        EXPECT_EQ(edit->toolTip(), QStringLiteral("F%1").arg(n));
    }
    EXPECT_TRUE(MainControl<QLineEdit>("leCurrentCycle")->isReadOnly());
    EXPECT_EQ(MainControl<QPushButton>("cmdStartCycle")->text(), "&START");
    EXPECT_EQ(MainControl<QPushButton>("cmdStopCycle")->text(), "S&TOP");
    EXPECT_EQ(MainControl<QGroupBox>("gbCycleOptions")->title(), "Cycle Controls ");

    auto* notebook = MainControl<QStackedWidget>("nbLaserSystem");
    ASSERT_EQ(notebook->count(), 2);
    EXPECT_EQ(notebook->currentIndex(), 0);
    EXPECT_EQ(notebook->widget(0)->windowTitle(), "Comm Terminal");
    EXPECT_EQ(notebook->widget(1)->windowTitle(), "CommEchoTest");
}

TEST_F(MainWindow, CommunicationControlsStartDisabledAndTheFilePaneHidden)
{
    // The start-up scan enables the port box alone, so a port can be picked.
    EXPECT_TRUE(MainControl("cboCommTerminal")->isEnabled());
    // Showing the stored group stops any cycle, which frees the cycle check boxes.
    for (const char* name : CommControls)
        EXPECT_EQ(MainControl(name)->isEnabled(), QByteArray(name).startsWith("cbCycleString")) << name;
    EXPECT_FALSE(MainControl("gbInputFile")->isVisible());
    EXPECT_FALSE(MainControl("gbInputFile")->isEnabled());
    EXPECT_FALSE(MainControl("reInputFile")->isEnabled());
    ASSERT_NE(CommTermForm->Splitter1, nullptr);
    EXPECT_FALSE(CommTermForm->Splitter1->isVisible());
    EXPECT_FALSE(CommTermForm->Splitter1->isEnabled());
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
    for (const QAction* action : menu.actions()) {
        if (action->isSeparator())
            entries << "-";
        else if (action->menu() != nullptr)
            entries << action->text() + " >";
        else
            entries << action->text();
    }
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

TEST_F(MainWindow, TessalineEntryMinimisesTheMainWindowUnlessShowIsTicked)
{
    MainEntry("GRNIRControl1")->trigger();
    EXPECT_TRUE(TessalineControlForm->isVisible());
    EXPECT_TRUE(CommTermForm->isMinimized());

    CommTermForm->showNormal();
    MainEntry("ShowCommTerminal1")->trigger();
    MainEntry("OrvaneSystem1")->trigger();
    EXPECT_TRUE(OrvaneControlForm->isVisible());
    EXPECT_FALSE(CommTermForm->isMinimized());
}

TEST_F(MainWindow, ShowAndHideCommTerminalHoldOneTickBetweenThem)
{
    QAction* show = MainEntry("ShowCommTerminal1");
    QAction* hide = MainEntry("HideCommTerminal1");
    // Picking the entry that is already ticked leaves it ticked.
    hide->trigger();
    EXPECT_TRUE(hide->isChecked());
    EXPECT_FALSE(show->isChecked());
    show->trigger();
    EXPECT_TRUE(show->isChecked());
    EXPECT_FALSE(hide->isChecked());
    show->trigger();
    EXPECT_TRUE(show->isChecked());
    hide->trigger();
    EXPECT_TRUE(hide->isChecked());
    EXPECT_FALSE(show->isChecked());
}

TEST_F(MainWindow, SecondTessalineEntryBringsTheSamePanelForward)
{
    TTessalineControlForm* panel = TessalineControlForm;
    MainEntry("GRNIRControl1")->trigger();
    MainEntry("GRNIRControl1")->trigger();
    EXPECT_EQ(TessalineControlForm, panel);
    EXPECT_TRUE(panel->isVisible());
    int panels = 0;
    for (QWidget* window : QApplication::topLevelWidgets())
        panels += qobject_cast<TTessalineControlForm*>(window) != nullptr ? 1 : 0;
    EXPECT_EQ(panels, 1);
}

TEST_F(MainWindow, DravikPanelOpensWithoutMinimising)
{
    CommTermForm->DravikControl1Click();
    EXPECT_TRUE(DravikControlForm->isVisible());
    EXPECT_FALSE(CommTermForm->isMinimized());
}

TEST_F(MainWindow, EditMenuComesBackWhenPageZeroIsShown)
{
    QAction* edit = MainControl<QMenu>("Edit1")->menuAction();
    auto* notebook = MainControl<QStackedWidget>("nbLaserSystem");
    edit->setVisible(false);
    notebook->setCurrentIndex(1);
    EXPECT_FALSE(edit->isVisible());
    notebook->setCurrentIndex(0);
    EXPECT_TRUE(edit->isVisible());
}

TEST_F(MainWindow, StopRestoresTheStartCaptionAndTheCycleBoxes)
{
    auto* start = MainControl<QPushButton>("cmdStartCycle");
    start->setText("Continue");
    CommTermForm->FileHalted = true;
    MainEntry("StopCycle1")->trigger();
    EXPECT_EQ(start->text(), "&START");
    EXPECT_FALSE(CommTermForm->FileHalted);
    EXPECT_TRUE(MainControl("cbCycleString3")->isEnabled());
}

} // namespace
