#pragma once

#include <QByteArray>
#include <QString>

// A hidden counter page: navigating it sends one plain GET of a page of the product server,
// off the user-interface thread, fire and forget. Requests of all counter browsers leave in the
// order they were made; a failure is never reported.
class CounterBrowser final {
public:
    explicit CounterBrowser(QString name) : m_name(std::move(name)) {}

    // path: an absolute path on the product server, e.g. "/update/HomePG.php".
    void navigate(const QByteArray& path);

    const QString& name() const { return m_name; }
    // The last address this browser was sent to (empty when never used).
    const QByteArray& lastAddress() const { return m_lastAddress; }
    int requestCount() const { return m_requestCount; }

    // Blocks until every queued counter request has been sent (or failed); for tests and shutdown.
    static bool waitForIdle(int timeoutMs);

private:
    QString m_name;
    QByteArray m_lastAddress;
    int m_requestCount = 0;
};
