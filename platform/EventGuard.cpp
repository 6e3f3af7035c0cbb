#include "platform/EventGuard.h"

namespace platform {

namespace {

thread_local int Depth = 0;
thread_local std::uint64_t Serial = 0;
thread_local std::uint64_t Under = 0;

} // namespace

ActionScope::ActionScope()
{
    if (Depth++ == 0)
        Under = ++Serial;
}

ActionScope::~ActionScope()
{
    if (--Depth == 0)
        Under = 0;
}

std::uint64_t ActionScope::Current()
{
    return Under;
}

} // namespace platform
