#pragma once

#include "support/ListChoice.h"
#include "support/ModalScript.h"
#include "support/WindowFixture.h"

#include "terminal/ConfigurationFile.h"

#include <QLineEdit>

#include <functional>

// The lines of a configuration file, each ending in CR LF.
inline QByteArray CrLfLines(const QStringList& lines)
{
    return (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toLatin1();
}

// A file's lines: the eight leading items, then line 0 to 15 of each group g
// as groupLine(g, line) gives it (name, five strings, ten commands).
inline QStringList FileLines(const QString& port, const QString& terminator, int currentGroup,
                             const std::function<QString(int g, int line)>& groupLine)
{
    QStringList lines{port, "9600", "9600", "8", "0", "0", terminator, QString::number(currentGroup)};
    for (int g = 0; g < 10; ++g)
        for (int line = 0; line < 16; ++line)
            lines << groupLine(g, line);
    return lines;
}

// The file a first start writes.
inline QStringList DefaultFileLines()
{
    return FileLines("COMX", "0D,0A", 0, [](int g, int line) {
        return line == 0 ? QStringLiteral("GROUP%1").arg(g + 1) : line <= 5 ? "Empty" : "Command";
    });
}

// Groups told apart by their texts: group g is named "Name g", holds strings
// "S g.i" and commands "C g.i".
inline QStringList DistinctFileLines(int currentGroup, const QString& terminator = "0D,0A",
                                     const QString& port = "COMX")
{
    return FileLines(port, terminator, currentGroup, [](int g, int line) {
        if (line == 0)
            return QStringLiteral("Name %1").arg(g);
        return line <= 5 ? QStringLiteral("S %1.%2").arg(g).arg(line - 1)
                         : QStringLiteral("C %1.%2").arg(g).arg(line - 6);
    });
}

inline QByteArray DistinctFile(int currentGroup, const QString& terminator = "0D,0A")
{
    return CrLfLines(DistinctFileLines(currentGroup, terminator));
}

// The group box and the common strings of the main window, as the user sees them.
inline QComboBox* GroupBox() { return CommTermForm->findChild<QComboBox*>(QStringLiteral("cboCommandGroup")); }

inline QLineEdit* CommonString(int n)
{
    return CommTermForm->findChild<QLineEdit*>(QStringLiteral("edString%1").arg(n));
}

inline QStringList CommonStrings()
{
    QStringList texts;
    for (int n = 1; n <= 5; ++n)
        texts << CommonString(n)->text();
    return texts;
}

// The user picks an item of the group box.
inline void ChooseGroup(int index)
{
    ChooseFromList(*GroupBox(), index, ListGesture::ListMouse);
}

// The window set, restarted as often as a test needs: each start reads the
// configuration file that the install folder holds at that moment.
class ConfiguredWindows : public WindowFixture
{
protected:
    static QByteArray ConfigFileBytes() { return ReadWholeFile(ConfigFileName()); }
    static void WriteConfigFile(const QByteArray& contents) { ASSERT_TRUE(WriteWholeFile(ConfigFileName(), contents)); }

    // Ends the run as the user does, so the configuration is saved when
    // something changed, then starts a new run in the same folder.
    void CloseAndStart()
    {
        CommTermForm->close();
        Restart();
    }

    void StartWith(const QByteArray& contents)
    {
        DestroyWindows();
        WriteConfigFile(contents);
        Restart();
    }
};
