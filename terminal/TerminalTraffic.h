#pragma once

#include "platform/Conversions.h"

#include <QColor>
#include <QString>
#include <QTime>

#include <atomic>
#include <cstdint>
#include <exception>
#include <vector>

// What the send road and the unsolicited-input poll share: how traffic looks
// in the terminal pane and the log, and how a sender holds the port.

// Sent commands are black, replies and polled input green, in the pane and in the log.
inline const QColor SentColour{0, 0, 0};
inline const QColor ReplyColour{0, 128, 0};

// A log entry, and a pane line while time stamps are enabled.
inline QString StampedLine(const QString& stamp, const QString& text)
{
    return QLatin1Char('[') + stamp + QStringLiteral("]  ") + text;
}

// The error-table row of the instrument error code a reply holds: the first
// one found anywhere in it, tried in the order "?E0" to "?E9", then "?1" to
// "?7"; -1 when it holds none.
inline int ErrorCodeRow(const QString& reply)
{
    struct ErrorCode
    {
        const char* Text;
        int Row;
    };
    static constexpr ErrorCode Codes[] = {
        {"?E0", 0}, {"?E1", 1}, {"?E2", 2}, {"?E3", 3}, {"?E4", 4},
        {"?E5", 5}, {"?E6", 6}, {"?E7", 7}, {"?E8", 8}, {"?E9", 9},
        {"?1", 1},  {"?2", 2},  {"?3", 3},  {"?4", 4},  {"?5", 5},
        {"?6", 6},  {"?7", 7},
    };
    for (const ErrorCode& code : Codes) {
        if (reply.contains(QLatin1String(code.Text)))
            return code.Row;
    }
    return -1;
}

// Reads the clock into a send or receive time of the port object and gives its stamp.
inline QString StampNow(std::uint16_t& hour, std::uint16_t& minute, std::uint16_t& second,
                        std::uint16_t& millisecond)
{
    platform::SplitTimeOfDay(QTime::currentTime(), hour, minute, second, millisecond);
    return platform::TimeStampText(hour, minute, second, millisecond);
}

// The hold of one sender or poll on the port-busy flag. The holder lets go
// exactly once: where its algorithm says so, or when it unwinds early, so no
// failure can leave the port taken for every later send and poll.
class PortClaim
{
public:
    // Adopts a hold its owner has already taken.
    explicit PortClaim(std::atomic<bool>& portBusy) : PortBusy(portBusy) {}
    ~PortClaim() { Release(); }
    PortClaim(const PortClaim&) = delete;
    PortClaim& operator=(const PortClaim&) = delete;

    void Release()
    {
        if (!Held)
            return;
        Held = false;
        PortBusy = false;
    }
    // Another claim takes over the hold.
    void PassOn() { Held = false; }

private:
    std::atomic<bool>& PortBusy;
    bool Held = true;
};

// Errors of the steps a send or poll goes on after (a log append, a full
// pane's save). They are shown once the port is free again: the exception box
// runs an event loop, and a panel timer's send from inside it would wait for
// the port for ever.
class DeferredErrors
{
public:
    template <typename Work>
    bool Run(Work&& work)
    {
        try {
            work();
            return true;
        } catch (...) {
            Errors.push_back(std::current_exception());
            return false;
        }
    }

    // Shows every error collected, in order, in the standard exception box.
    void ShowAll();

private:
    std::vector<std::exception_ptr> Errors;
};
