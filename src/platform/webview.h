#pragma once

#include <QString>
#include <QWidget>

#include <memory>

class NativeRightClickFilter;
class QVBoxLayout;
class WebEngine;

// The embedded web browser of the program's windows. The browser engine lives in a module of its
// own (WebEngineLoader), loaded when the first page is shown, so windows that never show a page
// stay light. Without the module every page stays empty and everything else works.
class WebView final : public QWidget {
    Q_OBJECT
public:
    explicit WebView(QWidget* parent = nullptr);
    ~WebView() override;

    // Loads a web address (http, https, or a bare host name); returns at once. "about:blank" clears
    // the view (and creates no engine when none exists yet); any other address clears it too.
    void navigate(const QString& address);
    // The last address given to navigate() (empty before the first).
    const QString& currentAddress() const { return m_address; }
    int navigationCount() const { return m_navigations; }

    // When set, right mouse button presses and releases inside the page are swallowed,
    // so the page never opens its context menu.
    void setRightClickBlocked(bool blocked);
    bool rightClickBlocked() const { return m_rightClickBlocked; }

    // The engine's own view, once a page was shown (null before, and without the module).
    QWidget* engineView() const { return m_view; }

Q_SIGNALS:
    // A page load ended (true: the page loaded).
    void loadFinished(bool ok);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool ensureView();

    QVBoxLayout* m_layout = nullptr;
    WebEngine* m_engine = nullptr;
    QWidget* m_view = nullptr;
    QString m_address;
    int m_navigations = 0;
    bool m_rightClickBlocked = false;
    std::unique_ptr<NativeRightClickFilter> m_nativeRightClicks; // while right clicks are blocked
};
