#include "panels/PanelSend.h"

#include "platform/EventGuard.h"
#include "terminal/Main.h"

#include <cmath>
#include <limits>

namespace panels {

namespace {

CommandRoad* StandIn = nullptr;

// The action under way when a command last failed to reach the instrument
// along a stand-in's road; 0 for none.
std::uint64_t StandInFailedAction = 0;

// The action under way when a send last found the port gone: one of the
// action's own, or any other that ran inside it, as a cycle's send does while
// a box that one of the action's sends shows is open. The send road has then
// told the user, by its rescan.
std::uint64_t PortLostAction()
{
    if (StandIn != nullptr)
        return StandInFailedAction;
    return CommTermForm != nullptr ? CommTermForm->PortLostAction : 0;
}

bool ActionEnded()
{
    const std::uint64_t action = platform::ActionScope::Current();
    return action != 0 && action == PortLostAction();
}

// The main window's send road; false when the port could not be reopened, or
// when another send found it gone meanwhile: the reply would not be this
// command's.
bool SendAlongTheRoad(const QString& command)
{
    // Once the main window closes nothing may reach the instrument any more.
    if (CommTermForm == nullptr || CommTermForm->Closing)
        return false;
    const unsigned lostBefore = CommTermForm->PortLostSends;
    CommTermForm->eSendCommand->setText(command);
    char key = 13;
    CommTermForm->eSendCommandKeyPress(key);
    return CommTermForm->PortLostSends == lostBefore;
}

bool SendAlongTheStandIn(const QString& command)
{
    const bool sent = StandIn->Send(command);
    if (!sent)
        StandInFailedAction = platform::ActionScope::Current();
    return sent;
}

// Whether the command reached the instrument.
bool SendInAction(const QString& command)
{
    if (ActionEnded())
        return false;
    return StandIn != nullptr ? SendAlongTheStandIn(command) : SendAlongTheRoad(command);
}

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
    SendInAction(command);
}

bool PollMaySend()
{
    if (StandIn != nullptr)
        return true;
    return CommTermForm != nullptr && !CommTermForm->Closing && !CommTermForm->PortBusy
        && CommTermForm->cboCommTerminal->currentIndex() >= 0;
}

std::optional<QString> QueryReply(const QString& command)
{
    if (!SendInAction(command))
        return std::nullopt;
    QString* lastResponse = LastResponse();
    if (lastResponse == nullptr)
        return std::nullopt;
    TCommTermForm::StripTerminatorFromString(*lastResponse, QStringLiteral("\r"));
    return *lastResponse;
}

std::optional<QString> Query(const QString& command, const Dialect& dialect)
{
    std::optional<QString> reply = QueryReply(command);
    if (reply && reply->contains(QLatin1String(dialect.ErrorMarker)))
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
