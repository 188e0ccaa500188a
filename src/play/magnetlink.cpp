#include "play/magnetlink.h"

#include "platform/codepage.h"

#include <QStringList>
#include <QUrl>

#include <QUrl>
#include <algorithm>

namespace {

bool allOf(const QByteArray& text, bool (*accepted)(char))
{
    return std::all_of(text.cbegin(), text.cend(), accepted);
}

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool isBase32Digit(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '2' && c <= '7');
}

// The page's text with its character references read: a title shows "&amp;" where the name has "&".
QString pageText(const QByteArray& gbk)
{
    QString text = CodePage::fromGbk(gbk);
    if (!text.contains(QLatin1Char('&')))
        return text;
    static const std::pair<QLatin1StringView, QChar> named[] = {
        {QLatin1StringView("&lt;"), QLatin1Char('<')},    {QLatin1StringView("&gt;"), QLatin1Char('>')},
        {QLatin1StringView("&quot;"), QLatin1Char('"')},  {QLatin1StringView("&#39;"), QLatin1Char('\'')},
        {QLatin1StringView("&#039;"), QLatin1Char('\'')}, {QLatin1StringView("&nbsp;"), QLatin1Char(' ')},
        {QLatin1StringView("&amp;"), QLatin1Char('&')}, // last: "&amp;lt;" is the text "&lt;"
    };
    for (const auto& [reference, character] : named)
        text.replace(reference, QString(character));
    return text;
}

// The cut-off end of the row's address: the row ends where the page first says "Fannounce&", so the
// tracker it ends in lost exactly "Fannounce" ("…%2Fannounce" became "…%2"). What was cut is known, so
// the tracker is restored rather than dropped: for many rows it is the only tracker there is.
const QByteArray kCutTail = "Fannounce";

// A tracker a download manager can use: an http, https or udp address with a host.
bool isTracker(const QString& address)
{
    const QUrl url(address, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https") || scheme == QLatin1String("udp"));
}

// The trackers the row's address names, decoded, in order; ones that are not trackers are left out.
QStringList trackers(const QByteArray& address)
{
    QByteArray query = address.trimmed();
    if (!query.toLower().startsWith("magnet:?"))
        return {};
    query = query.mid(8);
    query.replace("&amp;", "&"); // an address as the page's markup may write it
    QStringList found;
    const QList<QByteArray> fields = query.split('&');
    for (qsizetype i = 0; i < fields.size(); ++i) {
        QByteArray field = fields[i];
        if (!field.toLower().startsWith("tr="))
            continue;
        field = field.mid(3);
        if (i == fields.size() - 1 && field.endsWith("%2"))
            field += kCutTail;
        const QString tracker = QString::fromUtf8(QByteArray::fromPercentEncoding(field));
        if (isTracker(tracker) && !found.contains(tracker))
            found.append(tracker);
    }
    return found;
}

} // namespace

namespace MagnetLink {

bool isInformationKey(const QByteArray& key)
{
    return (key.size() == 40 && allOf(key, isHexDigit)) || (key.size() == 32 && allOf(key, isBase32Digit));
}

Expected<QString> build(const ResultRow& row)
{
    if (!isInformationKey(row.informationKey))
        return Expected<QString>::failure(
            QStringLiteral("the information key \"%1\" is neither 40 hexadecimal nor 32 base-32 characters")
                .arg(CodePage::fromGbk(row.informationKey.left(64))));
    QString link = QStringLiteral("magnet:?xt=urn:btih:") + QString::fromLatin1(row.informationKey);
    const QString title = pageText(row.title).trimmed();
    if (!title.isEmpty())
        link += QStringLiteral("&dn=") + QString::fromLatin1(QUrl::toPercentEncoding(title));
    for (const QString& tracker : trackers(row.address))
        link += QStringLiteral("&tr=") + QString::fromLatin1(QUrl::toPercentEncoding(tracker));
    return link;
}

} // namespace MagnetLink
