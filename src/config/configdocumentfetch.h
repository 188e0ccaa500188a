#pragma once

#include <QByteArray>
#include <QThread>

#include <atomic>

// The GET of the settings document, on a thread of its own so the window stays responsive. The
// request has connect and stall time limits and a body limit; `fetched` is emitted once, from the
// fetching thread. Destroying the object cancels a request still in flight and waits for the thread.
class ConfigDocumentFetch final : public QThread {
    Q_OBJECT
public:
    explicit ConfigDocumentFetch(QByteArray url, QObject* parent = nullptr);
    ~ConfigDocumentFetch() override;

Q_SIGNALS:
    // ok: the exchange completed (whatever the HTTP status); body: the response body.
    void fetched(bool ok, const QByteArray& body);

protected:
    void run() override;

private:
    QByteArray m_url;
    std::atomic<bool> m_cancel = false;
};
