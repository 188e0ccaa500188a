#pragma once

#include "platform/httpclient.h"

#include <QByteArray>
#include <QThread>

#include <atomic>
#include <optional>

// The GET of the settings document, on a thread of its own so the window stays responsive. The
// request has connect and stall time limits and a body limit; `fetched` is emitted once, from the
// fetching thread. Destroying the object cancels a request still in flight and waits for the thread.
class ConfigDocumentFetch final : public QThread {
    Q_OBJECT
public:
    explicit ConfigDocumentFetch(QByteArray url, QObject* parent = nullptr);
    ~ConfigDocumentFetch() override;

    // The document is a few kilobytes; a larger body fails the fetch and nothing is applied.
    static constexpr qint64 maxDocumentBytes = 1024 * 1024;

    // Less than one byte a second for 15 s, or a minute in all, ends the fetch.
    static constexpr HttpTimeLimits defaultTimeLimits{10000, 15, 60000};
    using TimeLimits = HttpTimeLimits;
    // Tests shorten the limits of every fetch created afterwards; nullopt restores the defaults.
    static void setTimeLimitsForTesting(std::optional<TimeLimits> limits);

Q_SIGNALS:
    // ok: the exchange completed (whatever the HTTP status); body: the response body.
    void fetched(bool ok, const QByteArray& body);

protected:
    void run() override;

private:
    QByteArray m_url;
    TimeLimits m_limits = defaultTimeLimits;
    std::atomic<bool> m_cancel = false;
};
