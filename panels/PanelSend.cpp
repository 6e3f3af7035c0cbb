#include "panels/PanelSend.h"

#include "terminal/Main.h"

#include <cmath>
#include <limits>

namespace panels {

namespace {

CommandRoad* StandIn = nullptr;

// The reply the last command left; none without a main window.
QString* LastResponse()
{
    if (StandIn != nullptr)
        return &StandIn->LastResponse();
    return CommTermForm != nullptr ? &CommTermForm->LastResponse : nullptr;
}

} // namespace

void InstallRoad(CommandRoad* road)
{
    StandIn = road;
}

void Send(const QString& command)
{
    if (StandIn != nullptr) {
        StandIn->Send(command);
        return;
    }
    // Once the main window closes nothing may reach the instrument any more.
    if (CommTermForm == nullptr || CommTermForm->Closing)
        return;
    CommTermForm->eSendCommand->setText(command);
    char key = 13;
    CommTermForm->eSendCommandKeyPress(key);
}

bool PollMaySend()
{
    if (StandIn != nullptr)
        return true;
    return CommTermForm != nullptr && !CommTermForm->Closing && !CommTermForm->PortBusy;
}

QString QueryReply(const QString& command)
{
    Send(command);
    QString* lastResponse = LastResponse();
    if (lastResponse == nullptr)
        return QString();
    TCommTermForm::StripTerminatorFromString(*lastResponse, QStringLiteral("\r"));
    return *lastResponse;
}

std::optional<QString> Query(const QString& command, const Dialect& dialect)
{
    QString reply = QueryReply(command);
    if (reply.contains(QLatin1String(dialect.ErrorMarker)))
        return std::nullopt;
    return reply;
}

std::int32_t Trunc(long double value)
{
    using Limits = std::numeric_limits<std::int32_t>;
    if (std::isnan(value))
        return 0;
    const long double whole = std::trunc(value);
    if (whole <= Limits::min())
        return Limits::min();
    if (whole >= Limits::max())
        return Limits::max();
    return static_cast<std::int32_t>(whole);
}

} // namespace panels
