#include "CycleFixture.h"

#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QTextCursor>

#include <functional>

namespace {

class CommandFiles : public CycleFixture
{
protected:
    QString FilePath(const QString& name) const { return InstallPath() + QLatin1Char('/') + name; }
    void WriteFile(const QString& name, const QByteArray& bytes) const
    {
        ASSERT_TRUE(WriteWholeFile(FilePath(name), bytes));
    }
    QString PaneText() const { return FilePane()->toPlainText(); }
    QString FileNamePanel() const { return MainControl<TStatusBar>("sbCommProperties")->PanelText(2); }
    QAction* PopupEntry(const QString& caption) const
    {
        for (QAction* entry : CommTermForm->PopupMenuInputFile->actions())
            if (entry->text() == caption)
                return entry;
        ADD_FAILURE() << "no pop-up entry " << caption.toStdString();
        return nullptr;
    }

    // "Open Command File", the dialog answered with the name or cancelled.
    void Open(const QString& name)
    {
        if (name.isEmpty())
            Ui.CancelFileDialog();
        else
            Ui.AnswerFileDialog(FilePath(name));
        MainEntry("LoadCommandFile1")->trigger();
    }

    // The pane shown and focused with the text, its characters from..to selected.
    void Select(const QString& text, int from, int to)
    {
        ShowCommandFile(text);
        QTextCursor cursor = FilePane()->textCursor();
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        FilePane()->setTextCursor(cursor);
        FocusControl(*FilePane());
    }
};

// The pane's last line break starts no further line, but an empty line before
// it is one: saving writes back exactly the bytes loaded. Cancel, or a name
// that cannot be opened, keeps the pane and the name last chosen.
TEST_F(CommandFiles, OpenLoadsThePlainTextAndSaveToFileWritesItBack)
{
    Open("");
    EXPECT_EQ(FileNamePanel(), "FileName: ");
    const QByteArray bytes = "FIRST\r\n\r\n// remark \xE9\r\n  |:HALT\r\n\r\n";
    WriteFile("run.txt", bytes);
    Open("run.txt");
    const platform::FileDialogRequest& request = Ui.FileDialogs.at(1).Request;
    EXPECT_EQ(request.Title + request.Filter, "Open Command Input FileText File (*.txt)|*.txt|All Files (*.*)|*.*");
    EXPECT_TRUE(request.CreatePrompt && request.OverwritePrompt && !Ui.FileDialogs[1].Save);
    EXPECT_TRUE(MainControl("gbInputFile")->isVisible());
    Open("");
    Open("new.txt");
    EXPECT_EQ(PaneText(), QStringLiteral("FIRST\n\n// remark \u00e9\n  |:HALT\n\n"));
    EXPECT_EQ(Ui.FileDialogs.at(2).Request.FileName, FilePath("run.txt"));
    EXPECT_EQ(Heads(Ui.Exceptions), QStringList{"Cannot open file"});
    EXPECT_EQ(FileNamePanel(), "FileName: " + FilePath("run.txt"));

    Ui.AnswerFileDialog(FilePath("copy.txt"));
    PopupEntry("&Save to File")->trigger();
    EXPECT_EQ(ReadWholeFile(FilePath("copy.txt")), bytes);
}

// An untouched pane is cleared without a dialog. Once something was pasted,
// every later "Save Command File" saves, also after a save and a new open;
// "Close Command File" saves the same way and hides the pane.
TEST_F(CommandFiles, SaveCommandFileSavesOnlyOnceTheUserChangedThePane)
{
    WriteFile("a.txt", "A\r\nB\r\n");
    Open("a.txt");
    MainEntry("CloseCommandFile1")->trigger();
    EXPECT_EQ(Ui.FileDialogs.size(), 1u);
    EXPECT_EQ(PaneText() + FileNamePanel(), "FileName: " + FilePath("a.txt"));

    QApplication::clipboard()->setText(QStringLiteral("ONE"));
    FocusControl(*FilePane());
    QTest::keyClick(FilePane(), Qt::Key_V, Qt::ControlModifier);
    Ui.AnswerFileDialog(FilePath("out"));
    MainEntry("CloseCommandFile1")->trigger();
    const platform::FileDialogRequest& request = Ui.FileDialogs.at(1).Request;
    EXPECT_TRUE(Ui.FileDialogs[1].Save && !request.OverwritePrompt);
    EXPECT_EQ(request.Title + request.DefaultExt, "Save Command Input File.txt");
    EXPECT_EQ(ReadWholeFile(FilePath("out.txt")), "ONE\r\n");
    EXPECT_EQ(PaneText() + FileNamePanel(), "ONE");

    Open("a.txt");
    PopupEntry("Close Command File")->trigger();
    // Cancelled: nothing saved, the panel still emptied, the text kept.
    ASSERT_EQ(Ui.FileDialogs.size(), 4u);
    EXPECT_TRUE(Ui.FileDialogs.back().Save);
    EXPECT_EQ(PaneText() + FileNamePanel(), "A\nB\n");
    EXPECT_FALSE(MainControl("gbInputFile")->isVisible() || CommTermForm->Splitter1->isVisible());
}

// Each way of changing the pane's text, from "AB" with "B" selected and "P"
// on the clipboard: only the user's ways mark it changed.
TEST_F(CommandFiles, EveryChangeTheUserMakesMarksThePaneChangedAndTheProgramsDoNot)
{
    WriteFile("a.txt", "AB");
    QMimeData dropped;
    dropped.setText(QStringLiteral("D"));
    const auto key = [this](Qt::Key key, Qt::KeyboardModifiers held) { QTest::keyClick(FilePane(), key, held); };
    const auto drop = [&, this] {
        QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, &dropped, Qt::LeftButton, {});
        QDropEvent drop(QPointF(2, 2), Qt::CopyAction, &dropped, Qt::LeftButton, {});
        QApplication::sendEvent(FilePane()->viewport(), &enter);
        QApplication::sendEvent(FilePane()->viewport(), &drop);
    };
    const auto undo = [&, this] {
        key(Qt::Key_C, {});
        CommTermForm->CommandFileChanged = false;
        FilePane()->undo();
    };
    const auto run = [this] {
        PressStart();
        ASSERT_TRUE(WaitUntil([] { return !CycleThread->RunFile; }));
    };
    const struct { const char* Way; std::function<void()> Change; QString Text; bool Marks; } ways[] = {
        {"typed", [&] { key(Qt::Key_C, {}); }, "Ac", true},
        {"Ctrl+V", [&] { key(Qt::Key_V, Qt::ControlModifier); }, "AP", true},
        {"Delete", [&] { key(Qt::Key_Delete, {}); }, "A", true},
        {"pop-up Paste", [this] { PopupEntry("&Paste")->trigger(); }, "AP", true},
        {"pop-up Cut", [this] { PopupEntry("Cu&t")->trigger(); }, "A", true},
        {"dropped", drop, "DAB", true},
        {"undone", undo, "AB", true},
        {"opened", [this] { Open("a.txt"); }, "AB", false},
        {"cleared", [this] { MainEntry("ClearCommandFile1")->trigger(); }, "", false},
        {"pop-up cleared", [this] { PopupEntry("Clear Command File Window")->trigger(); }, "", false},
        {"run, marking each line it sends", run, "AB", false},
    };
    for (const auto& way : ways) {
        Select("AB", 1, 2);
        QApplication::clipboard()->setText(QStringLiteral("P"));
        CommTermForm->CommandFileChanged = false;
        way.Change();
        EXPECT_EQ(PaneText(), way.Text) << way.Way;
        EXPECT_EQ(CommTermForm->CommandFileChanged, way.Marks) << way.Way;
    }
    // Nothing the program wrote can be undone into the file.
    FilePane()->undo();
    EXPECT_EQ(PaneText(), "AB");
    EXPECT_EQ(Instrument->Commands(), QList<QByteArray>{"AB"});
}

// A selection of blanks sends nothing and marks nothing; one over two lines
// goes out, and into the recent commands, as one line.
TEST_F(CommandFiles, SendSelectedCommandSendsTheTrimmedSelectionOnOneLine)
{
    const struct { QString Text; int From; int To; bool Marks; } selections[] = {
        {"A \t B", 1, 4, false}, {"skip \t ;LC:ED? \t rest", 4, 15, true}, {"X\n;LC:FL\n3\n", 0, 11, true}};
    for (const auto& s : selections) {
        Select(s.Text, s.From, s.To);
        CommTermForm->ConfigChanged = false;
        PopupEntry("Send Selected Command")->trigger();
        EXPECT_EQ(CommTermForm->ConfigChanged, s.Marks) << s.Text.toStdString();
    }
    ASSERT_TRUE(Instrument->WaitForCommands(2));
    EXPECT_EQ(Instrument->Commands(), (QList<QByteArray>{";LC:ED?", "X ;LC:FL 3"}));
    EXPECT_EQ(CommTermForm->CommandArray[2], "X ;LC:FL 3");
}

} // namespace
