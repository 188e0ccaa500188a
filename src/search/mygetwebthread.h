#pragma once

#include "platform/httpclient.h"

#include <QByteArray>
#include <QObject>

#include <optional>

class HttpCall;
class QVariant;

// Fetches one result page of the torrent search site off the user-interface thread and hands the
// page, converted to GBK, back on the thread that created it, together with the page count read
// from it (so the user-interface thread never runs the patterns over a page of unknown size). It
// never touches a widget: the keyword and the page number are given when it is created.
// It reports once (pageFetched or fetchFailed) and then deletes itself; after cancel() it reports
// nothing and deletes itself too. Destroying it (with its parent, say) cancels the fetch.
class MyGetWebThread final : public QObject {
    Q_OBJECT
public:
    // keyword: GBK text of the keyword box. siteRoot: the site's root address without a trailing "/".
    MyGetWebThread(const QByteArray& keyword, qint32 page, const QByteArray& siteRoot, QObject* parent = nullptr);

    // "<siteRoot>/search/<FormEncode(UTF-8 keyword)>/<page>"
    static QByteArray searchAddress(const QByteArray& siteRoot, const QByteArray& keyword, qint32 page);

    QByteArray address() const { return m_address; }
    QByteArray keyword() const { return m_keyword; }
    qint32 page() const { return m_page; }

    // A result page is some tens of kilobytes; a larger body than this fails the fetch. It bounds
    // the memory a fetch takes and the work of the first row-timer tick.
    static constexpr qint64 maxPageBytes = 4 * 1024 * 1024;

    // Less than one byte a second for 20 s, or two minutes in all, ends the fetch.
    static constexpr HttpTimeLimits defaultTimeLimits{
        .connect = std::chrono::seconds(10), .stall = std::chrono::seconds(20), .total = std::chrono::minutes(2)};
    using TimeLimits = HttpTimeLimits;
    void setTimeLimits(const TimeLimits& limits) { m_limits = limits; } // before start()
    // (tests shorten the limits of every worker created afterwards through TestHooks::searchPageLimits)

    void start();
    void cancel();

Q_SIGNALS:
    // lastLinkText: what ParsePagination finds on the page, empty when it finds nothing.
    void pageFetched(const QByteArray& gbkPage, const QByteArray& lastLinkText);
    void fetchFailed(const QString& reason);

private:
    void onFinished(const HttpResponse& response, const QVariant& lastLinkText);

    QByteArray m_keyword;
    qint32 m_page = 0;
    QByteArray m_address;
    TimeLimits m_limits = defaultTimeLimits;
    HttpCall* m_call = nullptr;
};
