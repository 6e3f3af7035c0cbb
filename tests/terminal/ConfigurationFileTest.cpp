#include "ConfigurationTestSupport.h"

#include "platform/AnsiText.h"
#include "support/FullFileSystem.h"
#include "terminal/ComboDialog.h"
#include "terminal/IncrementDialog.h"

#include <QFileInfo>
#include <QTest>
#include <QTextEdit>

#include <algorithm>
#include <optional>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// ---- Reading the items ----

// A line text is the line less its leading blanks and tabs, whatever bytes it
// holds and however long; an empty one keeps the places of the lines after it.
TEST(ConfigurationItems, WordNumberAndLineTextForms)
{
    QStringList lines = DistinctFileLines(3, "\t0D,0A extra", "  COM12   trailing words");
    lines[1] = " 19200 baud";
    lines[2] = "  +38400xyz";
    lines[3] = "\t-4";
    lines[8] = "  \t  Inner  blanks kept  ";
    lines[8 + 32] = "";
    QByteArray contents = CrLfLines(lines);
    const QByteArray binary("\x00\x01\xff\x80\r\x1b", 6);
    const QByteArray longLine(1 << 20, 'x');
    contents.replace(contents.indexOf("Name 1"), 6, binary);
    contents.replace(contents.indexOf("S 1.0"), 5, longLine);
    TerminalConfiguration read;
    EXPECT_EQ(ReadTerminalConfiguration(contents, read), ConfigurationLineCount);
    EXPECT_EQ((QStringList{read.PortName, read.BaudRateText, read.TerminationString}),
              (QStringList{"COM12", "19200", "0D,0A"}));
    EXPECT_EQ(std::tuple(read.BaudRate, read.DataBits, read.CurrentGroup), std::tuple(38400, -4, 3));
    const auto& groups = read.Groups;
    EXPECT_EQ((QStringList{groups[0].GroupName, groups[1].GroupName, groups[2].GroupName, groups[2].CommandStrings[0]}),
              (QStringList{"Inner  blanks kept  ", platform::AnsiToText(binary), "", "S 2.0"}));
    EXPECT_EQ(read.Groups[1].CommandStrings[0].size(), longLine.size());
}

// A number line that does not start with a 32-bit number stops the reading:
// the items from it on keep what they held.
TEST(ConfigurationItems, ANumberLineIsReadUpToTheFirstCharacterThatIsNoDigit)
{
    const std::pair<const char*, std::optional<std::int32_t>> cases[] = {
        {"7", 7}, {" +7 bits", 7}, {"-2147483648", -2147483647 - 1}, {"2147483647", 2147483647},
        {"2147483648", std::nullopt}, {"-2147483649", std::nullopt}, {"99999999999", std::nullopt},
        {"eight", std::nullopt}, {"", std::nullopt}, {"- 8", std::nullopt}, {"+", std::nullopt},
    };
    for (const auto& [text, value] : cases) {
        SCOPED_TRACE(text);
        QStringList lines = DistinctFileLines(2, "0D", "COM9");
        lines[3] = text;
        TerminalConfiguration read;
        read.DataBits = 8;
        EXPECT_EQ(ReadTerminalConfiguration(CrLfLines(lines), read), value ? ConfigurationLineCount : 3);
        EXPECT_EQ(std::tuple(read.DataBits, read.Groups[0].GroupName),
                  std::tuple(value.value_or(8), QString(value ? "Name 0" : "")));
    }
}

// ---- The file at start-up and at close ----

using ConfigurationFile = ConfiguredWindows;

