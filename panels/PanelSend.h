#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// How a control panel talks to its instrument. A panel has no line of its own:
// each command goes into the main window's command box and through its
// Enter-key handler, so it takes the road of a typed command (history, echo,
// log, terminator, reply, error count, LastResponse) before the call returns.
namespace panels {

// What marks a reply as an error in an instrument family's command language.
struct Dialect
{
    const char* ErrorMarker;
};
// ";LC:FL 3", queries ending in "?" (Dravik and Tessaline).
inline constexpr Dialect SemicolonDialect{"?"};
// "!SHUTTER=1" and "?SHUTTER" (Orvane).
inline constexpr Dialect SettingDialect{"Error"};

// A panel's action (a showing, a status tick, "Read from Controller", a
// button, a close) ends at its first command that finds the port gone, or
// once any other send (a cycle's) has found it gone while the action was
// under way: the send road has then told the user once, by its rescan, and
// the commands after it are dropped rather than each failing and telling
// again. Whatever else the action does (stop a timer, write the file) still
// runs.
void Send(const QString& command);

// Where the panels' commands go. The program sends them along the main
// window's send road; a stand-in takes its place where there is no main
// window (a fuzz target's instrument).
class CommandRoad
{
public:
    virtual ~CommandRoad() = default;
    // False when the command did not reach the instrument.
    virtual bool Send(const QString& command) = 0;
    // The reply to the last command, kept as the main window keeps
    // LastResponse; the panels cut it in place.
    virtual QString& LastResponse() = 0;
};
// Installs a stand-in (not owned); nullptr puts the main window's road back.
void InstallRoad(CommandRoad* road);

// Whether a status poll may send now. The window thread finds the port held
// only while the settings window has it to itself; a poll that sent then
// would wait for the port for ever, with that window's own loop beneath it.
// While no port is chosen a poll sends nothing, as the poll for unsolicited
// input reads nothing: a pulled adapter is told once, by the send that found
// it gone, not again at every tick.
bool PollMaySend();

// Sends the query and gives the reply cut at its first carriage return
// (LastResponse is cut in place), whatever it holds; nothing when the query
// did not reach the instrument, whose last reply would be another's.
std::optional<QString> QueryReply(const QString& command);

// As QueryReply, but nothing for a reply that holds the dialect's error marker
// anywhere; an empty reply holds none.
std::optional<QString> Query(const QString& command, const Dialect& dialect);

// Truncation toward zero of an extended-precision result. Panel results are
// small; a value beyond 32 bits stops at the nearest bound rather than being
// undefined.
std::int32_t Trunc(long double value);

} // namespace panels
