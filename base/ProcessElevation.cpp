// Letting programs that are not elevated reach an elevated copy of this one.
#include "base/ProcessElevation.h"

size_t LetProcessesBelowIn(IProcessElevation& platform, const std::vector<MessageRoute>& routes) {
    // A copy that is not elevated hears everybody already; one that cannot tell is left as the system made it.
    if (platform.OwnElevation() != Elevation::Elevated)
        return 0;
    size_t letIn = 0;
    for (const MessageRoute& route : routes)
        letIn += platform.LetInFromBelow(route.window, route.message) ? 1 : 0;
    return letIn;
}
