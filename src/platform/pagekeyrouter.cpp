#include "platform/pagekeyrouter.h"

#include <algorithm>

void PageKeyRouter::add(Target* target)
{
    m_targets.push_back(target);
}

void PageKeyRouter::remove(Target* target)
{
    m_targets.erase(std::remove(m_targets.begin(), m_targets.end(), target), m_targets.end());
}

bool PageKeyRouter::route(quintptr window, void* message)
{
    const auto owner =
        std::find_if(m_targets.begin(), m_targets.end(), [window](const Target* t) { return t->ownsWindow(window); });
    if (owner == m_targets.end())
        return false;
    // From here the list may change under the view's feet: nothing of it is touched again.
    Target* const target = *owner;
    return target->offerKey(message);
}
