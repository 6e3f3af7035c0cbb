#include "TrafficFixture.h"

#include "terminal/commcyclethread.h"

#include <QCheckBox>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QSplitterHandle>
#include <QTextCursor>
#include <QTextDocument>

namespace {

using namespace CommandFileFormat;

// ---- The line format ----

TEST(CommandFileFormat, ADirectiveLineWinsOverACommentAndSplitsAtTheFirstBlankOnly)
{
    const FileLine behindComment = ReadFileLine("// pause here |:HALT");
    EXPECT_EQ(behindComment.Kind, LineKind::Directive);
    EXPECT_EQ(behindComment.Keyword, "HALT");

    const FileLine padded = ReadFileLine("  |:  WAIT   250 \t ");
    EXPECT_EQ(padded.Keyword, "WAIT");
    EXPECT_EQ(padded.Argument, "250");

    // A remark after the argument makes it no number.
    EXPECT_EQ(ReadFileLine("|:WAIT 100 // remark").Argument, "100 // remark");

    const FileLine twoMarks = ReadFileLine("x |:HALT |:WAIT 5");
    EXPECT_EQ(twoMarks.Keyword, "HALT");
    EXPECT_EQ(twoMarks.Argument, "|:WAIT 5");

    const FileLine bare = ReadFileLine("|:WAIT");
    EXPECT_EQ(bare.Keyword, "WAIT");
    EXPECT_EQ(bare.Argument, "WAIT");

    // Only a blank separates; a tab stays inside the keyword.
    const FileLine tabbed = ReadFileLine("|:WAIT\t9");
    EXPECT_EQ(tabbed.Keyword, "WAIT\t9");
    EXPECT_EQ(tabbed.Argument, "WAIT\t9");
}

TEST(CommandFileFormat, CommentsAndEmptyLinesArePassedOverAndCommandsTrimmed)
{
    EXPECT_EQ(ReadFileLine("CMD 1 // remark").Kind, LineKind::Passed);
    EXPECT_EQ(ReadFileLine("").Kind, LineKind::Passed);

    const FileLine padded = ReadFileLine(QStringLiteral(" \t;LC:FL 3\x01\r "));
    EXPECT_EQ(padded.Kind, LineKind::Command);
    EXPECT_EQ(padded.Command, ";LC:FL 3");

    // A line of blanks is a command line whose text is empty: the send road drops it.
    const FileLine blanks = ReadFileLine(" \t ");
    EXPECT_EQ(blanks.Kind, LineKind::Command);
    EXPECT_TRUE(blanks.Command.isEmpty());

    // Only codes below 33 are trimmed: a no-break space is text.
    EXPECT_EQ(TrimControls(QStringLiteral("\x1f\u00a0A  B\x7f\u00a0 ")), QStringLiteral("\u00a0A  B\x7f\u00a0"));
}

TEST(CommandFileFormat, ThePaneHasTheLinesATextFileHas)
{
    QTextDocument pane;
    pane.setPlainText("A\nB\n");
    EXPECT_EQ(PaneLines(pane), (QStringList{"A", "B"}));
    pane.setPlainText("A\n\n");
    EXPECT_EQ(PaneLines(pane), (QStringList{"A", ""}));
    pane.setPlainText("");
    EXPECT_EQ(PaneLineCount(pane), 0);
    EXPECT_TRUE(PaneLines(pane).isEmpty());
}

// ---- The command-file pane ----

class CommandFiles : public TrafficFixture
{
protected:
    QString FilePath(const QString& name) const { return InstallPath() + QLatin1Char('/') + name; }

