#include "ConfigurationTestSupport.h"

#include "serial/CommSettings.h"
#include "terminal/IncrementDialog.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <unistd.h>

namespace {

// ---- Reading and writing the file's bytes ----

int Read(const QByteArray& contents, TerminalConfiguration& into)
{
    into.DataBits = 8;
    return ReadTerminalConfiguration(contents, into);
}

TEST(ConfigurationItems, WordNumberAndLineTextForms)
{
    QStringList lines = DistinctFileLines("  COM12   trailing words", "\t0D,0A extra", 3);
    lines[1] = " 19200 baud";
    lines[2] = "  +19200xyz";
    lines[3] = "\t-4";
    lines[8] = "  \t  Inner  blanks kept  ";
    TerminalConfiguration read;
    EXPECT_EQ(Read(CrLfLines(lines), read), ConfigurationLineCount);
    EXPECT_EQ(read.PortName, "COM12");
    EXPECT_EQ(read.BaudRateText, "19200");
    EXPECT_EQ(read.BaudRate, 19200);
    EXPECT_EQ(read.DataBits, -4);
    EXPECT_EQ(read.TerminationString, "0D,0A");
    EXPECT_EQ(read.CurrentGroup, 3);
    EXPECT_EQ(read.Groups[0].GroupName, "Inner  blanks kept  ");
    // The ring passes every group's commands and ends with the last group's.
    EXPECT_EQ(read.RecentCommands[0], "C 9.0");
}

TEST(ConfigurationItems, LineFeedEndsWithoutAFinalOneReadAsCrLfLines)
{
    const QStringList lines = DistinctFileLines("COM4", "0D,0A", 7);
    TerminalConfiguration fromCrLf, fromLf;
    Read(CrLfLines(lines), fromCrLf);
    EXPECT_EQ(Read(lines.join('\n').toLatin1(), fromLf), ConfigurationLineCount);
    EXPECT_EQ(WriteTerminalConfiguration(fromLf), WriteTerminalConfiguration(fromCrLf));
}

TEST(ConfigurationItems, NumberLineWithoutANumberStopsReading)
{
    for (const char* bad : {"eight", "", "- 8", "+", "99999999999", "-2147483649"}) {
        QStringList lines = DistinctFileLines("COM9", "0D", 2);
        lines[3] = bad;
        TerminalConfiguration read;
        EXPECT_EQ(Read(CrLfLines(lines), read), 3) << bad;
        EXPECT_EQ(read.PortName, "COM9") << bad;
        EXPECT_EQ(read.DataBits, 8) << bad;
        EXPECT_EQ(read.TerminationString, "") << bad;
        EXPECT_EQ(read.Groups[0].GroupName, "") << bad;
    }
}

TEST(ConfigurationItems, BinaryBytesAndLongLinesAreReadAsText)
{
    QByteArray contents = CrLfLines(DistinctFileLines("COMX", "0D", 0));
    const QByteArray binary("\x00\x01\xff\x80\r\x1b", 6);
    const QByteArray longLine(1 << 20, 'x');
    contents.replace(contents.indexOf("Name 0"), 6, binary);
    contents.replace(contents.indexOf("S 0.0"), 5, longLine);
    TerminalConfiguration read;
    EXPECT_EQ(Read(contents, read), ConfigurationLineCount);
    EXPECT_EQ(read.Groups[0].GroupName, QString::fromLatin1(binary));
    EXPECT_EQ(read.Groups[0].CommandStrings[0].size(), longLine.size());
}

TEST(ConfigurationItems, WrittenTextsComeBackWithoutTheirLeadingBlanks)
{
    TerminalConfiguration written = DefaultTerminalConfiguration();
    written.Groups[4].GroupName = "  Padded name ";
    written.Groups[4].CommandStrings[2] = "\tTAB:1";
    written.Groups[7].Commands[3] = QString::fromLatin1("caf\xe9 \x01;LC:FL 1");
    written.CurrentGroup = -1;
    TerminalConfiguration read;
    ASSERT_EQ(Read(WriteTerminalConfiguration(written), read), ConfigurationLineCount);
    EXPECT_EQ(read.Groups[4].GroupName, "Padded name ");
    EXPECT_EQ(read.Groups[4].CommandStrings[2], "TAB:1");
    EXPECT_EQ(read.Groups[7].Commands[3], written.Groups[7].Commands[3]);
    EXPECT_EQ(read.CurrentGroup, -1);
}

// ---- The file at start-up and at close ----

using ConfigurationFile = ConfiguredWindows;

TEST_F(ConfigurationFile, FirstStartWritesTheDefaultFileAndShowsGroup1)
{
    EXPECT_EQ(ConfigFileBytes(), CrLfLines(DefaultFileLines()));
    ASSERT_EQ(Ui.Messages.size(), 1u);
    EXPECT_EQ(Ui.Messages[0].Text, "A communications port must be selected before sending commands");
    EXPECT_EQ(CommTermForm->cboCommTerminal->currentText(), "Comm Port");
    EXPECT_EQ(CommTermForm->TerminationBytes, QByteArray("\r\n"));
    EXPECT_EQ(GroupBoxItems().size(), 10);
    EXPECT_EQ(GroupBoxItems().last(), "GROUP10");
    EXPECT_EQ(GroupBox()->currentText(), "GROUP1");
    EXPECT_EQ(CommonStrings(), QStringList(5, "Empty"));
    EXPECT_EQ(CommTermForm->CommandArray[9], "Command");
    EXPECT_EQ(CommTermForm->eSendCommand->text(), "Command");
    EXPECT_TRUE(Ui.Exceptions.empty());
}

TEST_F(ConfigurationFile, GroupNamesKeepInnerBlanksLoseLeadingOnesAndMayBeEmpty)
{
    QStringList lines = DistinctFileLines("COMX", "0D,0A", 2);
    lines[8] = "My Group One";
    lines[8 + 16] = "    Leading";
    lines[8 + 32] = "";
    StartWith(CrLfLines(lines));
    EXPECT_EQ(GroupBoxItems().mid(0, 4), (QStringList{"My Group One", "Leading", "", "Name 3"}));
    // The group after the empty name line is read from its own lines.
    EXPECT_EQ(CommonStrings(), (QStringList{"S 2.0", "S 2.1", "S 2.2", "S 2.3", "S 2.4"}));
    EXPECT_EQ(CommTermForm->eSendCommand->text(), "C 2.0");
}

TEST_F(ConfigurationFile, OneOrTwoTerminatorBytes)
{
    StartWith(CrLfLines(DistinctFileLines("COMX", "0D", 0)));
    EXPECT_EQ(CommTermForm->TerminationBytes, QByteArray("\r"));
    StartWith(CrLfLines(DistinctFileLines("COMX", "0d,0a", 0)));
    EXPECT_EQ(CommTermForm->TerminationBytes, QByteArray("\r\n"));
    EXPECT_TRUE(Ui.Exceptions.empty());
}

TEST_F(ConfigurationFile, ThreeTerminatorPartsStopTheLoadAfterTheFirstByte)
{
    StartWith(CrLfLines(DistinctFileLines("COMX", "0D,0A,00", 4)));
    ASSERT_EQ(Ui.Exceptions.size(), 1u);
    EXPECT_EQ(Ui.Exceptions[0], "'0x0A,00' is not a valid integer value");
    EXPECT_EQ(CommTermForm->TerminationBytes, QByteArray("\r"));
    // The groups were never read: the box keeps its layout items, no group is shown.
    EXPECT_EQ(GroupBoxItems(), QStringList(10, "Empty"));
    EXPECT_EQ(CommTermForm->CurrentGroup, -1);
}

TEST_F(ConfigurationFile, NumberLineHoldingLettersLeavesTheTerminatorUnread)
{
    QStringList lines = DistinctFileLines("COMX", "0D,0A", 1);
    lines[3] = "eight";
    StartWith(CrLfLines(lines));
    ASSERT_EQ(Ui.Exceptions.size(), 1u);
    EXPECT_EQ(Ui.Exceptions[0], "'0x' is not a valid integer value");
    EXPECT_EQ(CommTermForm->CommPort->DataBits, 8);
    EXPECT_TRUE(CommTermForm->TerminationBytes.isEmpty());
}

TEST_F(ConfigurationFile, FileEndingAfterLine100StartsWithTheRestEmpty)
{
    StartWith(CrLfLines(DistinctFileLines("COMX", "0D,0A", 5).mid(0, 100)));
    EXPECT_TRUE(Ui.Exceptions.empty());
    const QStringList items = GroupBoxItems();
    ASSERT_EQ(items.size(), 10);
    EXPECT_EQ(items[5], "Name 5");
    EXPECT_EQ(items.mid(6), QStringList(4, ""));
    // Line 100 is command 5 of group 5, the group shown.
    EXPECT_EQ(CommTermForm->CommandArray[5], "C 5.5");
    EXPECT_EQ(CommTermForm->CommandArray[6], "");
    ASSERT_EQ(Ui.Messages.size(), 1u);
    EXPECT_EQ(Ui.Messages[0].Title, "Communications Port Warning");
}

TEST_F(ConfigurationFile, StoredGroupOutsideTheTenShowsNoGroup)
{
    for (int stored : {-1, 10}) {
        StartWith(CrLfLines(DistinctFileLines("COMX", "0D,0A", stored)));
        EXPECT_EQ(CommTermForm->CurrentGroup, -1) << stored;
        EXPECT_EQ(GroupBox()->currentIndex(), -1) << stored;
        EXPECT_EQ(CommonStrings(), QStringList(5, "Empty")) << stored;
        // The history holds what reading passed through it last: group 10's commands.
        EXPECT_EQ(CommTermForm->eSendCommand->text(), "C 9.0") << stored;
    }
}

TEST_F(ConfigurationFile, NothingChangedLeavesTheFileUntouched)
{
    QStringList lines = DistinctFileLines("  COMX  old", "0D,0A", 1);
    lines[20] = "   an odd line   ";
    const QByteArray original = lines.join('\n').toLatin1();
    StartWith(original);
    // Renaming, resetting and changing groups are no changes to save.
    WhenShown(*IncrementForm, [] {
        IncrementForm->leIncValue->setText("Renamed");
        IncrementForm->cmdOK->click();
    });
    CommTermForm->RenameGroup1->trigger();
    ASSERT_EQ(GroupBoxItems()[1], "Renamed");
    CommTermForm->ResetCommandStrings1Click();
    ChooseGroup(4);
    CloseAndStart();
    EXPECT_EQ(ConfigFileBytes(), original);
    EXPECT_EQ(GroupBoxItems()[1], "Name 1");
}

TEST_F(ConfigurationFile, EveryFieldSurvivesCloseAndStart)
{
    CSerialPort& port = *CommTermForm->CommPort;
    port.BaudRateText = "19200";
    port.BaudRate = 19200;
    port.DataBits = 4;
    port.Parity = 2;
    port.StopBits = 2;
    ApplyTerminationString("0A");
    ChooseGroup(3);
    CommTermForm->CommandGroups[7].GroupName = "Seven";
    CommTermForm->CommandGroups[9].Commands[9] = "Nine";
    CommTermForm->EnableCommActiveObjects();
    CommonString(2)->clear();
    QTest::keyClicks(CommonString(2), ";LC:FL 1");
    CommTermForm->CommandArray[4] = "*IDN?";
    CommTermForm->ConfigChanged = true;

    CloseAndStart();

    const CSerialPort& reread = *CommTermForm->CommPort;
    EXPECT_EQ(reread.BaudRateText, "19200");
    EXPECT_EQ(reread.BaudRate, 19200);
    EXPECT_EQ(reread.DataBits, 4);
    EXPECT_EQ(reread.Parity, 2);
    EXPECT_EQ(reread.StopBits, 2);
    EXPECT_EQ(CommTermForm->TerminationBytes, QByteArray("\n"));
    EXPECT_EQ(GroupBox()->currentText(), "GROUP4");
    EXPECT_EQ(CommonString(2)->text(), ";LC:FL 1");
    EXPECT_EQ(CommTermForm->CommandArray[4], "*IDN?");
    EXPECT_EQ(GroupBoxItems()[7], "Seven");
    EXPECT_EQ(CommTermForm->CommandGroups[9].Commands[9], "Nine");
}

TEST_F(ConfigurationFile, NoFileAndNoWayToWriteOneStartsWithNothingRead)
{
    DestroyWindows();
    QFile::remove(ConfigFileName());
    ASSERT_TRUE(QDir().mkpath(ConfigFileName()));
    Start();
    EXPECT_EQ(CommTermForm->cboCommTerminal->currentText(), "Comm Port");
    EXPECT_TRUE(CommTermForm->TerminationBytes.isEmpty());
    EXPECT_EQ(GroupBoxItems(), QStringList(10, "Empty"));
    EXPECT_EQ(CommTermForm->CurrentGroup, 0);
    EXPECT_EQ(CommonStrings(), QStringList(5, ""));
    // Saving there fails silently.
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
