#pragma once

#include "platform/httpclient.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QList>
#include <QObject>

#include <optional>

class HttpCall;
class QUrl;
class QVariant;

// Fetches one result page of the torrent search site off the user-interface thread and hands the
// page, converted to GBK, back on the thread that created it, together with the page count read
// from it (so the user-interface thread never runs the patterns over a page of unknown size). It
// never touches a widget: the keyword and the page number are given when it is created.
// The page is asked of the listed sites in turn: a site that cannot be reached, times out, answers
// with an error or with a page that is not a result page gives way to the next one, all within the
// fetch's time limits as a whole. Redirects are followed only to the hosts of the listed sites.
// It reports once (pageFetched or fetchFailed) and then deletes itself; after cancel() it reports
// nothing and deletes itself too. Destroying it (with its parent, say) cancels the fetch.
class MyGetWebThread final : public QObject {
    Q_OBJECT
public:
    // Why no site gave the page.
    enum class Failure {
        CannotConnect,  // refused, unknown host, no connection within the connect limit
        TimedOut,       // the stall limit or the overall limit ran out
        SiteError,      // an error status without rows, or an answer that is not HTTP
        PageChanged,    // a page without rows and without the site's "no result" form
        RedirectedAway, // a redirect to a host that is not one of the listed sites
    };
    Q_ENUM(Failure)
    // What an arrived page holds.
    enum class PageKind { Rows, NoResults, NotAResultPage };

    // keyword: GBK text of the keyword box. siteRoots: the sites to ask, in order, each without a
    // trailing "/"; at least one.
    MyGetWebThread(const QByteArray& keyword, qint32 page, const QList<QByteArray>& siteRoots,
                   QObject* parent = nullptr);
    MyGetWebThread(const QByteArray& keyword, qint32 page, const QByteArray& siteRoot, QObject* parent = nullptr)
        : MyGetWebThread(keyword, page, QList<QByteArray>{siteRoot}, parent)
    {
    }

    // "<siteRoot>/search/<FormEncode(UTF-8 keyword)>/<page>"
    static QByteArray searchAddress(const QByteArray& siteRoot, const QByteArray& keyword, qint32 page);
    // What a page in GBK holds: a row end, the site's "no result" form, or neither.
    static PageKind pageKind(const QByteArray& gbkPage);
    // Whether the address is on the site of the root: same scheme, host (any case) and port.
    static bool onSite(const QUrl& address, const QByteArray& siteRoot);

    QByteArray address() const { return m_address; } // of the current request
    QByteArray keyword() const { return m_keyword; }
    qint32 page() const { return m_page; }

    // A result page is some tens of kilobytes; a larger body than this fails the fetch. It bounds
    // the memory a fetch takes and the work of the first row-timer tick.
    static constexpr qint64 maxPageBytes = 4 * 1024 * 1024;
    static constexpr int maxRedirects = 5; // of one site's answer

    // Less than one byte a second for 20 s, or two minutes in all (every site asked included), ends the fetch.
    static constexpr HttpTimeLimits defaultTimeLimits{
        .connect = std::chrono::seconds(10), .stall = std::chrono::seconds(20), .total = std::chrono::minutes(2)};
    using TimeLimits = HttpTimeLimits;
    void setTimeLimits(const TimeLimits& limits) { m_limits = limits; } // before start()
    // (tests shorten the limits of every worker created afterwards through TestHooks::searchPageLimits)

    void start();
    void cancel();

Q_SIGNALS:
    // lastLinkText: what ParsePagination finds on the page, empty when it finds nothing.
    // siteRoot: the listed site that answered. noResults: the site's "no result" form.
    void pageFetched(const QByteArray& gbkPage, const QByteArray& lastLinkText, const QByteArray& siteRoot,
                     bool noResults);
    void fetchFailed(MyGetWebThread::Failure failure, int status);

private:
    void ask(const QByteArray& address);
    void onFinished(const HttpResponse& response, const QVariant& reading);
    // The answer of the current site, or the failure that sends the page to the next one.
    std::optional<Failure> judge(const HttpResponse& response, const QVariant& reading);
    bool followRedirect(const HttpResponse& response);
    void tryNextSite(Failure failure, int status);
    QByteArray answeringRoot() const;

    QByteArray m_keyword;
    qint32 m_page = 0;
    QList<QByteArray> m_sites;
    qsizetype m_siteIndex = 0;
    int m_redirects = 0;
    QByteArray m_address;
    TimeLimits m_limits = defaultTimeLimits;
    QDeadlineTimer m_deadline; // the overall limit of all sites together
    HttpCall* m_call = nullptr;
};
