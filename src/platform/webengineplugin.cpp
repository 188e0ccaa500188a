// The browser module: Qt WebEngine's view behind the WebEngine interface. Built as the plugin
// libquvo-web.so; nothing else in the program names Qt WebEngine.
#include "platform/webengine.h"

#include <QObject>
#include <QUrl>
#include <QWebEngineView>

class WebEnginePlugin final : public QObject, public WebEngine {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QUVO_WEB_ENGINE_IID)
    Q_INTERFACES(WebEngine)
public:
    QWidget* createView(QWidget* parent, std::function<void(bool ok)> loadFinished) override
    {
        auto* view = new QWebEngineView(parent);
        // The view is the context: the callback ends with it.
        connect(view, &QWebEngineView::loadFinished, view, std::move(loadFinished));
        return view;
    }

    void load(QWidget* view, const QUrl& address) override
    {
        if (auto* page = qobject_cast<QWebEngineView*>(view))
            page->setUrl(address);
    }
};

#include "webengineplugin.moc"
