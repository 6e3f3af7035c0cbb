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
// Kept in this header: it needs the windows' generated layout headers, which
// only the window test programs can see.
class WindowFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(Folder.Path()).mkdir(QStringLiteral("Logs")));
        InitialiseApplication();
        CreateWindows();
        CommTermForm->show();
    }

    void TearDown() override { DestroyWindows(); }

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
