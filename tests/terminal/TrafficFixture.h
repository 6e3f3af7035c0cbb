#pragma once

#include "support/WindowFixture.h"

#include "platform/StatusBar.h"
#include "terminal/CommLog.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QPlainTextEdit>
#include <QTextEdit>

#include <memory>

// The main window with an instrument on COM3, chosen in the port box as a
// user chooses it, ready to send. The instrument answers nothing until a
// test gives it a rule.
class TrafficFixture : public WindowFixture
{
protected:
    void PrepareInstallFolder() override { Instrument = std::make_unique<FakeInstrument>(3); }

    void SetUp() override
    {
        WindowFixture::SetUp();
        if (HasFatalFailure())
            return;
        // No port is stored yet: the start-up warning is not what these tests look at.
        Ui.Messages.clear();
        SelectPort();
    }

    void SelectPort()
    {
        auto* portBox = MainControl<QComboBox>("cboCommTerminal");
        ASSERT_EQ(portBox->findText(QStringLiteral("COM3")), 0);
        QTest::keyClick(portBox, Qt::Key_Down);
        ASSERT_EQ(portBox->currentText(), "COM3");
        ASSERT_TRUE(CommTermForm->CommPort->IsCommPortOpen());
    }

    // Typing into the command box, as a user does, and Enter.
    void Type(const QString& text)
    {
        CommandBox()->clear();
        QTest::keyClicks(CommandBox(), text);
    }
    void PressEnter() { QTest::keyClick(CommandBox(), Qt::Key_Return); }
    void Send(const QString& text)
    {
        Type(text);
        PressEnter();
    }

    void AnswerEveryCommand(const QByteArray& reply)
    {
        Instrument->SetRule([reply](const QByteArray&) { return FakeReply(reply); });
    }

    QLineEdit* CommandBox() const { return MainControl<QLineEdit>("eSendCommand"); }
    QTextEdit* Pane() const { return MainControl<QTextEdit>("reCommTerminal"); }
    QStringList PaneLines() const { return Pane()->toPlainText().split(QLatin1Char('\n')); }
    QString StatusPanel(int index) const
    {
        return MainControl<TStatusBar>("sbSendStatus")->PanelText(index);
    }
    QString LogText() const
    {
        auto* log = CommLogForm->findChild<QPlainTextEdit*>(QStringLiteral("reLog"));
        EXPECT_NE(log, nullptr);
        return log != nullptr ? log->toPlainText() : QString();
    }

    std::unique_ptr<FakeInstrument> Instrument;
};
