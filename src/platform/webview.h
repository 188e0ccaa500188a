#pragma once

#include <QString>
#include <QWidget>

class QWebEngineView;
class QVBoxLayout;

// The embedded web browser of the program's windows. The browser engine is created only when a
// page is first shown, so windows that never show a page stay light.
class WebView final : public QWidget {
    Q_OBJECT
public:
    explicit WebView(QWidget* parent = nullptr);

    // Loads an address; returns at once. "about:blank" clears the view (and creates no engine
    // when none exists yet).
    void navigate(const QString& address);
    // The last address given to navigate() (empty before the first).
    const QString& currentAddress() const { return m_address; }
    int navigationCount() const { return m_navigations; }

    // When set, right mouse button presses and releases inside the page are swallowed,
    // so the page never opens its context menu.
    void setRightClickBlocked(bool blocked);
    bool rightClickBlocked() const { return m_rightClickBlocked; }

    QWebEngineView* engineView() const { return m_view; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ensureView();

    QVBoxLayout* m_layout = nullptr;
    QWebEngineView* m_view = nullptr;
    QString m_address;
    int m_navigations = 0;
    bool m_rightClickBlocked = false;
};
