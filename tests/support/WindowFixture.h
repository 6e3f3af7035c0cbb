#pragma once

#include "FakeInstrument.h"
#include "Files.h"
#include "TestServices.h"
#include "app/Startup.h"
#include "terminal/Main.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
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

    // A new run in the same folder, reading what it holds now; the boxes of
    // the run before are forgotten.
    void Restart()
    {
        DestroyWindows();
        Ui.Messages.clear();
        Ui.Exceptions.clear();
        CreateWindows();
        CommTermForm->show();
    }

    QString InstallPath() const { return Folder.Path(); }

    // A control or menu entry of the window by its name; fails the test when there is none.
    template <class Control = QWidget>
    static Control* Child(const QWidget& window, const QString& name)
    {
        auto* control = window.findChild<Control*>(name);
        EXPECT_NE(control, nullptr) << "no control " << name.toStdString();
        return control;
    }
    template <class Control = QWidget>
    Control* MainControl(const char* name) const { return Child<Control>(*CommTermForm, QString::fromLatin1(name)); }
    QAction* MainEntry(const char* name) const { return MainControl<QAction>(name); }

    static QStringList Items(const QComboBox& box)
    {
        QStringList items;
        for (int i = 0; i < box.count(); ++i)
            items << box.itemText(i);
        return items;
    }

    // Each error text up to the file it names ("Cannot open file").
    static QStringList Heads(const std::vector<QString>& texts)
    {
        QStringList heads;
        for (const QString& text : texts)
            heads << text.section(QLatin1Char('"'), 0, 0).trimmed();
        return heads;
    }

    // Makes the control's window the active one and gives the control the keyboard focus.
    static void FocusControl(QWidget& control)
    {
        QApplication::setActiveWindow(control.window());
        control.setFocus(Qt::OtherFocusReason);
    }

    TestInstallFolder Folder;
    InstalledTestServices Ui;
};
