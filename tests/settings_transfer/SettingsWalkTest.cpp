#include "settings_transfer/SettingsWalks.h"

#include <gtest/gtest.h>

#include <QMap>

namespace {

using Walk = TransferWindow::Walk;

// A settings window that answers each command from a table (unlisted ones
// stay silent) and records everything the walks ask of it. Its adapter goes
// at the failing command, which is sent but not written.
class RecordingWindow : public TransferWindow
{
public:
    QMap<QString, QString> Replies;
    QString FailingCommand;
    bool Failed = false;
    QStringList Sent;  // mode, blank, command
    QStringList Settings;
    QStringList Restore;
    QList<int> Pauses;
    QList<int> LinesDone;
    int Steps = 0;

    QString SendInstrumentCommand(const QString& command, int mode) override
    {
        Sent << QString::number(mode) + QLatin1Char(' ') + command;
        Failed = Failed || command == FailingCommand;
        return Replies.value(command);
    }
    bool WriteFailed() const override { return Failed; }
    void Pause(int milliseconds) override { Pauses << milliseconds; }
    void StepProgress(Walk) override { ++Steps; }
    void AddSettingLine(const QString& line) override { Settings << line; }
    void AddToRestoreFile(const QString& line) override { Restore << line; }
    void LineDone(Walk, int nextLine) override { LinesDone << nextLine; }
    void Repaint() override {}
};

QStringList Lines(const char* text)
{
    return QString::fromLatin1(text).split(QLatin1Char('\n'));
}

struct DownloadCase
{
    const char* QueryFile;  // lines joined by '\n'
    const char* Command;    // the one command answered
    const char* Reply;
    QStringList Sent, Settings, Restore;
};

void ExpectDownload(const DownloadCase& row)
{
    RecordingWindow window;
    window.Replies[QString::fromLatin1(row.Command)] = QString::fromLatin1(row.Reply);
    SettingsQuery query(window);
    query.QueryInstrumentSettings(Lines(row.QueryFile));
    EXPECT_EQ(window.Sent, row.Sent) << row.QueryFile;
    EXPECT_EQ(window.Settings, row.Settings) << row.QueryFile;
    EXPECT_EQ(window.Restore, row.Restore) << row.QueryFile;
}

TEST(SettingsDownload, LineKindsInTheirOrderAndTheQuestionMarkRule)
{
    const DownloadCase rows[] = {
        {"// a,Q?\n\nno comma\na,Q? // note\n/* b,Q? */", "Q?", "5", {}, {}, {}},
        {"Power,:POW?", ":POW?", "5\r\nrest", {"3 :POW?"}, {"Power,5"}, {"Power,:POW 5"}},
        {"Silent,Q?", "", "", {"3 Q?"}, {"Silent,"}, {"Silent,Q "}},
        {"Power,:POW?", ":POW?", "?E2", {"3 :POW?"}, {}, {}},
        {"Power,:POW?", ":POW?", "1?5", {"3 :POW?"}, {}, {}},
        {"Mode,#:MODE 1@x", ":MODE 1@x", "OK\r\n", {"1 :MODE 1@x"}, {}, {"Mode,:MODE 1@x"}},
        {"Mode,#:MODE 1", ":MODE 1", "?3", {"1 :MODE 1"}, {}, {}},
        {"Temp,@:TEMP?", ":TEMP?", "21.5\r\n", {"3 :TEMP?"}, {"Temp,21.5"}, {}},
        {"X,Q?|9,a", "Q?|9,a", "5", {}, {}, {}},
        {"SN,x,:SYST:SERN?", ":SYST:SERN?", "SN 12 34\r\n", {"3 :SYST:SERN?"}, {"SN,SN 12 34"}, {"SN,*SER 12 34"}},
        {"SN,:SYST:SERN?", ":SYST:SERN?", "12345X", {"3 :SYST:SERN?"}, {"SN,12345X"}, {"SN,*SER 12345"}},
        {"SN,:SYST:SERN?", ":SYST:SERN?", "SN ?", {"3 :SYST:SERN?"}, {}, {}},
        {"Temp,@:TEMP?", ":TEMP?", "?5\r\n", {"3 :TEMP?"}, {}, {}},
    };
    for (const DownloadCase& row : rows)
        ExpectDownload(row);
}

TEST(SettingsDownload, TypedLinesTakeTheirValueByTheirFields)
{
    // Forty pairs are read; a forty-first is not.
    QByteArray pairs;
    for (int n = 0; n <= 40; ++n)
        pairs += QByteArray::number(n) + ",V" + QByteArray::number(n) + ',';
    const QByteArray manyPairs = "S,|2,Q?," + pairs;
    const DownloadCase rows[] = {
        // Extract: markers and offsets counted from 1; the reply cut at its first line end.
        {"W,|1,:WAV?,WL=,3,nm,-1", ":WAV?", "WL=532nm\r\nX", {"1 :WAV?"}, {"W,532"}, {"W,:WAV 532"}},
        {"W,|1,Q?,=,1,n,0", "Q?", "X=12n\rjunk", {"1 Q?"}, {"W,12n"}, {"W,Q 12n"}},
        {"W,|1,Q?,Z=,2,,0", "Q?", "ABCDEF", {"1 Q?"}, {"W,BCDEF"}, {"W,Q BCDEF"}},
        {"W,|1,Q?,=,x,n,y", "Q?", "A=5n", {"1 Q?"}, {"W,=5n"}, {"W,Q =5n"}},
        // Lookup: the later pair wins; a value without its comma reads as empty.
        {"S,|2,:SH?,0,OFF,1,ON,", ":SH?", "1\r\n", {"1 :SH?"}, {"S,ON"}, {"S,:SH ON"}},
        {"S,|2,:SH?,0,OFF,1,ON,", ":SH?", "2", {"1 :SH?"}, {"S,2"}, {"S,:SH 2"}},
        {"S,|2,Q?,1,A,1,B,", "Q?", "1", {"1 Q?"}, {"S,B"}, {"S,Q B"}},
        {"S,|2,Q?,0,OFF,1,ON", "Q?", "1", {"1 Q?"}, {"S,"}, {"S,Q "}},
        {manyPairs.constData(), "Q?", "39", {"1 Q?"}, {"S,V39"}, {"S,Q V39"}},
        {manyPairs.constData(), "Q?", "40", {"1 Q?"}, {"S,40"}, {"S,Q 40"}},
        // List: the text after the last separator is no entry.
        {"L,|3,:LIST?,,", ":LIST?", "A,B,C", {"1 :LIST?"}, {"L,A", "L,B"}, {"L,:LIST 0 A", "L,:LIST 1 B"}},
        {"L,|3,Q?,\\r", "Q?", "A\r\nB\r\nC", {"1 Q?"}, {"L,A", "L,B"}, {"L,Q 0 A", "L,Q 1 B"}},
        {"L,|3,Q?,,", "Q?", ",A,B", {"1 Q?"}, {}, {}},
        // Pick: the values after each separator, chosen by index.
        {"P,|4,Q?,=,1,;,-1,;,1", "Q?", "H;a=1;b=2;c=3;", {"1 Q?"}, {"P,2"}, {"P,Q 2"}},
        {"P,|4,Q?,=,1,,0,;,39", "Q?", "A=7", {"1 Q?"}, {"P,7"}, {"P,Q 7"}},
        {"P,|4,Q?,=,1,,0,;,40", "Q?", "A=7", {"1 Q?"}, {"P,"}, {"P,Q "}},
        {"P,|4,Q?,=,1,;,-1,;,2", "Q?", "H;a=1;", {"1 Q?"}, {"P,"}, {"P,Q "}},
        {"P,|4,Q?,,0,;,-1,;,1", "Q?", "H;a;b;c;", {"1 Q?"}, {"P,b"}, {"P,Q b"}},
        {"P,|4,Q?,=,1,;,-1,;,0", "Q?", "H;a=?;", {"1 Q?"}, {}, {}},
        // The "?" rule, on the reply each type uses.
        {"W,|1,Q?,=,1,,0", "Q?", "A=?E1", {"1 Q?"}, {}, {}},
        {"S,|2,Q?,1,ON,", "Q?", "1?\r\n", {"1 Q?"}, {}, {}},
        {"L,|3,Q?,,", "Q?", "A,B,?", {"1 Q?"}, {}, {}},
        {"T,|5,Q?,x", "Q?", "1", {}, {}, {}},
        {"T,|x,Q?,x", "Q?", "1", {}, {}, {}},
    };
    for (const DownloadCase& row : rows)
        ExpectDownload(row);
}

// A line end or a zero inside a reply or a file line never splits a setting
// into two lines, nor reaches the wire.
TEST(SettingsDownload, EveryLineSentOrAddedIsOneLine)
{
    const DownloadCase rows[] = {
        {"P,:POW?", ":POW?", "5\nFire,;LC:FL 3", {"3 :POW?"}, {"P,5Fire,;LC:FL 3"}, {"P,:POW 5Fire,;LC:FL 3"}},
        {"L,|3,:LIST?,\\r", ":LIST?", "A\r\nB\r\nC\r\n", {"1 :LIST?"}, {"L,A", "L,B", "L,C"},
         {"L,:LIST 0 A", "L,:LIST 1 B", "L,:LIST 2 C"}},
    };
    for (const DownloadCase& row : rows)
        ExpectDownload(row);

    // Zeros, and the lines of the files themselves.
    RecordingWindow window;
    window.Replies[QStringLiteral(":POW?")] = QString::fromLatin1("1\0" "2\r\n", 5);
    SettingsQuery(window).QueryInstrumentSettings({QStringLiteral("P,:P\0OW?\r"), QStringLiteral("M,#:MO\rDE 1")});
    RestoreInstrumentSettings(window, {QStringLiteral("P,:POW\0 5\r"), QStringLiteral("\nM,:MODE\r\n")});
    EXPECT_EQ(window.Sent, (QStringList{"3 :POW?", "1 :MODE 1", "1 :POW 5", "1 :MODE"}));
    EXPECT_EQ(window.Restore, (QStringList{"P,:POW 12", "M,:MODE 1"}));
    EXPECT_EQ(window.Settings, (QStringList{"P,12", "P,5", "M,:MODE"}));
}

// Setting lines keep the file's order whatever is held back. A comment line
// holding both markers, in either order, leaves the lines after it in place.
TEST(SettingsDownload, HeldBackRestoreLinesComeLastInTheirOrderHoweverMany)
{
    const std::pair<const char*, QStringList> rows[] = {
        {"a,A?\n/* held\nb,B?\nc,C?\n*/\nd,D?\n/* to the end\ne,E?", {"a,A ", "d,D ", "b,B ", "c,C ", "e,E "}},
        {"a,A?\n/* note */\nb,B?\n/*\nc,C?\n*/\nd,D?\ne,E?", {"a,A ", "b,B ", "d,D ", "e,E ", "c,C "}},
        {"/*\na,A?\n*/ then /*\nb,B?\n/*\nc,C?\n*/\nd,D?\ne,E?", {"b,B ", "d,D ", "e,E ", "a,A ", "c,C "}},
    };
    for (const auto& [file, restore] : rows) {
        RecordingWindow window;
        SettingsQuery(window).QueryInstrumentSettings(Lines(file));
        EXPECT_EQ(window.Settings, (QStringList{"a,", "b,", "c,", "d,", "e,"})) << file;
        EXPECT_EQ(window.Restore, restore) << file;
    }

    RecordingWindow window;
    SettingsQuery query(window);
    QStringList file{"/*"};
    for (int n = 0; n < 1500; ++n)
        file << QStringLiteral("n,Q%1?").arg(n);
    file << QStringLiteral("*/") << QStringLiteral("last,L?");
    window.Restore.clear();
    query.QueryInstrumentSettings(file);
    ASSERT_EQ(window.Restore.size(), 1501);
    EXPECT_EQ(window.Restore.first(), "last,L ");
    EXPECT_EQ(window.Restore[1], "n,Q0 ");
    EXPECT_EQ(window.Restore.last(), "n,Q1499 ");
}

// Whatever reply came with it, a command that could not be written yields
// nothing and ends the walk; the lines held back so far are not added.
TEST(SettingsDownload, AWriteThatFailsEndsTheWalkItsLineYieldingNothing)
{
    const std::pair<const char*, const char*> rows[] = {
        {"x,X?", "3 X?"},
        {"x,:SYST:SERN?", "3 :SYST:SERN?"},
        {"x,@X?", "3 X?"},
        {"x,#X", "1 X"},
        {"x,|1,X?,=,1,,0", "1 X?"},
        {"x,|2,X?,1,ON,", "1 X?"},
        {"x,|3,X?,,", "1 X?"},
        {"x,|4,X?,=,1,;,-1,;,0", "1 X?"},
    };
    for (const auto& [line, sent] : rows) {
        RecordingWindow window;
        window.FailingCommand = QString::fromLatin1(sent).mid(2);
        window.Replies[window.FailingCommand] = QStringLiteral("1,2;=3;");
        window.Replies[QStringLiteral("A?")] = QStringLiteral("5");
        SettingsQuery(window).QueryInstrumentSettings(
            Lines("/*\nh,H?\n*/\na,A?\n") + QStringList{QString::fromLatin1(line), QStringLiteral("z,Z?")});
        EXPECT_EQ(window.Sent, (QStringList{"3 H?", "3 A?", sent})) << line;
        EXPECT_EQ(window.Settings, (QStringList{"h,", "a,5"})) << line;
        EXPECT_EQ(window.Restore, QStringList{"a,A 5"}) << line;
        EXPECT_EQ(window.LinesDone, (QList<int>{2, 4})) << line;
    }

    RecordingWindow window;
    window.FailingCommand = QStringLiteral(":X 2");
    RestoreInstrumentSettings(window, Lines("a,:A 1\nx,:X 2\nz,:Z 3"));
    EXPECT_EQ(window.Sent, (QStringList{"1 :A 1", "1 :X 2"}));
    EXPECT_EQ(window.Settings, QStringList{"a,1"});
    EXPECT_EQ(window.LinesDone, QList<int>{1});
}

TEST(SettingsDownload, PausesCaretsAndProgressFollowTheLines)
{
    RecordingWindow window;
    window.Replies[QStringLiteral("A?")] = QStringLiteral("?E1");
    SettingsQuery query(window);
    query.QueryInstrumentSettings(Lines("a,A?\nx,#CMD\n// c"));
    EXPECT_EQ(window.Pauses, (QList<int>{20, 20, 50, 20}));
    EXPECT_EQ(window.LinesDone, (QList<int>{1, 2})) << "after data lines, skipped ones too";

    const std::pair<int, int> progress[] = {{99, 99}, {100, 50}, {250, 83}};
    for (const auto& [lines, steps] : progress) {
        RecordingWindow counted;
        SettingsQuery(counted).QueryInstrumentSettings(QStringList(lines, QStringLiteral("//")));
        EXPECT_EQ(counted.Steps, steps) << lines;
    }
}

TEST(SettingsUpload, SkipRulesSettingLinesAndProgress)
{
    RecordingWindow window;
    RestoreInstrumentSettings(window, Lines("A,:POW 5\n// B,:X 1\nno comma\n\nC,:X 1 // y\nD,:MODE\nE,#A B C"));
    EXPECT_EQ(window.Sent, (QStringList{"1 :POW 5", "1 :MODE", "1 #A B C"}));
    EXPECT_EQ(window.Settings, (QStringList{"A,5", "D,:MODE", "E,B C"}));
    EXPECT_EQ(window.LinesDone, (QList<int>{1, 6, 7}));
    EXPECT_EQ(window.Pauses, QList<int>(7, 20));

    const std::pair<int, int> progress[] = {{99, 99}, {100, 50}};
    for (const auto& [lines, steps] : progress) {
        RecordingWindow counted;
        RestoreInstrumentSettings(counted, QStringList(lines, QStringLiteral("//")));
        EXPECT_EQ(counted.Steps, steps) << lines;
    }
}

} // namespace
