#include "ConfigurationTestSupport.h"

#include "terminal/ComboDialog.h"
#include "terminal/IncrementDialog.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <unistd.h>

namespace {

// ---- Reading the items ----

// A line text is the line less its leading blanks and tabs, whatever bytes it
// holds and however long it is.
TEST(ConfigurationItems, WordNumberAndLineTextForms)
{
    QStringList lines = DistinctFileLines(3, "\t0D,0A extra", "  COM12   trailing words");
    lines[1] = " 19200 baud";
    lines[2] = "  +19200xyz";
    lines[3] = "\t-4";
    lines[8] = "  \t  Inner  blanks kept  ";
    QByteArray contents = CrLfLines(lines);
    const QByteArray binary("\x00\x01\xff\x80\r\x1b", 6);
    const QByteArray longLine(1 << 20, 'x');
    contents.replace(contents.indexOf("Name 1"), 6, binary);
    contents.replace(contents.indexOf("S 1.0"), 5, longLine);
    TerminalConfiguration read;
    EXPECT_EQ(ReadTerminalConfiguration(contents, read), ConfigurationLineCount);
    EXPECT_EQ(read.PortName, "COM12");
    EXPECT_EQ(read.BaudRateText, "19200");
    EXPECT_EQ(read.BaudRate, 19200);
    EXPECT_EQ(read.DataBits, -4);
    EXPECT_EQ(read.TerminationString, "0D,0A");
    EXPECT_EQ(read.CurrentGroup, 3);
    EXPECT_EQ(read.Groups[0].GroupName, "Inner  blanks kept  ");
    EXPECT_EQ(read.Groups[1].GroupName, QString::fromLatin1(binary));
    EXPECT_EQ(read.Groups[1].CommandStrings[0].size(), longLine.size());
}

// The items from the bad line on keep what they held.
TEST(ConfigurationItems, NumberLineWithoutANumberStopsReading)
{
    for (const char* bad : {"eight", "", "- 8", "+", "99999999999", "-2147483649"}) {
        SCOPED_TRACE(bad);
        QStringList lines = DistinctFileLines(2, "0D", "COM9");
        lines[3] = bad;
        TerminalConfiguration read;
        read.DataBits = 8;
        EXPECT_EQ(ReadTerminalConfiguration(CrLfLines(lines), read), 3);
        EXPECT_EQ(read.PortName, "COM9");
        EXPECT_EQ(read.DataBits, 8);
        EXPECT_EQ(read.Groups[0].GroupName, "");
    }
}

// ---- The file at start-up and at close ----

using ConfigurationFile = ConfiguredWindows;

TEST_F(ConfigurationFile, FirstStartWritesTheDefaultFileAndShowsGroup1)
{
    EXPECT_EQ(ConfigFileBytes(), CrLfLines(DefaultFileLines()));
    ASSERT_EQ(Ui.Messages.size(), 1u);
    EXPECT_EQ(Ui.Messages[0].Text, "A communications port must be selected before sending commands");
    EXPECT_EQ(GroupBox()->currentText(), "GROUP1");
    EXPECT_EQ(CommonStrings(), QStringList(5, "Empty"));
    EXPECT_EQ(CommTermForm->eSendCommand->text(), "Command");
}

TEST_F(ConfigurationFile, GroupNamesKeepInnerBlanksLoseLeadingOnesAndMayBeEmpty)
{
    QStringList lines = DistinctFileLines(2);
    lines[8] = "My Group One";
    lines[8 + 16] = "    Leading";
    lines[8 + 32] = "";
    StartWith(CrLfLines(lines));
    EXPECT_EQ(GroupBoxItems().mid(0, 4), (QStringList{"My Group One", "Leading", "", "Name 3"}));
    // The group after the empty name line is read from its own lines.
    EXPECT_EQ(CommonStrings(), (QStringList{"S 2.0", "S 2.1", "S 2.2", "S 2.3", "S 2.4"}));
    EXPECT_EQ(CommTermForm->eSendCommand->text(), "C 2.0");
}

// A terminator that cannot be converted stops the load where it is: the
// groups are never read, so the box keeps its layout items and none is shown.
TEST_F(ConfigurationFile, TerminatorLine)
{
    QStringList lettersForDataBits = DistinctFileLines(1);
    lettersForDataBits[3] = "eight";
    const struct {
        QByteArray File;
        QByteArray Bytes;
        QString Error;
    } cases[] = {
        {DistinctFile(0, "0D"), "\r", ""},
        {DistinctFile(0, "0d,0a"), "\r\n", ""},
        {DistinctFile(4, "0D,0A,00"), "\r", "'0x0A,00' is not a valid integer value"},
        {CrLfLines(lettersForDataBits), "", "'0x' is not a valid integer value"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Error.toStdString() + " " + c.Bytes.toHex().toStdString());
        StartWith(c.File);
        EXPECT_EQ(CommTermForm->TerminationBytes, c.Bytes);
        EXPECT_EQ(Ui.Exceptions, c.Error.isEmpty() ? std::vector<QString>() : std::vector<QString>{c.Error});
        if (!c.Error.isEmpty()) {
            EXPECT_EQ(GroupBoxItems(), QStringList(10, "Empty"));
            EXPECT_EQ(CommTermForm->CurrentGroup, -1);
        }
    }
}

TEST_F(ConfigurationFile, FileEndingAfterLine100StartsWithTheRestEmpty)
{
    StartWith(CrLfLines(DistinctFileLines(5).mid(0, 100)));
    EXPECT_TRUE(Ui.Exceptions.empty());
    EXPECT_EQ(GroupBoxItems().mid(5), (QStringList{"Name 5", "", "", "", ""}));
    // Line 100 is command 5 of group 5, the group shown.
    EXPECT_EQ(CommTermForm->CommandArray[5], "C 5.5");
}

TEST_F(ConfigurationFile, StoredGroupOutsideTheTenShowsNoGroupToRenameOrCopy)
{
    for (int stored : {-1, 10}) {
        SCOPED_TRACE(stored);
        StartWith(DistinctFile(stored));
        EXPECT_EQ(CommTermForm->CurrentGroup, -1);
        EXPECT_EQ(GroupBox()->currentIndex(), -1);
        EXPECT_EQ(CommonStrings(), QStringList(5, "Empty"));
        // The history holds what reading passed through it last: group 10's commands.
        EXPECT_EQ(CommTermForm->eSendCommand->text(), "C 9.0");
        // With no group shown there is nothing to rename or copy.
        ModalScript rename(*IncrementForm), copy(*OKRightDlg);
        CommTermForm->RenameGroup1->trigger();
        CommTermForm->CopytoGroup1->trigger();
        EXPECT_EQ(rename.Showings() + copy.Showings(), 0);
    }
}

TEST_F(ConfigurationFile, NothingChangedLeavesTheFileUntouched)
{
    QStringList lines = DistinctFileLines(1, "0D,0A", "  COMX  old");
    lines[20] = "   an odd line   ";
    const QByteArray original = lines.join('\n').toLatin1();
    StartWith(original);
    // Renaming, resetting and changing groups are no changes to save.
    {
        ModalScript rename(*IncrementForm);
        rename.Then([](QDialog&) {
            IncrementForm->leIncValue->setText("Renamed");
            IncrementForm->cmdOK->click();
        });
        CommTermForm->RenameGroup1->trigger();
    }
    ASSERT_EQ(GroupBoxItems()[1], "Renamed");
    CommTermForm->ResetCommandStrings1Click();
    ChooseGroup(4);
    CloseAndStart();
    EXPECT_EQ(ConfigFileBytes(), original);
}

// Every item differs from the default file: read from LF lines, each comes
// back in the CR LF file written at close, beside what was typed.
TEST_F(ConfigurationFile, EveryFieldSurvivesCloseAndStart)
{
    QStringList lines = DistinctFileLines(3, "0A");
    lines[1] = lines[2] = "19200";
    lines[3] = "7";
    lines[4] = lines[5] = "2";
    lines.last() = QString::fromLatin1("caf\xe9 \x01;LC:FL 1");
    StartWith(lines.join('\n').toLatin1());
    CommTermForm->EnableCommActiveObjects();
    CommonString(2)->clear();
    QTest::keyClicks(CommonString(2), ";LC:FL 1");
    CommTermForm->CommandArray[4] = "*IDN?";
    CommTermForm->ConfigChanged = true;

    CloseAndStart();
    lines[8 + 3 * 16 + 2] = ";LC:FL 1";
    lines[8 + 3 * 16 + 10] = "*IDN?";
    EXPECT_EQ(ConfigFileBytes(), CrLfLines(lines));
    EXPECT_EQ(CommTermForm->CommPort->DataBits, 7);
    EXPECT_EQ(CommTermForm->TerminationBytes, QByteArray("\n"));
    EXPECT_EQ(GroupBox()->currentText(), "Name 3");
    EXPECT_EQ(CommonString(2)->text(), ";LC:FL 1");
    EXPECT_EQ(CommTermForm->CommandArray[4], "*IDN?");
}

// A save that cannot open the file fails silently and leaves what is there.
TEST_F(ConfigurationFile, NoFileAndNoWayToWriteOneStartsWithNothingRead)
{
    DestroyWindows();
    QFile::remove(ConfigFileName());
    ASSERT_TRUE(QDir().mkpath(ConfigFileName()));
    Start();
    EXPECT_TRUE(CommTermForm->TerminationBytes.isEmpty());
    EXPECT_EQ(GroupBoxItems(), QStringList(10, "Empty"));
    EXPECT_EQ(CommonStrings(), QStringList(5, ""));
    CommTermForm->ConfigChanged = true;
    CommTermForm->close();
    EXPECT_TRUE(Ui.Exceptions.empty());
    EXPECT_TRUE(QFileInfo(ConfigFileName()).isDir());
}

TEST_F(ConfigurationFile, FileThatCannotBeOpenedForWritingStaysAsItWas)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "a read-only file is writable for root";
    const QByteArray original = ConfigFileBytes();
    ASSERT_TRUE(QFile::setPermissions(ConfigFileName(), QFile::ReadOwner));
    ChooseGroup(2);
    CommTermForm->ConfigChanged = true;
    CommTermForm->close();
    EXPECT_EQ(ConfigFileBytes(), original);
    EXPECT_TRUE(Ui.Exceptions.empty());
}

} // namespace
