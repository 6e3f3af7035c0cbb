#pragma once

#include "support/WindowFixture.h"

#include "platform/StatusBar.h"
#include "terminal/CommLog.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include <memory>
#include <utility>

// "line 0" to "line <count - 1>", one a line, without a line end after the last.
inline QString NumberedLines(int count)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << QStringLiteral("line %1").arg(i);
    return lines.join(QLatin1Char('\n'));
}

// Each line's time stamp read as "[t]", so that whole lines can be compared.
inline QStringList MaskStamps(QStringList lines)
{
    static const QRegularExpression stamp(QStringLiteral(R"(^\[\d{1,2}:\d{1,2}:\d{1,2}:\d{1,3}\]  )"));
    return lines.replaceInStrings(stamp, QStringLiteral("[t]  "));
}

// The log's lines, stamps masked; the empty place for the next line is not one of them.
inline QStringList LogLines()
{
    QStringList lines = CommLogForm->reLog->toPlainText().split(QLatin1Char('\n'));
    if (lines.constLast().isEmpty())
        lines.removeLast();
    return MaskStamps(lines);
}

// Logging as the main window holds and shows it: the flag and the ticked entry.
inline bool LoggingIs(bool on)
{
    return CommTermForm->LogEnabled == on
           && CommTermForm->findChild<QAction*>(QStringLiteral("EnableLog1"))->isChecked() == on
           && CommTermForm->findChild<QAction*>(QStringLiteral("DisableLog1"))->isChecked() == !on;
}

inline QStringList LogsFolderFiles(const QString& installPath)
{
    return QDir(installPath + QStringLiteral("/Logs")).entryList(QDir::Files);
}

// The main window with an instrument on COM3, chosen in the port box as a
// user chooses it, ready to send. The instrument answers nothing until a
// test gives it a rule.
class TrafficFixture : public WindowFixture
{
protected:
    void PrepareInstallFolder() override { Instrument = std::make_unique<FakeInstrument>(3); }

    // No port is stored yet: the start-up warning is not what these tests look at.
    void SetUp() override
    {
        WindowFixture::SetUp();
        Ui.Messages.clear();
        if (!HasFatalFailure())
            SelectPort();
    }

    void SelectPort()
    {
        QTest::keyClick(MainControl<QComboBox>("cboCommTerminal"), Qt::Key_Down);
        ASSERT_TRUE(CommTermForm->cboCommTerminal->currentText() == "COM3" && CommTermForm->CommPort->IsCommPortOpen());
    }

    // Typing into the command box, as a user does, and Enter.
    void Send(const QString& text)
    {
        CommandBox()->clear();
        QTest::keyClicks(CommandBox(), text);
        QTest::keyClick(CommandBox(), Qt::Key_Return);
    }

    // The settings window's 2000 ms read constant, kept through every reopen,
    // so that a reply on a loaded machine still meets its send.
    void WaitLongForReplies() { ASSERT_TRUE(CommTermForm->CommPort->InitCommPort("9600")); }

    void AnswerEveryCommand(const QByteArray& reply)
    {
        Instrument->SetRule([reply](const QByteArray&) { return FakeReply(reply); });
    }

    // One tick of the unsolicited-input poll, once the instrument's bytes wait
    // on the port. The poll's own timer is stopped, so that only the test ticks.
    void PollWhenQueued(const QByteArray& bytes)
    {
        CommTermForm->DelayTimer->stop();
        const int before = Instrument->Queued();
        Instrument->Send(bytes);
        ASSERT_TRUE(Instrument->WaitForQueued(before + static_cast<int>(bytes.size())));
        CommTermForm->DelayTimerTimer();
    }

    // A timer's tick, as the event loop delivers it.
    static void Tick(QTimer& timer) { QMetaObject::invokeMethod(&timer, "timeout"); }

    QLineEdit* CommandBox() const { return MainControl<QLineEdit>("eSendCommand"); }
    QTextEdit* Pane() const { return MainControl<QTextEdit>("reCommTerminal"); }
    QTextEdit* FilePane() const { return MainControl<QTextEdit>("reInputFile"); }
    QStringList PaneLines() const { return MaskStamps(Pane()->toPlainText().split(QLatin1Char('\n'))); }
    QString StatusPanel(int index) const { return MainControl<TStatusBar>("sbSendStatus")->PanelText(index); }
    // Runs the event loop until a pass in which no layout asked to be done
    // again: a layout that grows asks its parent's in the next pass.
    static void SettleLayouts()
    {
        struct Requests : QObject
        {
            bool eventFilter(QObject*, QEvent* event) override
            {
                Seen = Seen || event->type() == QEvent::LayoutRequest;
                return false;
            }
            bool Seen = true;
        } requests;
        QCoreApplication::instance()->installEventFilter(&requests);
        while (std::exchange(requests.Seen, false))
            QApplication::processEvents();
        QCoreApplication::instance()->removeEventFilter(&requests);
    }
    // Where each panel of the bar stands.
    static QList<QRect> PanelPlaces(const TStatusBar& bar)
    {
        QList<QRect> places;
        for (const QWidget* panel : bar.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            places << panel->geometry();
        return places;
    }

    std::unique_ptr<FakeInstrument> Instrument;
};
