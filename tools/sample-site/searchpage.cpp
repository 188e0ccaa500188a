#include "searchpage.h"

#include <QStringList>
#include <QUrl>

#include <iterator>
#include <random>

namespace {

const char* const chineseTitles[] = {
    "钢铁侠3",          "中国合伙人",        "致我们终将逝去的青春",
    "西游降魔篇",       "北京遇上西雅图",    "小时代",
    "让子弹飞",         "霸王别姬",          "大话西游",
    "无间道",           "卧虎藏龙",          "功夫",
    "一代宗师",         "人再囧途之泰囧",    "十二生肖",
    "少年派的奇幻漂流", "速度与激情6",       "星际迷航：暗黑无界",
    "了不起的盖茨比",   "遗落战境",          "疯狂原始人",
    "被解救的姜戈",     "007：大破天幕杀机", "蝙蝠侠：黑暗骑士崛起",
    "盗梦空间",         "电影频道精选",      "动画电影合集",
};
const char* const englishTitles[] = {
    "Iron.Man.3",
    "American.Dreams.in.China",
    "So.Young",
    "Journey.to.the.West",
    "Finding.Mr.Right",
    "Tiny.Times",
    "Let.the.Bullets.Fly",
    "Farewell.My.Concubine",
    "A.Chinese.Odyssey",
    "Infernal.Affairs",
    "Crouching.Tiger.Hidden.Dragon",
    "Kung.Fu.Hustle",
    "The.Grandmaster",
    "Lost.in.Thailand",
    "CZ12",
    "Life.of.Pi",
    "Fast.and.Furious.6",
    "Star.Trek.Into.Darkness",
    "The.Great.Gatsby",
    "Oblivion",
    "The.Croods",
    "Django.Unchained",
    "Skyfall",
    "The.Dark.Knight.Rises",
    "Inception",
    "Movie.Channel.Picks",
    "Animation.Pack",
};
const char* const qualities[] = {"720p.BluRay.x264", "1080p.BluRay.x264.DTS", "HDTV.x264",
                                 "DVDRip.XviD",      "BDRip.720p.AAC",        "HDRip.x264",
                                 "WEB-DL.1080p"};
const char* const extras[] = {"国语中字", "中英双字", "高清版", "国粤双语", "未删减版", "特效字幕", ""};
const char* const groups[] = {"CHD", "WiKi", "HDChina", "CMCT", "TLF", "YYeTs", "SPARKS"};

constexpr int titleCount = int(std::size(chineseTitles));
static_assert(std::size(chineseTitles) == std::size(englishTitles));

quint64 fnv1a(const QByteArray& bytes)
{
    quint64 hash = 1469598103934665603ULL;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ULL;
    }
    return hash;
}

QString escapeHtml(const QString& text)
{
    return text.toHtmlEscaped();
}

template <typename T, size_t N> T pick(std::mt19937_64& random, const T (&items)[N])
{
    return items[random() % N];
}

QString title(std::mt19937_64& random, const QString& keyword)
{
    const int film = int(random() % titleCount);
    const QString chinese = QString::fromUtf8(chineseTitles[film]);
    const QString english = QString::fromUtf8(englishTitles[film]);
    const QString year = QString::number(2000 + int(random() % 14));
    const QString quality = QString::fromUtf8(pick(random, qualities));
    const QString extra = QString::fromUtf8(pick(random, extras));
    const QString group = QString::fromUtf8(pick(random, groups));
    switch (random() % 5) {
    case 0:
        return QStringLiteral("%1.%2.%3.%4-%5").arg(english, year, quality, extra.isEmpty() ? group : extra, group);
    case 1:
        return QStringLiteral("[%1].%2.%3.%4").arg(chinese, english, year, quality);
    case 2:
        return QStringLiteral("%1 %2【%3】").arg(keyword, chinese, extra.isEmpty() ? quality : extra);
    case 3:
        return QStringLiteral("%1.%2.%3-%4").arg(english, year, quality, group);
    default:
        return QStringLiteral("%1 %2 %3 %4").arg(chinese, year, keyword, extra);
    }
}

QString size(std::mt19937_64& random)
{
    const int kind = int(random() % 20);
    if (kind == 0)
        return QStringLiteral("%1 B").arg(1 + random() % 1000);
    if (kind <= 2)
        return QStringLiteral("%1 KB").arg(double(1 + random() % 10000) / 10.0, 0, 'f', 1);
    if (kind <= 9)
        return QStringLiteral("%1 MB").arg(double(10 + random() % 99000) / 100.0, 0, 'f', 2);
    return QStringLiteral("%1 GB").arg(double(100 + random() % 2500) / 100.0, 0, 'f', 2);
}

