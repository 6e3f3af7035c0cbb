#pragma once

#include "terminal/TrafficFixture.h"

#include "panels/PanelSend.h"
#include "platform/NumericEntryBox.h"

#include <QClipboard>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>

#include <chrono>
#include <map>
#include <memory>
#include <mutex>

// The window set with an instrument on COM3, chosen in the port box. The
// instrument answers every command at once, with the reply the test gave for
// it or else "OK", so each send ends as soon as its reply is read; it notes
// when each command arrived.
class PanelFixture : public TrafficFixture
{
protected:
    void SetUp() override
    {
        TrafficFixture::SetUp();
        if (HasFatalFailure())
            return;
        Instrument->SetRule([answers = Answers](const QByteArray& command) { return answers->ReplyTo(command); });
        WaitLongForReplies();
    }

    // The reply, terminator included, to later commands of this text.
    void Answer(const QByteArray& command, const QByteArray& reply)
    {
        std::lock_guard lock(Answers->Mutex);
        Answers->Replies[command] = reply;
    }

    // The time from the latest arrival of one command to that of another.
    std::chrono::steady_clock::duration ArrivalGap(const QByteArray& first, const QByteArray& second)
    {
        std::lock_guard lock(Answers->Mutex);
        return Answers->Arrivals[second] - Answers->Arrivals[first];
    }

    // Opens the panel and makes it the active window, as a user's click would.
    static void Open(QWidget& panel, void (TCommTermForm::*opening)())
    {
        (CommTermForm->*opening)();
        QApplication::setActiveWindow(&panel);
    }

    // Every command the instrument received since the last call, in order. A
    // mark sent last shows that nothing sent before it is still on its way.
    QList<QByteArray> Wire()
    {
        const QByteArray mark = "#mark";
        panels::Send(QString::fromLatin1(mark));
        QList<QByteArray> commands;
        while ((commands = Instrument->Commands()).isEmpty() || commands.constLast() != mark) {
            if (!Instrument->WaitForCommands(static_cast<int>(commands.size()) + 1)) {
                ADD_FAILURE() << "the mark never reached the instrument";
                return commands;
            }
        }
        Instrument->ClearReceived();
        commands.removeLast();
        return commands;
    }

    template <class Control>
    static Control* Find(const QWidget& window, const char* name)
    {
        auto* control = window.findChild<Control*>(QString::fromLatin1(name));
        EXPECT_NE(control, nullptr) << "no control " << name;
        return control;
    }

    // A click into the box (which selects its text) and the keys of the text.
    static void Type(QLineEdit& box, const QString& text)
    {
        QTest::mouseClick(&box, Qt::LeftButton);
        QTest::keyClicks(&box, text);
    }

    static QRgb Colour(const QLineEdit& box) { return platform::EntryColour(box); }

    // The edit's own menu entry Paste, over the box's whole text; the click
    // that opens the menu gives the box the focus.
    static void Paste(QLineEdit& box, const QString& text)
    {
        QApplication::clipboard()->setText(text);
        FocusControl(box);
        box.selectAll();
        const std::unique_ptr<QMenu> menu(box.createStandardContextMenu());
        for (QAction* entry : menu->actions()) {
            if (entry->text().startsWith(QLatin1String("&Paste")))
                entry->trigger();
        }
    }

    // Text dragged from another program and dropped on the empty box, which
    // does not take the focus for it.
    static void Drop(QLineEdit& box, const QString& text)
    {
        box.clear();
        QMimeData data;
        data.setText(text);
        const QPoint at = box.rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&box, &enter);
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&box, &drop);
    }

private:
    // Shared with the instrument's thread, which may outlive the fixture's members.
    struct InstrumentAnswers
    {
        FakeReply ReplyTo(const QByteArray& command)
        {
            std::lock_guard lock(Mutex);
            Arrivals[command] = std::chrono::steady_clock::now();
            const auto reply = Replies.find(command);
            return reply != Replies.end() ? FakeReply(reply->second) : FakeReply("OK\r\n");
        }
        std::mutex Mutex;
        std::map<QByteArray, QByteArray> Replies;
        std::map<QByteArray, std::chrono::steady_clock::time_point> Arrivals;
    };
    std::shared_ptr<InstrumentAnswers> Answers = std::make_shared<InstrumentAnswers>();
};
