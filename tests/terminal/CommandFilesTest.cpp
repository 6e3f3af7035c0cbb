#include "TrafficFixture.h"

#include "terminal/commcyclethread.h"

#include <QFile>
#include <QMenu>
#include <QTextCursor>

namespace {

using namespace CommandFileFormat;

// ---- The line format ----

TEST(CommandFileFormat, DirectivesSplitAtTheirFirstBlankAndCommandsLoseControlCharacters)
{
    const struct {
        QString Line;
        LineKind Kind;
        QString Text;  // the keyword of a directive, the text of a command
        QString Argument;
    } cases[] = {
        // A directive splits at its first blank only.
        {"  |:  WAIT   250 \t ", LineKind::Directive, "WAIT", "250"},
        {"x |:HALT |:WAIT 5", LineKind::Directive, "HALT", "|:WAIT 5"},
        // A remark after the argument makes it no number.
        {"|:WAIT 100 // remark", LineKind::Directive, "WAIT", "100 // remark"},
        // Only a blank separates; a tab stays inside the keyword.
        {"|:WAIT\t9", LineKind::Directive, "WAIT\t9", "WAIT\t9"},
        {QStringLiteral(" \t;LC:FL 3\x01\r "), LineKind::Command, ";LC:FL 3", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Line.toStdString());
        const FileLine read = ReadFileLine(c.Line);
        EXPECT_EQ(read.Kind, c.Kind);
        EXPECT_EQ(read.Kind == LineKind::Directive ? read.Keyword : read.Command, c.Text);
        EXPECT_EQ(read.Argument, c.Argument);
    }
    // Only codes below 33 are trimmed: a no-break space is text.
    EXPECT_EQ(TrimControls(QStringLiteral("\x1f\u00a0A  B\x7f\u00a0 ")), QStringLiteral("\u00a0A  B\x7f\u00a0"));
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

    QString PaneText() const { return MainControl<QTextEdit>("reInputFile")->toPlainText(); }
    bool PaneShown() const { return MainControl<QGroupBox>("gbInputFile")->isVisible(); }
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
    void CancelOpen()
    {
        Ui.CancelFileDialog();
        MainEntry("LoadCommandFile1")->trigger();
    }
    void SaveCommandFile() { MainEntry("CloseCommandFile1")->trigger(); }

    // "Send Selected Command" on the characters from..to of the pane's text,
    // with the configuration marked unchanged before.
    void SendSelection(const QString& text, int from, int to)
    {
        MainEntry("ViewCommandFileWindow1")->trigger();
        auto* pane = MainControl<QTextEdit>("reInputFile");
        pane->setPlainText(text);
        QTextCursor cursor = pane->textCursor();
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        pane->setTextCursor(cursor);
        CommTermForm->ConfigChanged = false;
        PopupEntry("Send Selected Command")->trigger();
    }
};

// The pane's last line break starts no further line, but an empty line before
// it is one: saving writes back exactly the bytes loaded.
TEST_F(CommandFiles, OpenLoadsThePlainTextAndSaveToFileWritesItBack)
{
    const QByteArray bytes = "FIRST\r\n\r\n// remark \xE9\r\n  |:HALT\r\n\r\n";
    WriteFile("run.txt", bytes);
    Open("run.txt");

    ASSERT_EQ(Ui.FileDialogs.size(), 1u);
    const platform::FileDialogRequest& request = Ui.FileDialogs[0].Request;
    EXPECT_FALSE(Ui.FileDialogs[0].Save);
    EXPECT_EQ(request.Title, "Open Command Input File");
    EXPECT_EQ(request.Filter, "Text File (*.txt)|*.txt|All Files (*.*)|*.*");
    EXPECT_TRUE(request.CreatePrompt);
    EXPECT_TRUE(request.OverwritePrompt);
    EXPECT_EQ(PaneText(), QStringLiteral("FIRST\n\n// remark \u00e9\n  |:HALT\n\n"));
    EXPECT_TRUE(PaneShown());
    EXPECT_EQ(FileNamePanel(), "FileName: " + FilePath("run.txt"));

    Ui.AnswerFileDialog(FilePath("copy.txt"));
    PopupEntry("&Save to File")->trigger();
    EXPECT_EQ(ReadFile("copy.txt"), bytes);
}

TEST_F(CommandFiles, CancelOrANameThatCannotBeOpenedKeepsThePaneAndTheLastName)
{
    CancelOpen();
    EXPECT_EQ(FileNamePanel(), "FileName: ");

    WriteFile("a.txt", "A\r\n");
    Open("a.txt");
    CancelOpen();
    EXPECT_EQ(Ui.FileDialogs.back().Request.FileName, FilePath("a.txt"));
    Open("new.txt");

    ASSERT_EQ(Ui.Exceptions.size(), 1u);
    EXPECT_TRUE(Ui.Exceptions[0].startsWith("Cannot open file")) << Ui.Exceptions[0].toStdString();
    EXPECT_EQ(PaneText(), "A\n");
    EXPECT_EQ(FileNamePanel(), "FileName: " + FilePath("a.txt"));
}

// An untouched pane is cleared without a dialog. Once a key was typed into the
// pane, every later "Save Command File" saves, also after a save and after a
// new open.
TEST_F(CommandFiles, SaveCommandFileSavesOnlyOnceSomethingWasTyped)
{
    WriteFile("a.txt", "A\r\nB\r\n");
    Open("a.txt");
    SaveCommandFile();
    EXPECT_EQ(Ui.FileDialogs.size(), 1u);
    EXPECT_TRUE(PaneText().isEmpty());
    EXPECT_EQ(FileNamePanel(), "FileName: " + FilePath("a.txt"));

    QTest::keyClicks(MainControl<QTextEdit>("reInputFile"), "ONE");
    ASSERT_TRUE(CommTermForm->CommandFileChanged);
    Ui.AnswerFileDialog(FilePath("out"));
    SaveCommandFile();
    ASSERT_EQ(Ui.FileDialogs.size(), 2u);
    const platform::FileDialogRequest& request = Ui.FileDialogs[1].Request;
    EXPECT_TRUE(Ui.FileDialogs[1].Save);
    EXPECT_EQ(request.Title, "Save Command Input File");
    EXPECT_EQ(request.DefaultExt, ".txt");
    EXPECT_FALSE(request.OverwritePrompt);
    EXPECT_EQ(ReadFile("out.txt"), "ONE\r\n");
    EXPECT_EQ(PaneText(), "ONE");
    EXPECT_TRUE(FileNamePanel().isEmpty());

    Open("a.txt");
    SaveCommandFile();
    ASSERT_EQ(Ui.FileDialogs.size(), 4u);
    EXPECT_TRUE(Ui.FileDialogs.back().Save);
    // Cancelled: nothing saved, the panel still emptied, the pane kept.
    EXPECT_TRUE(FileNamePanel().isEmpty());
    EXPECT_EQ(PaneText(), "A\nB\n");
}

TEST_F(CommandFiles, HidingKeepsTheTextClosingAndClearingDoNot)
{
    WriteFile("a.txt", "A");
    Open("a.txt");
    MainEntry("HideCommandFileWindow1")->trigger();
    EXPECT_FALSE(PaneShown());
    EXPECT_FALSE(CommTermForm->Splitter1->isVisible());
    MainEntry("ViewCommandFileWindow1")->trigger();
    EXPECT_EQ(PaneText(), "A");

    PopupEntry("Close Command File")->trigger();
    EXPECT_FALSE(PaneShown());
    EXPECT_TRUE(PaneText().isEmpty());

    for (QAction* clear : {MainEntry("ClearCommandFile1"), PopupEntry("Clear Command File Window")}) {
        Open("a.txt");
        clear->trigger();
        EXPECT_TRUE(PaneText().isEmpty());
        EXPECT_TRUE(FileNamePanel().isEmpty());
    }
}

TEST_F(CommandFiles, SendSelectedCommandSendsTheTrimmedSelectionButNotBlanks)
{
    AnswerEveryCommand("OK\r\n");
    CommandBox()->setText("UNTOUCHED");
    SendSelection("A \t B", 1, 4);
    EXPECT_FALSE(CommTermForm->ConfigChanged);
    EXPECT_EQ(CommandBox()->text(), "UNTOUCHED");

    SendSelection("skip \t ;LC:ED? \t rest", 4, 15);
    ASSERT_TRUE(Instrument->WaitForCommands(1));
    EXPECT_EQ(Instrument->Commands(), QList<QByteArray>{";LC:ED?"});
    EXPECT_TRUE(CommTermForm->ConfigChanged);
}

} // namespace
