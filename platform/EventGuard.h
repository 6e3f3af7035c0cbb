#pragma once

#include "platform/Application.h"

#include <QAction>

#include <concepts>
#include <cstdint>
#include <exception>
#include <functional>
#include <utility>

// Qt's widget modules are built without exception support: an exception that
// unwinds through their frames (a click, a key, a text change on its way to a
// handler) skips their clean-up and leaves their state half changed. Handlers
// reached through widget events therefore catch at their own edge and show
// the exception in the standard exception box there; CommApplication::notify
// stays the last line for anything else.
namespace platform {

// An event that reaches a handler from the event loop is one action, of the
// user or of a timer; the handlers it runs on its way (a click that moves a
// bar, whose change sends) and whatever runs while a box it shows is open
// belong to it. Each guarded handler marks its extent, so that what one
// action does can be told from what the next does.
class ActionScope
{
public:
    ActionScope();
    ~ActionScope();
    ActionScope(const ActionScope&) = delete;
    ActionScope& operator=(const ActionScope&) = delete;

    // The action under way on this thread, a number no earlier action had;
    // 0 outside any.
    static std::uint64_t Current();
};

// Runs the work; an exception escaping it is shown. False when one was shown.
template <typename Work>
bool RunGuarded(Work&& work)
{
    const ActionScope action;
    try {
        std::forward<Work>(work)();
        return true;
    } catch (...) {
        CommApplication::ShowException(std::current_exception());
        return false;
    }
}

// Wraps a handler for QObject::connect:
//   connect(cmdOK, &QPushButton::clicked, this, platform::Guarded([this] { cmdOKClick(); }));
template <typename Handler>
auto Guarded(Handler handler)
{
    return [handler = std::move(handler)](auto&&... args) -> void
        requires std::invocable<Handler&, decltype(args)...>
    {
        RunGuarded([&] { std::invoke(handler, std::forward<decltype(args)>(args)...); });
    };
}

// Connects a menu entry to a handler of its window, guarded.
template <class Window>
void ConnectEntry(QAction* entry, Window* window, void (Window::*handler)())
{
    QObject::connect(entry, &QAction::triggered, window, Guarded([window, handler] { (window->*handler)(); }));
}

} // namespace platform