QString row(std::mt19937_64& random, const QString& keyword)
{
    const QString name = title(random, keyword);
    const QString key = QStringLiteral("%1%2%3")
                            .arg(random(), 16, 16, QLatin1Char('0'))
                            .arg(random(), 16, 16, QLatin1Char('0'))
                            .arg(quint32(random()), 8, 16, QLatin1Char('0'))
                            .toUpper();
    const QString date = QStringLiteral("2013-%1-%2")
                             .arg(1 + int(random() % 12), 2, 10, QLatin1Char('0'))
                             .arg(1 + int(random() % 28), 2, 10, QLatin1Char('0'));
    const QString displayName = QString::fromLatin1(QUrl::toPercentEncoding(name));
    const QString escaped = escapeHtml(name);
    // Built by concatenation: the tracker address holds "%3A" and "%2F", which arg() would take for places.
    return QStringLiteral("<tr><td class=\"name\">") + escaped + QStringLiteral("</td><td class=\"size\">") +
           size(random) + QStringLiteral("</td><td class=\"date\">") + date +
           QStringLiteral("</td><td class=\"action\"><a href=\"/information/") + key + QStringLiteral("\" title=\"") +
           escaped + QStringLiteral("\" rel=\"information\">Detail</a><a href=\"magnet:?xt=urn:btih:") + key +
           QStringLiteral("&dn=") + displayName +
           QStringLiteral("&tr=http%3A%2F%2Ftracker.example.org%3A2710%2Fannounce&\" title=\"") + escaped +
           QStringLiteral("\" rel=\"magnet\">Magnet</a></td></tr>\n");
}

QString paginationBlock(const QString& keyword, int page, const SearchPageOptions& options)
{
    const QString base =
        QStringLiteral("/search/") + QString::fromLatin1(QUrl::toPercentEncoding(keyword)) + QLatin1Char('/');
    auto link = [&](int target, const QString& text) {
        return QStringLiteral("<a href=\"") + base + QString::number(target) + QStringLiteral("\">") + text +
               QStringLiteral("</a>");
    };
    QStringList parts;
    if (page > 1)
        parts << link(page - 1, QStringLiteral("«"));
    QList<int> numbers;
    for (int n = 1; n <= options.pages; ++n)
        if (options.pages <= 10 || n <= 5 || n > options.pages - 2 || qAbs(n - page) <= 1)
            numbers.append(n);
    for (qsizetype i = 0; i < numbers.size(); ++i) {
        if (i > 0 && numbers[i] != numbers[i - 1] + 1)
            parts << QStringLiteral("<span class=\"gap\">...</span>");
        const bool last = i == numbers.size() - 1;
        const QString text =
            last && !options.lastLinkText.isEmpty() ? options.lastLinkText : QString::number(numbers[i]);
        if (numbers[i] == page)
            parts << QStringLiteral("<a class=\"current\" href=\"") + base + QString::number(numbers[i]) +
                         QStringLiteral("\">") + text + QStringLiteral("</a>");
        else
            parts << link(numbers[i], text);
    }
    if (page < options.pages)
        parts << link(page + 1, QStringLiteral("»"));
    return QStringLiteral("<div class=\"pagination\">\n") + parts.join(QLatin1Char('\n')) +
           QStringLiteral("\n</div>\n");
}

} // namespace

QString searchPageHtml(const QString& keyword, int page, const SearchPageOptions& options)
{
    const QString shown = escapeHtml(keyword);
    QString html;
    html += QStringLiteral("<!DOCTYPE html>\n<html><head><meta http-equiv=\"Content-Type\" content=\"text/html\">\n"
                           "<title>%1 - Torrent Kitty - Free Torrent To Magnet Link Conversion Service</title>\n"
                           "</head><body><div id=\"header\"><a href=\"/\">Torrent Kitty</a></div>\n"
                           "<div id=\"main\"><h2>Search results for %1</h2>\n"
                           "<table id=\"archiveResult\">\n<tr><th class=\"name\">Name</th><th class=\"size\">Size</th>"
                           "<th class=\"date\">Upload Date</th><th class=\"action\">Action</th></tr>\n")
                .arg(shown);
    const bool hasRows = page >= 1 && page <= options.pages;
    if (hasRows) {
        std::mt19937_64 random(fnv1a(keyword.toUtf8()) ^ (quint64(page) * 0x9E3779B97F4A7C15ULL));
        for (int i = 0; i < options.rowsPerPage; ++i)
            html += row(random, keyword);
    } else {
        html += QStringLiteral("<tr><td colspan=\"4\">No result.</td></tr>\n");
    }
    html += QStringLiteral("</table>\n");
    if (hasRows && options.pagination)
        html += paginationBlock(keyword, page, options);
    // The footer's class name holds an underscore, which is where the site's pagination block ends.
    html += QStringLiteral("</div>\n<div class=\"footer_links\"><a href=\"/about\">About</a> "
                           "<a href=\"/faq\">FAQ</a></div>\n</body></html>\n");
    return html;
}
