#pragma once

#include "support/FakeInstrument.h"
#include "support/TestServices.h"

#include "app/Startup.h"
#include "terminal/Main.h"

#include <QComboBox>
#include <QDir>
#include <QTimer>

// The program's window set on the offscreen platform, in a temporary install
// folder, with an instrument on COM3 that gives every command the same reply,
// chosen in the port box as a user chooses it. The poll for unsolicited input
// is switched off, so a benchmark times only what it drives.
class BenchTerminal
{
public:
    explicit BenchTerminal(const QByteArray& reply)
    {
        QDir(Folder.Path()).mkdir(QStringLiteral("Logs"));
        Instrument.SetRule([reply](const QByteArray&) { return FakeReply(reply); });
        Folder.HideUnlinkedPorts();
        InitialiseApplication();
        CreateWindows();
        TCommTermForm& form = *CommTermForm;
        form.show();
        form.cboCommTerminal->setCurrentIndex(form.cboCommTerminal->findText(Instrument.PortName()));
        form.cboCommTerminalSelect();
        form.DelayTimer->stop();
    }
    ~BenchTerminal() { DestroyWindows(); }
    BenchTerminal(const BenchTerminal&) = delete;
    BenchTerminal& operator=(const BenchTerminal&) = delete;

    TestInstallFolder Folder;  // first: the instrument links its port in it
    FakeInstrument Instrument{3};
    InstalledTestServices Services;
};
