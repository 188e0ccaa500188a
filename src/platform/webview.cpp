#include "platform/webview.h"

#include "platform/webengine.h"
#include "platform/webengineloader.h"

#include <QChildEvent>
#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QUrl>
#include <QVBoxLayout>

WebView::WebView(QWidget* parent) : QWidget(parent), m_layout(new QVBoxLayout(this))
{
    m_layout->setContentsMargins(0, 0, 0, 0);
}

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
    if (!m_view && address == QLatin1String("about:blank"))
        return;
    if (ensureView())
        m_engine->load(m_view, QUrl::fromUserInput(address));
}

void WebView::setRightClickBlocked(bool blocked)
{
    m_rightClickBlocked = blocked;
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
