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

#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

namespace {

using MainWindow = WindowFixture;

// Only the main window is shown. Dialogs belong to it; the log window and the
// panels stand alone, so minimising the main window leaves them shown. The
// port list only has to exist, hidden and empty: nothing shows or fills it.
TEST_F(MainWindow, ElevenWindowsExistOnlyTheMainOneShownAndOnlyDialogsOwnedByIt)
{
    EXPECT_EQ(CommTermForm->windowTitle(), "Communications Terminal 1.7.7.1");
    EXPECT_EQ(QApplication::applicationName(), "ZK Comm Terminal");
    const std::vector<std::pair<QWidget*, QWidget*>> windows = {
        {CommTermForm, nullptr},         {CommLogForm, nullptr},       {IncrementForm, CommTermForm},
        {frmAvailableCommPorts, nullptr}, {CommSettingForm, CommTermForm}, {InstrumentSettingForm, CommTermForm},
        {OKRightDlg, CommTermForm},      {DravikControlForm, nullptr}, {TessalineControlForm, nullptr},
        {OrvaneControlForm, nullptr},    {AboutBox, CommTermForm}};
    for (std::size_t i = 0; i < windows.size(); ++i) {
        const auto [window, owner] = windows[i];
        ASSERT_NE(window, nullptr) << "window " << i;
        EXPECT_EQ(std::tuple(window->isWindow(), window->isVisible(), window->parentWidget()),
                  std::tuple(true, i == 0, owner)) << "window " << i;
    }
    const QTableWidget& list = *frmAvailableCommPorts->ValueListEditor1;
    EXPECT_EQ(std::tuple(frmAvailableCommPorts->windowTitle(), list.rowCount(), list.horizontalHeaderItem(0)->text(),
                         list.horizontalHeaderItem(1)->text()),
              std::tuple(QString("Mapping Comm Devices"), 0, QString("Comm Port"), QString("Device")));
}

// The start-up scan enables only the port box, so a port can be picked, and
// the cycle check boxes, freed by the stop that showing the stored group
// makes. Showing the window again repeats nothing of this.
TEST_F(MainWindow, FirstShowingEnablesThePortBoxOnlyAndHappensOnce)
{
    const std::pair<const char*, bool> controls[] = {
        {"cboCommTerminal", true}, {"cbCycleString1", true}, {"cbCycleString5", true}, {"eSendCommand", false},
        {"reCommTerminal", false}, {"bbSendString5", false}, {"edString5", false}, {"cmdStartCycle", false},
        {"leCycleCount", false}, {"leCurrentCycle", false}, {"reInputFile", false}, {"gbInputFile", false}};
    for (const auto& [name, enabled] : controls)
        EXPECT_EQ(MainControl(name)->isEnabled(), enabled) << name;
    EXPECT_FALSE(MainControl("gbInputFile")->isVisible() || CommTermForm->Splitter1->isVisible());

    CSerialPort* port = CommTermForm->CommPort.get();
    CommTermForm->EnableCommActiveObjects();
    CommTermForm->showMinimized();
    CommTermForm->showNormal();
    EXPECT_EQ(CommTermForm->CommPort.get(), port);
    EXPECT_TRUE(MainControl("eSendCommand")->isEnabled());
    // The pass counter is the worker's alone: read-only and grey.
    auto* counter = MainControl<QLineEdit>("leCurrentCycle");
    QTest::keyClicks(counter, "7");
    EXPECT_EQ(counter->text(), "0");
    EXPECT_EQ(counter->palette().color(QPalette::Base), QColor(128, 128, 128));
}

// Each entry as it reads in its menu, "-" for a separator; the pop-up's
// entries are the View menu's own.
TEST_F(MainWindow, MenusAndTheTerminalPanesPopUpMenuReadAsTheLayoutGivesThem)
{
    const QStringList view{"View Command File Window", "Hide Command File Window", "-"};
    const std::pair<const char*, QStringList> expected[] = {
        {"File1", {"Open Command File", "Save Command File", "-", "E&xit\tCtrl+X"}},
        {"Edit1", {"Cu&t\tCtrl+X", "&Copy\tCtrl+C", "&Paste\tCtrl+V", "Select &All\tCtrl+A"}},
        {"View1", view + QStringList{"Clear Communications Window", "Clear Command File Window"}},
        {"PopupMenuComTerm", view + QStringList{"Clear Communications Window", "&Save to File", "&Print"}},
        {"Controls1", {"Send Command Field\tCtrl+W", "Common Command String&1\tF1", "Common Command String&2\tF2",
                       "Common Command String&3\tF3", "Common Command String&4\tF4", "Common Command String&5\tF5",
                       "Start Cycle\tCtrl+S", "Stop Cycle\tCtrl+T"}},
    };
    for (const auto& [name, entries] : expected) {
        QStringList read;
        for (const QAction* action : MainControl<QMenu>(name)->actions())
            read << (action->isSeparator() ? QStringLiteral("-") : action->text());
        EXPECT_EQ(read, entries) << name;
    }
    auto* popup = MainControl<QMenu>("PopupMenuComTerm");
    popup->actions().at(0)->trigger();
    EXPECT_TRUE(MainControl("gbInputFile")->isVisible() && CommTermForm->Splitter1->isVisible());
    popup->actions().at(1)->trigger();
    EXPECT_FALSE(MainControl("gbInputFile")->isVisible() || CommTermForm->Splitter1->isVisible());
}

// Each showing of the about box is a modal box of its own, closed by its
// button or Enter, with the program text, the version and the picture; only
// the one of start-up stays, never shown. A box left open is closed, so the
// test never hangs.
TEST_F(MainWindow, EachShowingOfTheAboutBoxIsAModalBoxOfItsOwnWithTheVersion)
{
    for (const bool byKey : {false, true}) {
        QStringList seen;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<TAboutBox*>(QApplication::activeModalWidget());
            if (box == nullptr || box == AboutBox || box->parentWidget() != CommTermForm)
                return;
            seen << box->findChild<QLabel*>("ProductName")->text() << box->findChild<QLabel*>("Version")->text()
                 << QString::number(box->findChild<QLabel*>("Comments")->isHidden())
                 << QString::number(box->findChild<QLabel*>("ProgramIcon")->pixmap().width());
            byKey ? QTest::keyClick(box, Qt::Key_Return) : box->findChild<QPushButton*>("OKButton")->click();
            if (box->isVisible())
                box->reject();
        });
        MainEntry("About1")->trigger();
        EXPECT_EQ(seen, (QStringList{"Communications Terminal ", "Version 1.7.7.1", "1", "191"}));
    }
    EXPECT_EQ(CommTermForm->findChildren<TAboutBox*>().size(), 1);
    EXPECT_FALSE(AboutBox->isVisible());
}

} // namespace