// A terminator that cannot be converted stops the load where it is: the
// groups are never read, the box keeps its layout items and none is shown.
// A file cut short loads what it holds; a stored group outside the ten shows none.
TEST_F(ConfigurationFile, WhatAStartShowsOfTheFileItReads)
{
    QStringList lettersForDataBits = DistinctFileLines(1);
    lettersForDataBits[3] = "eight";
    QStringList names;
    for (int g = 0; g < 10; ++g)
        names << QStringLiteral("Name %1").arg(g);
    const QStringList unread(10, "Empty");
    const std::tuple<const char*, QByteArray, QByteArray, QString, QStringList, int> cases[] = {
        {"one byte", DistinctFile(0, "0D"), "\r", "", names, 0},
        {"two bytes", DistinctFile(0, "0d,0a"), "\r\n", "", names, 0},
        {"three parts", DistinctFile(4, "0D,0A,00"), "\r", "'0x0A,00' is not a valid integer value", unread, -1},
        {"letters for data bits", CrLfLines(lettersForDataBits), "", "'0x' is not a valid integer value", unread, -1},
        {"ends after line 100", CrLfLines(DistinctFileLines(5).mid(0, 100)), "\r\n", "",
         names.mid(0, 6) + QStringList(4, ""), 5},
        {"group -1", DistinctFile(-1), "\r\n", "", names, -1},
        {"group 10", DistinctFile(10), "\r\n", "", names, -1},
    };
    for (const auto& [what, file, bytes, error, items, group] : cases) {
        StartWith(file);
        EXPECT_EQ(std::tuple(CommTermForm->TerminationBytes, Ui.Exceptions, Items(*GroupBox()),
                             CommTermForm->CurrentGroup, GroupBox()->currentIndex()),
                  std::tuple(bytes, error.isEmpty() ? std::vector<QString>() : std::vector{error}, items, group, group))
            << what;
    }
    // With no group shown the strings are empty and there is nothing to rename or copy; the
    // history holds what reading passed through it last, group 10's commands.
    EXPECT_EQ(std::tuple(CommonStrings(), CommTermForm->eSendCommand->text()),
              std::tuple(QStringList(5, "Empty"), QString("C 9.0")));
    ModalScript rename(*IncrementForm), copy(*OKRightDlg);
    CommTermForm->RenameGroup1->trigger();
    CommTermForm->CopytoGroup1->trigger();
    EXPECT_EQ(rename.Showings() + copy.Showings(), 0);
}

// A run in which nothing changed (changing groups, resetting the strings)
// leaves the file as it was. Every item differs from the default file and
// from its neighbours: read from LF lines, each comes back in its own place
// in the CR LF file written at close, beside what was typed.
TEST_F(ConfigurationFile, EveryFieldSurvivesCloseAndStart)
{
    QStringList lines = DistinctFileLines(3, "0A");
    std::copy_n(QStringList{"19200", "38400", "7", "1", "2"}.begin(), 5, lines.begin() + 1);
    lines.last() = QString::fromLatin1("caf\xe9 \x01;LC:FL 1");
    StartWith(lines.join('\n').toLatin1());
    ChooseGroup(4);
    CommTermForm->ResetCommandStrings1Click();
    CloseAndStart();
    ASSERT_EQ(ConfigFileBytes(), lines.join('\n').toLatin1());
    CommTermForm->EnableCommActiveObjects();
    CommonString(2)->clear();
    QTest::keyClicks(CommonString(2), ";LC:FL 1");
    CommTermForm->CommandArray[4] = "*IDN?";
    CommTermForm->ConfigChanged = true;

    CloseAndStart();
    lines[8 + 3 * 16 + 2] = ";LC:FL 1";
    lines[8 + 3 * 16 + 10] = "*IDN?";
    EXPECT_EQ(ConfigFileBytes(), CrLfLines(lines));
    const CSerialPort& port = *CommTermForm->CommPort;
    EXPECT_EQ((std::tuple(port.BaudRateText, port.BaudRate, port.DataBits, port.Parity, port.StopBits)),
              std::tuple(QString("19200"), 38400, 7, 1, 2));
    EXPECT_EQ(CommTermForm->TerminationBytes, QByteArray("\n"));
    EXPECT_EQ((QStringList{GroupBox()->currentText(), CommonString(2)->text(), CommTermForm->CommandArray[4]}),
              (QStringList{"Name 3", ";LC:FL 1", "*IDN?"}));
}

