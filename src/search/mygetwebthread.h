#pragma once

#include <QByteArray>
#include <QThread>

#include <atomic>

// Fetches one result page of the torrent search site on a thread of its own and hands the page,
// converted to GBK, back through a queued signal. It never touches a widget: the keyword and the
// page number are given by the user-interface thread when it creates the worker.
// Once started, the worker deletes itself when its body has ended.
class MyGetWebThread final : public QThread {
    Q_OBJECT
public:
    // keyword: GBK text of the keyword box. siteRoot: the site's root address without a trailing "/".
    MyGetWebThread(const QByteArray& keyword, qint32 page, const QByteArray& siteRoot, QObject* parent = nullptr);

    // "<siteRoot>/search/<FormEncode(UTF-8 keyword)>/<page>"
    static QByteArray searchAddress(const QByteArray& siteRoot, const QByteArray& keyword, qint32 page);

    QByteArray address() const { return m_address; }
    QByteArray keyword() const { return m_keyword; }
    qint32 page() const { return m_page; }

    void setTimeLimits(long connectTimeoutMs, long stallTimeoutSec, long totalTimeoutMs);
    // Asks a running fetch to stop; it then reports nothing.
    void cancel() { m_cancel = true; }

Q_SIGNALS:
    void pageFetched(const QByteArray& gbkPage);
    void fetchFailed(const QString& reason);

protected:
    void run() override;

private:
    QByteArray m_keyword;
    qint32 m_page = 0;
    QByteArray m_address;
    long m_connectTimeoutMs = 10000;
    long m_stallTimeoutSec = 20;
    long m_totalTimeoutMs = 120000;
    std::atomic<bool> m_cancel = false;
};
