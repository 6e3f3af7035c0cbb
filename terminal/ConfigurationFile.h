#pragma once

#include "terminal/Main.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>

// The terminal's configuration file, "Comm Terminal Config.txt" in the install
// folder: 168 lines, one item per line in a fixed order. Reading and writing
// its bytes needs no window; the main window fills a TerminalConfiguration
// from its fields and applies one back.

inline constexpr int ConfigurationLineCount = 168;

struct TerminalConfiguration
{
    QString PortName;
    QString BaudRateText;
    std::int32_t BaudRate = 0;
    std::int32_t DataBits = 0;
    std::int32_t Parity = 0;
    std::int32_t StopBits = 0;
    QString TerminationString;
    // -1 when no group was shown.
    std::int32_t CurrentGroup = 0;
    std::array<TCommandGroup, 10> Groups;
    // The recent-command ring as a load leaves it: every group's commands
    // pass through it in turn, so it ends with the last group read.
    std::array<QString, 10> RecentCommands;
};

// Built from the install folder at each use, so it follows the folder.
QString ConfigFileName();

// The contents of a new file: port "COMX", 9600 baud, 8 data bits, no parity,
// one stop bit, terminator "0D,0A", group 0 shown, groups "GROUP1" to
// "GROUP10" holding "Empty" strings and "Command" history entries.
TerminalConfiguration DefaultTerminalConfiguration();

// Reads the items in file order over the ones already in configuration, and
// stops at the first item that cannot be read (the end of the file, or a
// number line that does not start with a number); the items from there on
// keep what they held. Lines end in CR LF or LF. Returns the items read.
int ReadTerminalConfiguration(const QByteArray& contents, TerminalConfiguration& configuration);

// The 168 lines, each ending in CR LF. Texts are 8-bit (Latin-1).
QByteArray WriteTerminalConfiguration(const TerminalConfiguration& configuration);
