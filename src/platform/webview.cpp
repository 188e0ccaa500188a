#include "platform/webview.h"

#include "platform/addresspolicy.h"
#include "platform/logging.h"
#include "platform/nativerightclickfilter.h"
#include "platform/webengine.h"
#include "platform/webengineloader.h"

#include <QChildEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QUrl>
#include <QVBoxLayout>

WebView::WebView(QWidget* parent) : QWidget(parent), m_layout(new QVBoxLayout(this))
{
    m_layout->setContentsMargins(0, 0, 0, 0);
}

WebView::~WebView() = default;

bool WebView::ensureView()
{
    if (m_view)
        return true;
    m_engine = WebEngineLoader::engine();
    if (!m_engine)
        return false;
    m_view = m_engine->createView(this, [this](bool ok) { emit loadFinished(ok); });
    m_layout->addWidget(m_view);
    m_view->installEventFilter(this);
    // The engine renders into a child widget it creates later; watch children as they come.
    for (QObject* child : m_view->children())
        child->installEventFilter(this);
    return true;
}

void WebView::navigate(const QString& address)
{
    m_address = address;
    ++m_navigations;
    // A view that was never created is blank already; clearing it must not start the engine.
    const bool blank = address == QLatin1String("about:blank");
    if (!m_view && blank)
        return;
    // The addresses come from the settings document: a page of the web only, never a local file
    // (QUrl::fromUserInput would make "/etc/passwd" a file address). A refused one shows nothing.
    std::optional<QString> accepted =
        blank ? std::optional<QString>(address) : AddressPolicy::acceptedAddress(address, AddressPolicy::Kind::Web);
    if (!accepted) {
        qCInfo(lcWeb) << "refused to show" << address << "-"
                      << AddressPolicy::refusal(address, AddressPolicy::Kind::Web);
        if (!m_view)
            return;
        accepted = QStringLiteral("about:blank");
    }
    if (ensureView())
        m_engine->load(m_view, QUrl::fromUserInput(*accepted));
}

void WebView::setRightClickBlocked(bool blocked)
{
    m_rightClickBlocked = blocked;
    if (!blocked)
        m_nativeRightClicks.reset();
    else if (!m_nativeRightClicks)
        m_nativeRightClicks = std::make_unique<NativeRightClickFilter>(this);
}

bool WebView::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ChildAdded) {
        auto* childEvent = static_cast<QChildEvent*>(event);
        childEvent->child()->installEventFilter(this);
        return false;
    }
    if (!m_rightClickBlocked)
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease ||
        event->type() == QEvent::MouseButtonDblClick) {
        if (static_cast<QMouseEvent*>(event)->button() == Qt::RightButton)
            return true;
    }
    if (event->type() == QEvent::ContextMenu)
        return true;
    return QWidget::eventFilter(watched, event);
}
