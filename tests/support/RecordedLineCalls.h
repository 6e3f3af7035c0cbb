#pragma once

#include "platform/SerialDevice.h"

#include <QStringList>

#include <termios.h>

// Records, while it lives, the calls that change a device's line in the order
// they reach the device ("line 19200,7,2,2", "DTR down"), and makes them;
// while Refused, a termios is recorded and fails as a line that cannot carry
// it does.
class RecordedLineCalls : public platform::SerialLineCalls
{
public:
    RecordedLineCalls() { platform::InstallSerialLineCalls(this); }
    ~RecordedLineCalls() override { platform::InstallSerialLineCalls(nullptr); }
    RecordedLineCalls(const RecordedLineCalls&) = delete;
    RecordedLineCalls& operator=(const RecordedLineCalls&) = delete;

    bool ApplyTermios(platform::SerialHandle handle, const termios& state) override
    {
        platform::DeviceControlBlock line;
        platform::DcbFromTermios(state, line);
        Calls << QStringLiteral("line %1,%2,%3,%4")
                     .arg(line.BaudRate).arg(line.ByteSize).arg(line.Parity).arg(line.StopBits);
        return !Refused && SerialLineCalls::ApplyTermios(handle, state);
    }

    void SetModemLine(platform::SerialHandle handle, platform::ModemLine which, bool raised) override
    {
        Calls << QString::fromLatin1(which == platform::ModemLine::Dtr ? "DTR " : "RTS ") + (raised ? "up" : "down");
        SerialLineCalls::SetModemLine(handle, which, raised);
    }

    QStringList Calls;
    bool Refused = false;
};
