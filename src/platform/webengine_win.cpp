// The Windows page engine: the system's WebBrowser control (webbrowserhost_win.*) behind the
// WebEngine interface. Linked into the program; the control itself is created with the first view.
#include "platform/addresspolicy.h"
#include "platform/logging.h"
#include "platform/webbrowserhost_win.h"
#include "platform/webengine.h"
#include "platform/webengineloader.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QResizeEvent>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

class WebBrowserView;

// Key messages go to the focused window before any widget sees them; the control's windows are
// not Qt's, so the keys a page needs (Tab, Ctrl+C, arrows) are offered to the control here, as any
// host of it does in its message loop.
class WebBrowserKeys final : public QAbstractNativeEventFilter {
public:
    void add(WebBrowserView* view);
    void remove(WebBrowserView* view);
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    std::vector<WebBrowserView*> m_views;
    bool m_installed = false;
};

// A page view: a native child window that the control fills.
class WebBrowserView final : public QWidget, private WebBrowserHost::Client {
public:
    WebBrowserView(QWidget* parent, std::function<void(bool ok)> loadFinished, WebBrowserKeys& keys)
        : QWidget(parent), m_loadFinished(std::move(loadFinished)), m_keys(keys)
    {
        setAttribute(Qt::WA_NativeWindow);
        setAttribute(Qt::WA_DontCreateNativeAncestors);
        m_host = WebBrowserHost::create(reinterpret_cast<HWND>(winId()), this);
        m_keys.add(this);
    }

    ~WebBrowserView() override
    {
        m_keys.remove(this);
        // Before QWidget's destructor destroys the window the control lives in.
        if (m_host) {
            m_host->close();
            m_host->Release();
        }
    }

    void load(const QUrl& address)
    {
        if (m_host)
            m_host->navigate(address.toString(QUrl::FullyEncoded));
    }

    // The key message when it is aimed at the control's windows and the control used it.
    bool offerKey(MSG* message)
    {
        const HWND control = m_host ? m_host->controlWindow() : nullptr;
        if (!control || (message->hwnd != control && !IsChild(control, message->hwnd)))
            return false;
        return m_host->translateAccelerator(message);
    }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        // The control works in device pixels.
        if (m_host)
            m_host->resize(event->size() * devicePixelRatioF());
        QWidget::resizeEvent(event);
    }

private:
    bool allowNavigation(const QString& address) override
    {
        // The empty page the program clears a view with, and the pages of the web; nothing else
        // (no local file, no program started through a scheme of its own).
        if (AddressPolicy::allowsPageNavigation(QUrl(address)))
            return true;
        qCInfo(lcWeb) << "refused a navigation of the page to" << address << "-"
                      << AddressPolicy::refusal(address, AddressPolicy::Kind::Web);
        return false;
    }

    void newWindowRefused(const QString& address) override
    {
        // No page opens a window: a page of the web it asked for is shown in this view instead.
        qCInfo(lcWeb) << "refused a new window of the page for" << address;
        const QUrl page(address);
        if (page != QUrl(QStringLiteral("about:blank")) && AddressPolicy::allowsPageNavigation(page))
            QTimer::singleShot(0, this, [this, page] { load(page); });
    }

    void loadEnded(bool ok) override { m_loadFinished(ok); }

    std::function<void(bool ok)> m_loadFinished;
    WebBrowserKeys& m_keys;
    WebBrowserHost* m_host = nullptr; // null when the system has no control (logged)
};

void WebBrowserKeys::add(WebBrowserView* view)
{
    m_views.push_back(view);
    if (!std::exchange(m_installed, true))
        QCoreApplication::instance()->installNativeEventFilter(this);
}

void WebBrowserKeys::remove(WebBrowserView* view)
{
    m_views.erase(std::remove(m_views.begin(), m_views.end(), view), m_views.end());
}

bool WebBrowserKeys::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "windows_generic_MSG")
        return false;
    auto* msg = static_cast<MSG*>(message);
    if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST)
        return false;
    for (WebBrowserView* view : m_views) {
        if (view->offerKey(msg))
            return true;
    }
    return false;
}

class WebBrowserEngine final : public WebEngine {
public:
    QWidget* createView(QWidget* parent, std::function<void(bool ok)> loadFinished) override
    {
        return new WebBrowserView(parent, std::move(loadFinished), m_keys);
    }

    void load(QWidget* view, const QUrl& address) override
    {
        if (auto* page = dynamic_cast<WebBrowserView*>(view))
            page->load(address);
    }

private:
    WebBrowserKeys m_keys;
};

} // namespace

WebEngine* WebEngineLoader::engine()
{
    // Nothing of the control exists until the first view is made. Never destroyed, like a loaded
    // module: views may outlive any order of static destruction.
    static WebBrowserEngine* const builtIn = new WebBrowserEngine;
    return builtIn;
}
