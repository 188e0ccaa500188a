// The Windows page engine: the system's WebBrowser control (webbrowserhost_win.*) behind the
// WebEngine interface. Linked into the program; the control itself is created with the first view.
#include "platform/addresspolicy.h"
#include "platform/logging.h"
#include "platform/pagekeyrouter.h"
#include "platform/webbrowserhost_win.h"
#include "platform/webengine.h"
#include "platform/webengineloader.h"
#include "platform/webview.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QResizeEvent>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <utility>

namespace {

// Key messages go to the focused window before any widget sees them; the control's windows are
// not Qt's, so the keys a page needs (Tab, Ctrl+C, arrows) are offered to the control here, as any
// host of it does in its message loop, and the control's own shortcuts are dropped.
class WebBrowserKeys final : public QAbstractNativeEventFilter {
public:
    void add(PageKeyRouter::Target* view);
    void remove(PageKeyRouter::Target* view) { m_router.remove(view); }
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    PageKeyRouter m_router;
    bool m_installed = false;
};

// A page view: a native child window that the control fills.
class WebBrowserView final : public QWidget, private WebBrowserHost::Client, private PageKeyRouter::Target {
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

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        if (m_host)
            m_host->fitToParent();
        QWidget::resizeEvent(event);
    }

    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override
    {
        // The window's size in device pixels changes also when only the monitor's scale does, with
        // no resize of the widget: the control follows the window itself.
        const auto* msg = static_cast<const MSG*>(message);
        if (m_host && eventType == "windows_generic_MSG" &&
            (msg->message == WM_SIZE || msg->message == WM_DPICHANGED_AFTERPARENT))
            m_host->fitToParent();
        return QWidget::nativeEvent(eventType, message, result);
    }

private:
    bool ownsWindow(quintptr window) const override
    {
        const HWND control = m_host ? m_host->controlWindow() : nullptr;
        const auto target = reinterpret_cast<HWND>(window);
        return control && (target == control || IsChild(control, target));
    }

    // A key aimed inside the page: the control's own shortcuts are dropped (true), the rest is
    // offered to the control. The control may run a modal loop in here, and this view may be closed
    // meanwhile: it is kept alive until the call ends.
    bool offerKey(void* message) override
    {
        if (!m_host)
            return false;
        auto* msg = static_cast<MSG*>(message);
        WebBrowserHost* const host = m_host;
        host->AddRef();
        const bool used = host->swallowsKey(msg) || host->translateAccelerator(msg);
        host->Release();
        return used;
    }

    bool contextMenuAllowed() const override
    {
        const auto* owner = qobject_cast<const WebView*>(parentWidget());
        return !owner || !owner->rightClickBlocked();
    }

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

    // Told from inside the control's event: handed on from Qt's event loop, so that a slot may
    // close the window (and so the control) it is shown in.
    void loadEnded(bool ok) override
    {
        QMetaObject::invokeMethod(
            this, [this, ok] { m_loadFinished(ok); }, Qt::QueuedConnection);
    }

    std::function<void(bool ok)> m_loadFinished;
    WebBrowserKeys& m_keys;
    WebBrowserHost* m_host = nullptr; // null when the system has no control (logged)
};

void WebBrowserKeys::add(PageKeyRouter::Target* view)
{
    m_router.add(view);
    if (!std::exchange(m_installed, true))
        QCoreApplication::instance()->installNativeEventFilter(this);
}

bool WebBrowserKeys::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "windows_generic_MSG")
        return false;
    auto* msg = static_cast<MSG*>(message);
    if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST)
        return false;
    return m_router.route(reinterpret_cast<quintptr>(msg->hwnd), msg);
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
