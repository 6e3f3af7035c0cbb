#pragma once

#include "FakeInstrument.h"
#include "TestServices.h"
#include "app/Startup.h"
#include "terminal/Main.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QString>

// The program's whole window set, created as start-up creates it, in a
// temporary install folder (with its empty Logs/ folder) and with the test
// services installed; the main window has been shown. Everything is torn
// down again after each test.
//
// The first showing scans the ports and reads the configuration file, so a
// test that needs instruments or files there at start-up puts them in
// PrepareInstallFolder. Every port not linked by then is hidden, so no scan
// reaches the machine's own serial ports; a port linked later replaces its
// hidden link and is found by the next rescan.
//
// Kept in this header: it needs the windows' generated layout headers, which
// only the window test programs can see.
class WindowFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(Folder.Path()).mkdir(QStringLiteral("Logs")));
        PrepareInstallFolder();
        Folder.HideUnlinkedPorts();
        InitialiseApplication();
        CreateWindows();
        CommTermForm->show();
    }

    void TearDown() override { DestroyWindows(); }

    // Runs before the windows exist; the install folder is already in place.
    virtual void PrepareInstallFolder() {}

    QString InstallPath() const { return Folder.Path(); }

    // A control or menu entry of the main window by its name; fails the test
    // when there is none.
    template <class Control = QWidget>
    Control* MainControl(const char* name) const
    {
        auto* control = CommTermForm->findChild<Control*>(QString::fromLatin1(name));
        EXPECT_NE(control, nullptr) << "no control " << name;
        return control;
    }
    QAction* MainEntry(const char* name) const { return MainControl<QAction>(name); }

    // Makes the control's window the active one and gives the control the keyboard focus.
    static void FocusControl(QWidget& control)
    {
        QApplication::setActiveWindow(control.window());
        control.setFocus(Qt::OtherFocusReason);
    }

    TestInstallFolder Folder;
    InstalledTestServices Ui;
};
