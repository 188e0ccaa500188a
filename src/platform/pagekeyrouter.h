#pragma once

#include <QtGlobal>

#include <vector>

// Hands a key message to the one page view whose windows it is aimed at. The views' windows belong
// to the system's page control, not to Qt, so keys are routed from the native event filter. Views
// come and go while a key is being handled (the control may run a modal dialog inside it, and a
// window may open or close meanwhile): the router never walks its list while a view has the key.
class PageKeyRouter {
public:
    class Target {
    public:
        // Whether the native window lies inside this view.
        virtual bool ownsWindow(quintptr window) const = 0;
        // The key message aimed inside this view; true when it is used (or dropped) here.
        virtual bool offerKey(void* message) = 0;

    protected:
        ~Target() = default;
    };

    void add(Target* target);
    void remove(Target* target);
    bool isEmpty() const { return m_targets.empty(); }
    // Offers the message to the view that owns window; false when none does or it did not use it.
    bool route(quintptr window, void* message);

private:
    std::vector<Target*> m_targets;
};