// With no file to read and none to write nothing is read: no port is chosen,
// even when the scan has found one, and the user is warned. A FIFO in the
// file's place, or chosen as a command file, does not hang the window.
TEST_F(ConfigurationFile, NoFileToReadOrWriteChoosesNoPortAndNothingHangs)
{
    const QByteArray config = QFile::encodeName(ConfigFileName());
    const std::pair<const char*, std::function<bool()>> obstacles[] = {
        {"folder", [&] { return ::mkdir(config.constData(), 0700) == 0; }},
        {"FIFO", [&] { return ::mkfifo(config.constData(), 0600) == 0; }},
    };
    FakeInstrument lastPort(119);
    for (const auto& [what, place] : obstacles) {
        SCOPED_TRACE(what);
        DestroyWindows();
        ::unlink(config.constData());
        ::rmdir(config.constData());
        ASSERT_TRUE(place());
        Restart();
        ASSERT_EQ(Ui.Messages.size(), 1u);
        EXPECT_EQ(std::tuple(Ui.Messages[0].Title, MainControl<QComboBox>("cboCommTerminal")->currentText(),
                             CommTermForm->CommPort->IsCommPortOpen(), CommTermForm->TerminationBytes),
                  std::tuple(QString("Communications Port Warning"), QString("Comm Port"), false, QByteArray()));
        EXPECT_EQ(std::tuple(Items(*GroupBox()), CommonStrings()),
                  std::tuple(QStringList(10, "Empty"), QStringList(5, "")));

        Ui.AnswerFileDialog(ConfigFileName());
        MainEntry("LoadCommandFile1")->trigger();
        EXPECT_EQ(std::tuple(Heads(Ui.Exceptions), MainControl<QTextEdit>("reInputFile")->toPlainText()),
                  std::tuple(QStringList{"Cannot open file"}, QString()));

        CommTermForm->ConfigChanged = true;
        CommTermForm->close();
        EXPECT_EQ(std::tuple(Ui.Exceptions.size(), QFileInfo(ConfigFileName()).isFile()), std::tuple(1u, false));
    }
    DestroyWindows();
}

// The file is read only as far as its 168 items: a gigabyte after them costs
// no memory, and a line longer than an edit box holds ends the reading there,
// the items from it on keeping what they held (group names empty).
TEST_F(ConfigurationFile, AHugeFileIsReadOnlyAsFarAsItsItems)
{
    QStringList names;
    for (int g = 0; g < 10; ++g)
        names << QStringLiteral("Name %1").arg(g);
    QStringList longName = DistinctFileLines(3);
    longName[8 + 5 * 16] = QString(32768, 'n');
    const std::tuple<const char*, QByteArray, QStringList> cases[] = {
        {"a gigabyte after the items", DistinctFile(3), names},
        {"group 5 named longer than a box holds", CrLfLines(longName), names.mid(0, 5) + QStringList(5, "")},
    };
    for (const auto& [what, file, items] : cases) {
        DestroyWindows();
        WriteConfigFile(file);
        ASSERT_EQ(::truncate(QFile::encodeName(ConfigFileName()).constData(), off_t{1} << 30), 0);
        rusage usage{};
        ::getrusage(RUSAGE_SELF, &usage);
        const long before = usage.ru_maxrss;
        Restart();
        ::getrusage(RUSAGE_SELF, &usage);
        EXPECT_LT(usage.ru_maxrss - before, 64 * 1024) << what;
        EXPECT_EQ(std::tuple(Items(*GroupBox()), GroupBox()->currentText(), CommonString(5)->text()),
                  std::tuple(items, QString("Name 3"), QString("S 3.4"))) << what;
    }
}

// The install folder on a disk that runs full on demand.
class ConfigurationOnFullDisk : public ConfiguredWindows
{
protected:
    void PrepareInstallFolder() override
    {
        Disk.emplace(InstallPath());
        ASSERT_TRUE(QDir(InstallPath()).mkpath("Logs") && QDir(InstallPath()).mkpath("ports"));
    }
    std::optional<FullFileSystem> Disk;
};

// A first start writes the default file and shows group 1. A save at close
// that cannot be made leaves the file as it was, whole, and nothing of its own
// beside it.
TEST_F(ConfigurationOnFullDisk, FirstStartWritesTheDefaultsAndASaveThatCannotBeMadeLeavesTheFileWhole)
{
    const QByteArray original = CrLfLines(DefaultFileLines());
    ASSERT_EQ(ConfigFileBytes(), original);
    EXPECT_EQ(std::tuple(GroupBox()->currentText(), CommonStrings(), CommTermForm->eSendCommand->text()),
              std::tuple(QString("GROUP1"), QStringList(5, "Empty"), QString("Command")));
    Disk->Fill();
    ChooseGroup(2);
    CommTermForm->ConfigChanged = true;
    CommTermForm->close();
    Disk->Free();
    const QStringList files = QDir(InstallPath()).entryList(QDir::Files | QDir::Hidden);
    EXPECT_EQ(std::tuple(ConfigFileBytes(), files, Ui.Exceptions.size()),
              std::tuple(original, QStringList{"Comm Terminal Config.txt"}, 0u));
}

} // namespace
