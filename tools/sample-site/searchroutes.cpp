#include "hostilebody.h"
#include "samplesite.h"
#include "searchpage.h"

#include "platform/codepage.h"

#include <httplib.h>

#include <chrono>
#include <thread>

// The torrent search site: GET /search/<keyword>/<page>, 25 rows a page, 4 pages a keyword.
// Switches:
//   search.pages=N         pages the keyword has (default 4; 0: no results)
//   search.rows=N          rows a page (default 25)
//   search.nopagination=1  leave out the pagination block
//   search.lastlink=TEXT   text of the last page-number link (e.g. a word instead of a number)
//   search.charset=gbk     send the page as GBK ("none": UTF-8 without a charset in Content-Type;
//                          "gbk-unnamed": GBK without a charset; "bogus": UTF-8 under a charset
//                          name that does not exist)
//   search.status=N        answer with this HTTP status (the page is sent all the same)
//   search.stall=N         wait up to N seconds before answering, for as long as the switch is set
//   search.redirect=ROOT   answer with a redirect to the same path under ROOT
//   search.markup=changed  the rows in a markup the row cutter does not know (a redesigned site)
//   search.body=...        a misbehaving site:
//       random:N           N random bytes instead of a page
//       badutf8            the page with invalid UTF-8 at the start of every title
//       pad:N              the page followed by filler up to N bytes
//       endless:B:MS       the page, then B bytes of filler every MS milliseconds, without end
//       openings:N         the page followed by pagination-block openings that are never closed, up to N bytes
//       runon:R:N          R rows without any field start marker, filler, and the field end markers
//                          only at the very end (every field of every row runs on), N bytes in all
namespace {

// An unset, empty or non-numeric switch gives the fallback.
int intSwitch(const SampleSite& site, const char* name, int fallback)
{
    bool ok = false;
    const int value = site.switchValue(QString::fromLatin1(name)).toInt(&ok);
    return ok ? value : fallback;
}

} // namespace

void registerSearchRoutes(SampleSite& site)
{
    site.server().Get(R"(/search/(.*)/(-?\d+))", [&site](const httplib::Request& request, httplib::Response& response) {
        const int stallSeconds = intSwitch(site, "search.stall", 0);
        if (stallSeconds > 0) {
            const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(stallSeconds);
            while (std::chrono::steady_clock::now() < until && intSwitch(site, "search.stall", 0) > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }

        const QString redirect = site.switchValue(QStringLiteral("search.redirect"));
        if (!redirect.isEmpty()) {
            response.set_redirect(redirect.toStdString() + request.target, 302); // the path as sent
            return;
        }

        // The path arrives percent-decoded; a "+" in the path stands for a blank.
        QString keyword = QString::fromUtf8(request.matches[1].str().c_str());
        keyword.replace(QLatin1Char('+'), QLatin1Char(' '));
        const int page = std::stoi(request.matches[2].str());

        SearchPageOptions options;
        options.pages = intSwitch(site, "search.pages", 4);
        options.rowsPerPage = intSwitch(site, "search.rows", 25);
        options.pagination = site.switchValue(QStringLiteral("search.nopagination")) != QLatin1String("1");
        options.lastLinkText = site.switchValue(QStringLiteral("search.lastlink"));
        QString html = searchPageHtml(keyword, page, options);
        if (site.switchValue(QStringLiteral("search.markup")) == QLatin1String("changed"))
            html.replace(QStringLiteral("</a></td></tr>"), QStringLiteral("</a></div></li>"))
                .replace(QStringLiteral("<tr><td colspan=\"4\">No result.</td></tr>"), QString())
                .replace(QStringLiteral("id=\"archiveResult\""), QStringLiteral("class=\"results\""));

        const QString charset = site.switchValue(QStringLiteral("search.charset")).toLower();
        QByteArray body;
        const char* contentType = "text/html; charset=utf-8";
        if (charset == QLatin1String("gbk") || charset == QLatin1String("gbk-unnamed")) {
            body = CodePage::toGbk(html);
            contentType = charset == QLatin1String("gbk") ? "text/html; charset=gbk" : "text/html";
        } else {
            body = html.toUtf8();
            if (charset == QLatin1String("none"))
                contentType = "text/html";
            else if (charset == QLatin1String("bogus"))
                contentType = "text/html; charset=x-no-such-charset";
        }
        const int status = intSwitch(site, "search.status", 0);
        if (status >= 100)
            response.status = status;

        const QString mode = site.switchValue(QStringLiteral("search.body"));
        const QList<qint64> numbers = switchNumbers(mode);
        const qint64 first = numbers.value(0);
        const qint64 second = numbers.value(1);
        if (mode.startsWith(QLatin1String("random:"))) {
            body = randomBytes(qsizetype(first), 20130501);
        } else if (mode == QLatin1String("badutf8")) {
            body.replace("td class=\"name\">", "td class=\"name\">\xC3\x28\xFF\xFE\x80");
        } else if (mode.startsWith(QLatin1String("pad:"))) {
            sendPadded(response, body, first, contentType);
            return;
        } else if (mode.startsWith(QLatin1String("endless:"))) {
            sendEndless(response, body, int(first), int(second), contentType);
            return;
        } else if (mode.startsWith(QLatin1String("openings:"))) {
            while (body.size() < first)
                body += "<div class=\"pagination\"><a>9";
            body.truncate(qsizetype(first));
        } else if (mode.startsWith(QLatin1String("runon:"))) {
            QByteArray head = "<html><table>\n";
            for (qint64 row = 0; row < first; ++row)
                head += "row " + QByteArray::number(row) + "</a></td></tr>\n";
            const QByteArray tail = "</td><td class=\"size</td><td class=\"date Fannounce&\" title=\"</html>";
            body = head + fillerText(qsizetype(qMax<qint64>(second - head.size() - tail.size(), 0))) + tail;
        }
        response.set_content(body.constData(), size_t(body.size()), contentType);
    });
}
