// The browser module: Qt WebEngine's view behind the WebEngine interface. Built as the plugin
// libquvo-web.so; nothing else in the program names Qt WebEngine.
#include "platform/addresspolicy.h"
#include "platform/logging.h"
#include "platform/webengine.h"

#include <QObject>
#include <QUrl>
#include <QWebEngineLoadingInfo>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace {

// A page of the program's views. The pages come from the network, so whatever a page starts (a
// link, a script, a form, a redirect, a new window) goes only where the address policy allows: a
// web page, shown in the same view. Anything else is refused and logged; in particular an address
// of another scheme never reaches the desktop's opener, which the engine would otherwise hand it to.
class GuardedPage final : public QWebEnginePage {
public:
    explicit GuardedPage(QObject* parent) : QWebEnginePage(parent)
    {
        // Refused before the opener too, should a navigation ever pass by acceptNavigationRequest.
        settings()->setUnknownUrlSchemePolicy(QWebEngineSettings::DisallowUnknownUrlSchemes);
        connect(this, &QWebEnginePage::newWindowRequested, this, &GuardedPage::openInThisView);
        // Some addresses the engine refuses itself (a redirect to a local file): say so too.
        connect(this, &QWebEnginePage::loadingChanged, this, [](const QWebEngineLoadingInfo& loading) {
            if (loading.status() == QWebEngineLoadingInfo::LoadFailedStatus)
                qCInfo(lcWeb) << "a page's load of" << loading.url().toString() << "failed:" << loading.errorString();
        });
    }

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override
    {
        if (AddressPolicy::allowsPageNavigation(url))
            return true;
        qCInfo(lcWeb) << "refused a page's navigation to" << url.toString() << "- type" << type
                      << (isMainFrame ? "in the page" : "in a frame");
        return false;
    }

    // The view has no windows of its own: a new window was either loaded here (openInThisView) or
    // refused. The engine drops the window's contents when no page takes them.
    QWebEnginePage* createWindow(WebWindowType) override { return nullptr; }

private:
    // window.open and links to other windows: a web address is loaded in this view, like a link.
    void openInThisView(QWebEngineNewWindowRequest& request)
    {
        const QUrl address = request.requestedUrl();
        if (address == QUrl(QStringLiteral("about:blank")) || !AddressPolicy::allowsPageNavigation(address)) {
            qCInfo(lcWeb) << "refused a page's new window of" << address.toString();
            return;
        }
        setUrl(address); // decided by acceptNavigationRequest like every other navigation
    }
};

} // namespace

class WebEnginePlugin final : public QObject, public WebEngine {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QUVO_WEB_ENGINE_IID)
    Q_INTERFACES(WebEngine)
public:
    QWidget* createView(QWidget* parent, std::function<void(bool ok)> loadFinished) override
    {
        auto* view = new QWebEngineView(parent);
        view->setPage(new GuardedPage(view));
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
