#pragma once

#include <QtPlugin>

#include <functional>

class QUrl;
class QWidget;

// What the browser module (libquvo-web.so, the only code that links Qt WebEngine) offers the
// program: page views made by the engine. The program loads the module when it shows its first
// page (WebEngineLoader), so a run that shows none never loads the engine.
class WebEngine {
public:
    virtual ~WebEngine() = default;
    // A new, empty page view, a child of parent. loadFinished runs after each load of the view
    // ends (true: the page loaded).
    virtual QWidget* createView(QWidget* parent, std::function<void(bool ok)> loadFinished) = 0;
    // Starts loading an address in a view made by createView; returns at once.
    virtual void load(QWidget* view, const QUrl& address) = 0;
};

#define QUVO_WEB_ENGINE_IID "com.qorvex.quvo.WebEngine/1.0"
Q_DECLARE_INTERFACE(WebEngine, QUVO_WEB_ENGINE_IID)