    void WriteFile(const QString& name, const QByteArray& bytes) const
    {
        QFile file(FilePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray ReadFile(const QString& name) const
    {
        QFile file(FilePath(name));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        return file.readAll();
    }

    QTextEdit* FilePane() const { return MainControl<QTextEdit>("reInputFile"); }
    QGroupBox* FileGroup() const { return MainControl<QGroupBox>("gbInputFile"); }
    QString FileNamePanel() const { return MainControl<TStatusBar>("sbCommProperties")->PanelText(2); }
    QAction* PopupEntry(const QString& caption) const
    {
        for (QAction* entry : CommTermForm->PopupMenuInputFile->actions())
            if (entry->text() == caption)
                return entry;
        ADD_FAILURE() << "no pop-up entry " << caption.toStdString();
        return nullptr;
    }

    void Open(const QString& name)
    {
        Ui.AnswerFileDialog(FilePath(name));
        MainEntry("LoadCommandFile1")->trigger();
    }
    void TypeIntoPane(const QString& text) { QTest::keyClicks(FilePane(), text); }

    // "Send Selected Command" on the characters from..to of the pane's text,
    // with the configuration marked unchanged before.
    void SendSelection(const QString& text, int from, int to)
    {
        MainEntry("ViewCommandFileWindow1")->trigger();
        FilePane()->setPlainText(text);
        QTextCursor cursor = FilePane()->textCursor();
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        FilePane()->setTextCursor(cursor);
        CommTermForm->ConfigChanged = false;
        PopupEntry("Send Selected Command")->trigger();
    }
};

TEST_F(CommandFiles, OpenLoadsThePlainTextShowsThePaneAndNamesTheFile)
{
    WriteFile("run.txt", "FIRST\r\n|:WAIT 5\r\nCAF\xC9\r\n");
    Open("run.txt");

    ASSERT_EQ(Ui.FileDialogs.size(), 1u);
    const platform::FileDialogRequest& request = Ui.FileDialogs[0].Request;
    EXPECT_FALSE(Ui.FileDialogs[0].Save);
    EXPECT_EQ(request.Title, "Open Command Input File");
    EXPECT_EQ(request.Filter, "Text File (*.txt)|*.txt|All Files (*.*)|*.*");
    EXPECT_TRUE(request.CreatePrompt);
    EXPECT_TRUE(request.OverwritePrompt);

    EXPECT_EQ(FilePane()->toPlainText(), QStringLiteral("FIRST\n|:WAIT 5\nCAF\u00c9\n"));
    EXPECT_TRUE(FileGroup()->isVisible());
    EXPECT_TRUE(FilePane()->isEnabled());
    EXPECT_TRUE(CommTermForm->Splitter1->isVisible());
    EXPECT_EQ(FileNamePanel(), "FileName: " + FilePath("run.txt"));
}

TEST_F(CommandFiles, CancelKeepsThePaneAndShowsTheLastNameChosen)
{
    Ui.CancelFileDialog();
    MainEntry("LoadCommandFile1")->trigger();
    EXPECT_EQ(FileNamePanel(), "FileName: ");

    WriteFile("a.txt", "A\r\n");
    Open("a.txt");
    Ui.CancelFileDialog();
    MainEntry("LoadCommandFile1")->trigger();
    EXPECT_EQ(FileNamePanel(), "FileName: " + FilePath("a.txt"));
    EXPECT_EQ(Ui.FileDialogs.back().Request.FileName, FilePath("a.txt"));
    EXPECT_EQ(FilePane()->toPlainText(), "A\n");
}

TEST_F(CommandFiles, ANewNameThatCannotBeOpenedKeepsThePaneAndThePanel)
{
    WriteFile("a.txt", "KEPT");
    Open("a.txt");
    Open("new.txt");

    ASSERT_EQ(Ui.Exceptions.size(), 1u);
    EXPECT_TRUE(Ui.Exceptions[0].startsWith("Cannot open file")) << Ui.Exceptions[0].toStdString();
    EXPECT_EQ(FilePane()->toPlainText(), "KEPT");
    EXPECT_EQ(FileNamePanel(), "FileName: " + FilePath("a.txt"));
}

TEST_F(CommandFiles, SaveCommandFileClearsAnUntouchedPaneWithoutADialog)
{
    WriteFile("a.txt", "A\r\nB\r\n");
    Open("a.txt");
    MainEntry("CloseCommandFile1")->trigger();

    EXPECT_EQ(Ui.FileDialogs.size(), 1u);
    EXPECT_TRUE(FilePane()->toPlainText().isEmpty());
    EXPECT_EQ(FileNamePanel(), "FileName: " + FilePath("a.txt"));
}

// Once a key was typed into the pane, every later "Save Command File" saves,
// also after a save and after a new open.
TEST_F(CommandFiles, AfterTypingEverySaveCommandFileSaves)
{
    MainEntry("ViewCommandFileWindow1")->trigger();
    TypeIntoPane("ONE");
    ASSERT_TRUE(CommTermForm->CommandFileChanged);

    Ui.AnswerFileDialog(FilePath("out"));
    MainEntry("CloseCommandFile1")->trigger();
    ASSERT_EQ(Ui.FileDialogs.size(), 1u);
    const platform::FileDialogRequest& request = Ui.FileDialogs[0].Request;
    EXPECT_TRUE(Ui.FileDialogs[0].Save);
    EXPECT_EQ(request.Title, "Save Command Input File");
    EXPECT_EQ(request.DefaultExt, ".txt");
    EXPECT_FALSE(request.OverwritePrompt);
    EXPECT_EQ(ReadFile("out.txt"), "ONE\r\n");
    EXPECT_EQ(FilePane()->toPlainText(), "ONE");
    EXPECT_TRUE(FileNamePanel().isEmpty());

    WriteFile("b.txt", "B");
    Open("b.txt");
    MainEntry("CloseCommandFile1")->trigger();
    EXPECT_EQ(Ui.FileDialogs.size(), 3u);
    EXPECT_TRUE(Ui.FileDialogs.back().Save);
    // Cancelled: nothing saved, the panel still emptied, the pane kept.
    EXPECT_TRUE(FileNamePanel().isEmpty());
    EXPECT_EQ(FilePane()->toPlainText(), "B");
}

TEST_F(CommandFiles, SavingWritesBackExactlyTheLinesThatWereLoaded)
{
    const QByteArray bytes = "FIRST\r\n\r\n// remark \xE9\r\n  |:HALT\r\n";
    WriteFile("in.txt", bytes);
    Open("in.txt");
    Ui.AnswerFileDialog(FilePath("copy.txt"));
    PopupEntry("&Save to File")->trigger();

    EXPECT_EQ(ReadFile("copy.txt"), bytes);
    EXPECT_TRUE(Ui.FileDialogs.back().Request.FileName.isEmpty());
}

TEST_F(CommandFiles, HidingKeepsTheTextClosingAndClearingDoNot)
{
    MainEntry("ViewCommandFileWindow1")->trigger();
    FilePane()->setPlainText("KEEP");
    MainEntry("HideCommandFileWindow1")->trigger();
    EXPECT_FALSE(FileGroup()->isVisible());
    EXPECT_FALSE(FileGroup()->isEnabled());
    EXPECT_FALSE(CommTermForm->Splitter1->isVisible());
    MainEntry("ViewCommandFileWindow1")->trigger();
    EXPECT_EQ(FilePane()->toPlainText(), "KEEP");

    PopupEntry("Close Command File")->trigger();
    EXPECT_FALSE(FileGroup()->isVisible());
    EXPECT_TRUE(FilePane()->toPlainText().isEmpty());

    WriteFile("a.txt", "A");
    for (QAction* clear : {MainEntry("ClearCommandFile1"), PopupEntry("Clear Command File Window")}) {
        Open("a.txt");
        clear->trigger();
        EXPECT_TRUE(FilePane()->toPlainText().isEmpty());
        EXPECT_TRUE(FileNamePanel().isEmpty());
    }
}

TEST_F(CommandFiles, SendSelectedCommandSendsTheTrimmedSelection)
{
    AnswerEveryCommand("OK\r\n");
    SendSelection("skip \t ;LC:ED? \t rest", 4, 15);
    ASSERT_TRUE(Instrument->WaitForCommands(1));
    EXPECT_EQ(Instrument->Commands(), QList<QByteArray>{";LC:ED?"});
    EXPECT_TRUE(CommTermForm->ConfigChanged);
}

TEST_F(CommandFiles, ASelectionOfBlanksSendsNothingAndChangesNothing)
{
    CommandBox()->setText("UNTOUCHED");
    SendSelection("A \t B", 1, 4);
    EXPECT_FALSE(CommTermForm->ConfigChanged);
    EXPECT_EQ(CommandBox()->text(), "UNTOUCHED");
    EXPECT_TRUE(Instrument->Received().isEmpty());
}

} // namespace
