#include "PanelFixture.h"

#include "panels/OrvaneConfiguration.h"
#include "panels/OrvaneControl.h"
#include "panels/TessalineControl.h"
#include "support/UnreadableFile.h"

#include <sys/resource.h>

namespace {

using Commands = QList<QByteArray>;

// The most memory the process has held at once so far.
long PeakMemoryKilobytes()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// A file of a gigabyte, nearly all of it a hole that reads as zero bytes:
// the head, the hole, then the tail at its very end.
void WriteHugeFile(const QString& path, const QByteArray& head, const QByteArray& tail)
{
    constexpr qint64 Gigabyte = qint64{1} << 30;
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(head), head.size());
    ASSERT_TRUE(file.seek(Gigabyte - tail.size()));
    ASSERT_EQ(file.write(tail), tail.size());
}

using PanelFiles = PanelFixture;

// Rows: a panel's file of a gigabyte. The lines at its end would be the
// file's items, had the reading gone on past a first line longer than any
// line of the program's files; the showing applies none of them and holds
// no more memory than for a sound file.
TEST_F(PanelFiles, AHugeFileIsReadNoFurtherThanThePanelsLines)
{
    struct Case { const char* Name; bool Tessaline; QByteArray Head; QByteArray Tail; QByteArray Sent;
                  QByteArray NotSent; };
    const Case cases[] = {
        {"Tessaline, its lines first", true, "0,100\r\n0\r\n0\r\n0\r\n0\r\n0\r\n12\r\n", "\n", ";LC:RR 12", {}},
        {"Tessaline, lines after a gigabyte", true, {}, "\n0,100\n0\n0\n0\n0\n0\n12\n", ";LC:RR 50", ";LC:RR 12"},
        {"Orvane, its lines first", false, "05\r\n45\r\n30\r\n1\r\n0\r\n", "\n", "!PULSE FREQUENCY=45.0", {}},
        {"Orvane, lines after a gigabyte", false, {}, "\n45\n30\n1\n0\n", "!PULSE FREQUENCY=20.0",
         "!PULSE FREQUENCY=45.0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        QWidget& panel = c.Tessaline ? static_cast<QWidget&>(*TessalineControlForm) : *OrvaneControlForm;
        const QString file = c.Tessaline ? TessalineConfigFileName() : orvane::ConfigFileName();
        WriteHugeFile(file, c.Head, c.Tail);
        const long before = PeakMemoryKilobytes();
        Open(panel, c.Tessaline ? &TCommTermForm::GRNIRControl1Click : &TCommTermForm::OrvaneSystem1Click);
        EXPECT_LT(PeakMemoryKilobytes() - before, 64 * 1024);
        const Commands shown = Wire();
        EXPECT_TRUE(shown.contains(c.Sent));
        EXPECT_FALSE(!c.NotSent.isEmpty() && shown.contains(c.NotSent));
        panel.close();
        Wire();
    }
}

// Rows: a panel whose file is there but cannot be read, as another user's.
// The showing applies nothing of it and sends none of its values; neither the
// showing nor the close replaces it.
TEST_F(PanelFiles, AFileThatIsThereButCannotBeReadIsNeverReplaced)
{
    struct Case { const char* Name; bool Tessaline; QByteArray Contents; QByteArray NotSent; };
    const Case cases[] = {
        {"Tessaline", true, "1,250\r\n0\r\n0\r\n0\r\n0\r\n0\r\n12\r\n", ";LC:RR"},
        {"Orvane", false, "07\r\n45\r\n30\r\n1\r\n0\r\n", "!PULSE FREQUENCY"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        QWidget& panel = c.Tessaline ? static_cast<QWidget&>(*TessalineControlForm) : *OrvaneControlForm;
        const QString file = c.Tessaline ? TessalineConfigFileName() : orvane::ConfigFileName();
        ASSERT_TRUE(WriteWholeFile(file, c.Contents));
        {
            const UnreadableFile unreadable(file);
            Open(panel, c.Tessaline ? &TCommTermForm::GRNIRControl1Click : &TCommTermForm::OrvaneSystem1Click);
            panel.close();
        }
        for (const QByteArray& command : Wire())
            EXPECT_FALSE(command.startsWith(c.NotSent)) << command.toStdString();
        EXPECT_EQ(ReadWholeFile(file), c.Contents);
    }
}

} // namespace
