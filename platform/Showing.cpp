#include "platform/Showing.h"

#include "platform/EventGuard.h"

#include <QShowEvent>

namespace platform {

bool BeginsShowing(const QShowEvent& event)
{
    return !event.spontaneous();
}

void OnShowing(const QShowEvent& event, const std::function<void()>& showing)
{
    if (BeginsShowing(event))
        RunGuarded(showing);
}

} // namespace platform
