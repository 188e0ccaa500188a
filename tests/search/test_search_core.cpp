// Keyword encoding, marker cutting, row cutting, page count, row order and 简繁 conversion.
#include "platform/codepage.h"
#include "search/formencode.h"
#include "search/pagerows.h"
#include "search/pagination.h"
#include "search/resultmodel.h"
#include "search/rowcompare.h"
#include "search/rowcut.h"
#include "search/tgbbig5convert.h"
#include "services/textbetween.h"
#include "testmain.h"

#include <QElapsedTimer>
#include <QTest>

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

class TestSearchCore : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void formEncode();
    void textBetweenEdges();
    void textBetweenStepsByGbkCharacter();
    void rowCutThreeRows();
    void rowCutMarkersAndDroppedCharacter();
    void rowCutMissingFields();
    void gbkSearchFromAnyBoundaryMatchesStepping();
    void pageRowsGiveTheSameRowsAsCuttingTheBuffer();
    void pageRowsBoundsFieldsRowsAndTickCost();
    void paginationBlocks();
    void paginationNewlinesAndCase();
    void paginationMatchesWholeTextMatching();
    void paginationOfHostilePagesIsLinear();
    void compareText();
    void compareSizesByMagnitude();
    void simplifiedTraditional();
    void filterShowsRowsOfWordsAndSizes_data();
    void filterShowsRowsOfWordsAndSizes();
};

void TestSearchCore::formEncode()
{
    QCOMPARE(FormEncode("Iron Man 3"), QByteArray("Iron+Man+3"));
    QCOMPARE(FormEncode("Tom & Jerry 1+1"), QByteArray("Tom+%26+Jerry+1%2B1"));
    QCOMPARE(FormEncode(QStringLiteral("电影").toUtf8()), QByteArray("%E7%94%B5%E5%BD%B1"));
    QCOMPARE(FormEncode("   "), QByteArray("+++"));
    QCOMPARE(FormEncode(QByteArray("a\0b", 3)), QByteArray("a%00b"));
    // Every byte: the kept set as is, blank as "+", the rest as %XX with upper-case hex digits.
    const QByteArray kept = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789!$'()*-.@_";
    for (int b = 0; b < 256; ++b) {
        const QByteArray one(1, char(b));
        const QByteArray expected = kept.contains(char(b)) ? one
                                    : b == ' '             ? QByteArray("+")
                                                           : "%" + one.toHex().toUpper();
        QCOMPARE(FormEncode(one), expected);
    }
}

void TestSearchCore::textBetweenEdges()
{
    QCOMPARE(TextBetween("<Version>1.2</Version>", "<Version>", "</Version>"), QByteArray("1.2"));
    QCOMPARE(TextBetween("<Version>1.2</Version>", "</Version>", "<Version>"), QByteArray());
    // Markers match in any case; the result keeps the text's own case.
    QCOMPARE(TextBetween("x<VERSION>AbC</version>y", "<Version>", "</VERSION>"), QByteArray("AbC"));
    // End marker missing, or only before the start marker.
    QCOMPARE(TextBetween("<a>value", "<a>", "</a>"), QByteArray());
    QCOMPARE(TextBetween("</a>x<a>value", "<a>", "</a>"), QByteArray());
    // Start marker missing: the text from length(start) (1-based) up to the end marker.
    QCOMPARE(TextBetween("abcdefXYZ", "1234", "XYZ"), QByteArray("def"));
    QCOMPARE(TextBetween("abXYZ", "1234", "XYZ"), QByteArray());
    // The first occurrence of each marker counts.
    QCOMPARE(TextBetween("[1][2]", "[", "]"), QByteArray("1"));
    QCOMPARE(TextBetween("", "[", "]"), QByteArray());
    QCOMPARE(TextBetween("[x]", "[", ""), QByteArray());
    // Only ASCII letters fold: GBK bytes stay as they are.
    const QByteArray gbk = CodePage::toGbk(QStringLiteral("<标题>电影</标题>"));
    QCOMPARE(TextBetween(gbk, CodePage::toGbk(QStringLiteral("<标题>")), CodePage::toGbk(QStringLiteral("</标题>"))),
             CodePage::toGbk(QStringLiteral("电影")));
}

void TestSearchCore::textBetweenStepsByGbkCharacter()
{
    // 0x81 0x40 is one GBK character whose second byte is "@"; the marker "@b" must not match there.
    const QByteArray text = QByteArray("\x81@bxx") + "@bVALUE#";
    QCOMPARE(gbkIndexOfCaseless(text, "@b"), 5);
    QCOMPARE(TextBetween(text, "@b", "#"), QByteArray("VALUE"));
    // The same with a second byte that is an upper-case letter and a lower-case marker.
    const QByteArray upper = QByteArray("\x81"
                                        "Ax") +
                             "aVALUE#";
    QCOMPARE(TextBetween(upper, "a", "#"), QByteArray("VALUE"));
    // A lead byte without a valid second byte is a character of its own: the "<" after it still matches.
    const QByteArray stray = QByteArray("\x81<b>7</b>");
    QCOMPARE(TextBetween(stray, "<b>", "</b>"), QByteArray("7"));
    QCOMPARE(gbkIndexOfCaseless("ab", "abc"), -1);
}

namespace {

QByteArray rowMarkup(const QByteArray& title, const QByteArray& size, const QByteArray& key, const char* after = "\n")
{
    return "<tr><td class=\"name\">" + title + "</td><td class=\"size\">" + size +
           "</td><td class=\"date\">2013-05-01</td><td class=\"action\"><a href=\"/information/" + key + "\" title=\"" +
           title + "\" rel=\"information\">Detail</a><a href=\"magnet:?xt=urn:btih:" + key +
           "&tr=http%3A%2F%2Ft.example%2Fannounce&\" title=\"" + title + "\" rel=\"magnet\">Magnet</a></td></tr>" +
           after;
}

} // namespace

void TestSearchCore::rowCutThreeRows()
{
    QByteArray buffer = "<html><table>\n" + rowMarkup("First", "1.5 GB", "AAA") + rowMarkup("Second", "700 MB", "BBB") +
                        rowMarkup(CodePage::toGbk(QStringLiteral("第三")), "12 KB", "CCC") + "</table></html>";
    QList<ResultRow> rows;
    while (const std::optional<RowCut> cut = cutFirstRow(buffer)) {
        rows.append(cut->row);
        buffer.remove(0, cut->consumed);
        QVERIFY(rows.size() <= 3);
    }
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows[0].title, QByteArray("First"));
    QCOMPARE(rows[0].size, QByteArray("1.5 GB"));
    QCOMPARE(rows[0].address, QByteArray("magnet:?xt=urn:btih:AAA&tr=http%3A%2F%2Ft.example%2"));
    QCOMPARE(rows[0].informationKey, QByteArray("AAA"));
    QCOMPARE(rows[1].title, QByteArray("Second"));
    QCOMPARE(rows[1].informationKey, QByteArray("BBB"));
    QCOMPARE(rows[2].title, CodePage::toGbk(QStringLiteral("第三")));
    QCOMPARE(rows[2].size, QByteArray("12 KB"));
    // What is left starts right after the last row's line break.
    QCOMPARE(buffer, QByteArray("</table></html>"));
}

void TestSearchCore::rowCutMarkersAndDroppedCharacter()
{
    // Field markers match in any case; the end-of-row marker only in its own case.
    QByteArray upperFields = rowMarkup("T", "1 B", "K");
    upperFields.replace("td class=\"name\">", "TD CLASS=\"NAME\">");
    std::optional<RowCut> cut = cutFirstRow(upperFields);
    QVERIFY(cut);
    QCOMPARE(cut->row.title, QByteArray("T"));
    QVERIFY(!cutFirstRow(QByteArray(rowMarkup("T", "1 B", "K")).replace("</a></td></tr>", "</A></TD></TR>")));
    QVERIFY(!cutFirstRow("no rows at all"));

    // The character after the marker goes with the row, even when it is not a line break.
    const QByteArray plain = rowMarkup("T", "1 B", "K", "XY");
    cut = cutFirstRow(plain);
    QVERIFY(cut);
    QCOMPARE(plain.mid(cut->consumed), QByteArray("Y"));
    // A double-byte character after the marker goes whole, so the rest stays valid GBK.
    const QByteArray gbk = rowMarkup("T", "1 B", "K", "") + CodePage::toGbk(QStringLiteral("电影"));
    cut = cutFirstRow(gbk);
    QVERIFY(cut);
    QCOMPARE(gbk.mid(cut->consumed), CodePage::toGbk(QStringLiteral("影")));
    // A marker at the very end of the buffer.
    const QByteArray last = rowMarkup("T", "1 B", "K", "");
    QCOMPARE(cutFirstRow(last)->consumed, last.size());
}

void TestSearchCore::rowCutMissingFields()
{
    // No date marker anywhere: empty size.
    QByteArray noDate = rowMarkup("T", "5 MB", "K");
    noDate.replace("</td><td class=\"date", "</td><td class=\"when");
    QCOMPARE(cutFirstRow(noDate)->row.size, QByteArray());
    // Only the first row lacks it: the size runs on to the second row's date marker.
    const QByteArray second = rowMarkup("U", "6 MB", "L");
    const QByteArray both = noDate + second;
    const QByteArray size = cutFirstRow(both)->row.size;
    QVERIFY(size.startsWith("5 MB</td><td class=\"when\">"));
    QVERIFY(size.endsWith("6 MB"));
    // A row without any field markers is still a row, with empty fields.
    const std::optional<RowCut> bare = cutFirstRow("junk</a></td></tr>\n");
    QVERIFY(bare);
    QCOMPARE(bare->row.title, QByteArray());
    QCOMPARE(bare->row.address, QByteArray());
}

namespace {

// The plain definition: step one GBK character at a time from `from`, compare at every step.
qsizetype steppingIndexOf(const QByteArray& text, const QByteArray& marker, qsizetype from)
{
    auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; };
    for (qsizetype i = from; i + marker.size() <= text.size();) {
        qsizetype j = 0;
        while (j < marker.size() && fold(text[i + j]) == fold(marker[j]))
            ++j;
        if (j == marker.size())
            return i;
        i += gbkCharacterLength(text, i);
    }
    return -1;
}

// Texts made of pieces that trouble the search: markers in mixed case, marker pieces, lead bytes
// before letters, stray lead bytes, invalid second bytes.
QByteArray troublesomeText(std::mt19937& random, int pieces)
{
    static const QList<QByteArray> parts = {"td class=\"name\">",
                                            "TD Class=\"NAME\">",
                                            "</td><td class=\"size",
                                            "td><td class=\"size\">",
                                            "</td><td class=\"date",
                                            "Detail</a><a href=\"",
                                            "Fannounce&\" title=\"",
                                            "information/",
                                            "\" title=\"",
                                            "</a></td></tr>",
                                            "</a></td></tr>\n",
                                            "</A></TD></TR>",
                                            "\x81",
                                            "\xb5\xe7",
                                            "\xfe",
                                            "\x81t",
                                            "\x81T",
                                            "\xfe\"",
                                            "\x81\x7f",
                                            "\xff",
                                            "t",
                                            "d",
                                            "i",
                                            "\"",
                                            "x",
                                            " ",
                                            "\xd3\xb0\xb5"};
    QByteArray text;
    for (int i = 0; i < pieces; ++i)
        text += parts[int(random() % parts.size())];
    return text;
}

} // namespace

void TestSearchCore::gbkSearchFromAnyBoundaryMatchesStepping()
{
    std::mt19937 random(7);
    const QList<QByteArray> markers = {
        "td class=\"name\">", "</td><td class=\"size", "information/", "\" title=\"", "t", "\xb5\xe7"};
    for (int round = 0; round < 3000; ++round) {
        const QByteArray text = troublesomeText(random, 1 + int(random() % 30));
        // Every character boundary as the starting point.
        for (qsizetype from = 0; from <= text.size(); from += qMax<qsizetype>(gbkCharacterLength(text, from), 1))
            for (const QByteArray& marker : markers)
                QCOMPARE(gbkIndexOfCaseless(text, marker, from), steppingIndexOf(text, marker, from));
    }
}

void TestSearchCore::pageRowsGiveTheSameRowsAsCuttingTheBuffer()
{
    std::mt19937 random(11);
    for (int round = 0; round < 2000; ++round) {
        QByteArray buffer = troublesomeText(random, 1 + int(random() % 60));
        PageRows rows(buffer);
        int taken = 0;
        for (;;) {
            const std::optional<RowCut> cut = cutFirstRow(buffer);
            const std::optional<ResultRow> row = rows.takeRow();
            QCOMPARE(row.has_value(), cut.has_value());
            if (!cut)
                break;
            QCOMPARE(row->title, cut->row.title);
            QCOMPARE(row->size, cut->row.size);
            QCOMPARE(row->address, cut->row.address);
            QCOMPARE(row->informationKey, cut->row.informationKey);
            buffer.remove(0, cut->consumed);
            QCOMPARE(rows.text(), buffer);
            QVERIFY(++taken <= 60);
        }
    }
}

void TestSearchCore::pageRowsBoundsFieldsRowsAndTickCost()
{
    // More rows than one page can hold: the rest of the page is dropped.
    QByteArray many;
    for (int i = 0; i < PageRows::maxRows + 5; ++i)
        many += "<td class=\"name\">" + QByteArray::number(i) + "</td><td class=\"size\">1 B</a></td></tr>\n";
    PageRows rows(many);
    int count = 0;
    while (const std::optional<ResultRow> row = rows.takeRow())
        QCOMPARE(row->title, QByteArray::number(count++));
    QCOMPARE(count, PageRows::maxRows);
    QCOMPARE(rows.size(), 0);

    // A field that runs on is cut short, never in the middle of a double-byte character.
    const QByteArray chinese = CodePage::toGbk(QStringLiteral("电"));
    QByteArray runOn = "td class=\"name\">x"; // one byte before the double-byte characters
    for (qsizetype i = 0; i < maxRowFieldBytes; ++i)
        runOn += chinese;
    runOn += "</td><td class=\"size</a></td></tr>\n";
    const QByteArray title = PageRows(runOn).takeRow()->title;
    QCOMPARE(title.size(), maxRowFieldBytes - 1);
    QCOMPARE(title, "x" + chinese.repeated((maxRowFieldBytes - 2) / 2));
    QCOMPARE(cutFirstRow(runOn)->row.title, title);

    // A page at the size limit whose rows have no start markers and whose end markers stand only at
    // its end: every field runs on over the whole page. The first cut searches the page once for each
    // of the eight field markers; every later cut costs about one row, far less than those searches.
    // The cuts are compared with the same searches measured here, so a loaded machine slows both
    // alike; each figure is the fastest of five cuttings, so a cut preempted once does not count.
    QByteArray hostile;
    for (int i = 0; i < 200; ++i)
        hostile += "row</a></td></tr>\n";
    const QByteArray filler = "quick brown fox jumps over the lazy dog while rain falls on old roofs \xb5\xe7 ";
    while (hostile.size() < 4 * 1024 * 1024)
        hostile += filler;
    hostile += "</td><td class=\"size</td><td class=\"date Fannounce&\" title=\"";
    constexpr int rounds = 5;
    qint64 searchesNs = std::numeric_limits<qint64>::max();
    std::vector<qint64> cutNs(201, std::numeric_limits<qint64>::max());
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer clock;
        clock.start();
        for (const RowFieldMarkers& markers : rowFieldMarkers)
            for (const char* marker : {markers.start, markers.end}) {
                const qsizetype at = gbkIndexOfCaseless(hostile, marker); // at the page's end, or missing
                QVERIFY(at == -1 || at > hostile.size() - 100);
            }
        searchesNs = qMin(searchesNs, clock.nsecsElapsed());
        PageRows hostileRows(hostile);
        for (int i = 0;; ++i) {
            clock.restart();
            const std::optional<ResultRow> row = hostileRows.takeRow();
            cutNs[size_t(i)] = qMin(cutNs[size_t(i)], clock.nsecsElapsed());
            if (!row) {
                QCOMPARE(i, 200);
                break;
            }
            // Cut short at the limit, or one byte before it where a double-byte character would straddle it.
            QVERIFY(row->title.size() == maxRowFieldBytes || row->title.size() == maxRowFieldBytes - 1);
        }
    }
    // The call after the last row finds no end-of-row marker in the rest of the page: not a cut.
    const qint64 slowestLaterNs = *std::max_element(cutNs.begin() + 1, cutNs.end() - 1);
    qInfo("4 MB page of run-on rows: marker searches %.3f ms, first cut %.3f ms, slowest later cut %.3f ms",
          double(searchesNs) / 1e6, double(cutNs[0]) / 1e6, double(slowestLaterNs) / 1e6);
    QVERIFY2(cutNs[0] < 3 * searchesNs, qPrintable(QString::number(cutNs[0])));
    QVERIFY2(slowestLaterNs < searchesNs / 4, qPrintable(QString::number(slowestLaterNs)));
}

void TestSearchCore::paginationBlocks()
{
    QByteArray total = "0";
    ParsePagination("<html><body>no block</body></html>", total);
    QCOMPARE(total, QByteArray("0"));

    // The last link that is not "?" wins ("»" arrives as "?" after the GBK conversion).
    ParsePagination("<div class=\"pagination\"><a href=\"/s/k/1\">1</a><a href=\"/s/k/2\">2</a>"
                    "<a href=\"/s/k/9\">9</a><a href=\"/s/k/2\">?</a></div>\n<div class=\"foot_er\">x</div>",
                    total);
    QCOMPARE(total, QByteArray("9"));

    // An underscore inside the block before its </div>: no block, the text stays.
    total = "3";
    ParsePagination("<div class=\"pagination\"><a href=\"/s/my_k/7\">7</a></div>", total);
    QCOMPARE(total, QByteArray("3"));

    // Without an underscore after it, the block runs to the last </div> and takes later links in.
    ParsePagination("<div class=\"pagination\"><a>5</a></div><div><a href=\"/\">Home</a></div>_<div><a>x</a></div>",
                    total);
    QCOMPARE(total, QByteArray("Home"));

    // A block of "?" links only leaves the text as it was; a word is taken as it is.
    total = "4";
    LastLinkText("<a href=\"x\">?</a><a>?</a>", total);
    QCOMPARE(total, QByteArray("4"));
    LastLinkText("<a>2</a><a>next</a>", total);
    QCOMPARE(total, QByteArray("next"));

    // Two blocks, one after the other: the second one's last link wins.
    total = "0";
    ParsePagination("<div class=\"pagination\"><a>2</a></div>_<div class=\"pagination\"><a>6</a></div>_", total);
    QCOMPARE(total, QByteArray("6"));
}

void TestSearchCore::paginationNewlinesAndCase()
{
    QByteArray total = "0";
    // Links in either case; the block's own tag only as written.
    LastLinkText("<A HREF=\"x\">8</A>", total);
    QCOMPARE(total, QByteArray("8"));
    total = "0";
    ParsePagination("<DIV CLASS=\"pagination\"><a>8</a></DIV>", total);
    QCOMPARE(total, QByteArray("0"));
    // The block spans lines; a link does not: "." stops at every kind of line break, 0x85 included.
    ParsePagination("<div class=\"pagination\">\r\n<a>1</a>\r\n<a\nhref=\"x\">2</a>\r\n</div>_", total);
    QCOMPARE(total, QByteArray("1"));
    total = "0";
    LastLinkText(QByteArray("<a>1\x85"
                            "2</a>"),
                 total);
    QCOMPARE(total, QByteArray("0"));
    LastLinkText(QByteArray("<a>1\x0b"
                            "2</a><a>3\x0c</a>"),
                 total);
    QCOMPARE(total, QByteArray("0"));
    // Empty link text is no match ("(.+?)" needs a character).
    LastLinkText("<a></a>", total);
    QCOMPARE(total, QByteArray("0"));
}

namespace {

// The plain definition: the pattern run over the whole text, each search starting where the
// previous match ended; returns group 0 and group 1 of every match.
QList<QPair<QByteArray, QByteArray>> wholeTextMatches(const char* pattern, const QByteArray& subject)
{
    pcre2_compile_context* context = pcre2_compile_context_create(nullptr);
    pcre2_set_newline(context, PCRE2_NEWLINE_ANY);
    int error = 0;
    PCRE2_SIZE offset = 0;
    pcre2_code* code =
        pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern), PCRE2_ZERO_TERMINATED, 0, &error, &offset, context);
    pcre2_compile_context_free(context);
    pcre2_match_data* data = pcre2_match_data_create_from_pattern(code, nullptr);
    QList<QPair<QByteArray, QByteArray>> matches;
    PCRE2_SIZE from = 0;
    while (pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(subject.constData()), PCRE2_SIZE(subject.size()), from,
                       PCRE2_NOTEMPTY, data, nullptr) >= 2) {
        const PCRE2_SIZE* v = pcre2_get_ovector_pointer(data);
        matches.append({subject.mid(qsizetype(v[0]), qsizetype(v[1] - v[0])),
                        subject.mid(qsizetype(v[2]), qsizetype(v[3] - v[2]))});
        from = v[1];
    }
    pcre2_match_data_free(data);
    pcre2_code_free(code);
    return matches;
}

QByteArray plainPageCount(const QByteArray& page, const QByteArray& before)
{
    QByteArray text = before;
    for (const auto& block : wholeTextMatches(R"(<div class="pagination">\s*([^_]*)\s*</div>)", page))
        for (const auto& link : wholeTextMatches(R"(<[aA].*?>(.+?)</[aA]>)", block.first))
            if (link.second != "?")
                text = link.second;
    return text;
}

} // namespace

void TestSearchCore::paginationMatchesWholeTextMatching()
{
    static const QList<QByteArray> parts = {"<div class=\"pagination\">",
                                            "<div class=\"pagination\">",
                                            "</div>",
                                            "</DIV>",
                                            "_",
                                            "<a>",
                                            "<A href=\"/k/2\">",
                                            "<a",
                                            "</a>",
                                            "</A>",
                                            ">",
                                            "\n",
                                            "\r\n",
                                            "\x85",
                                            "\x0b",
                                            "\x0c",
                                            " ",
                                            "?",
                                            "x",
                                            "\xb5\xe7"};
    std::mt19937 random(5);
    for (int round = 0; round < 20000; ++round) {
        QByteArray page;
        const int pieces = 1 + int(random() % 40);
        for (int i = 0; i < pieces; ++i) {
            page += parts[int(random() % parts.size())];
            if (random() % 4 == 0)
                page += QByteArray::number(int(random() % 100));
        }
        QByteArray text = "0";
        ParsePagination(page, text);
        QCOMPARE(text, plainPageCount(page, "0"));
        QByteArray linkText = "0";
        LastLinkText(page, linkText);
        QByteArray plainLinkText = "0";
        for (const auto& link : wholeTextMatches(R"(<[aA].*?>(.+?)</[aA]>)", page))
            if (link.second != "?")
                plainLinkText = link.second;
        QCOMPARE(linkText, plainLinkText);
    }
}

void TestSearchCore::paginationOfHostilePagesIsLinear()
{
    // Run plainly over the whole text, each of these pages takes hours (a 64 KB one already seconds):
    // every place where a match could start is tried up to the end of the page or line.
    const qsizetype size = 4 * 1024 * 1024;
    auto repeated = [size](const QByteArray& head, const QByteArray& unit, const QByteArray& tail) {
        QByteArray text = head;
        while (text.size() < size)
            text += unit;
        return text + tail;
    };
    const QList<QByteArray> pages = {
        repeated({}, "<div class=\"pagination\">", {}),
        repeated({}, "<div class=\"pagination\"><a>1", {}),
        repeated("<div class=\"pagination\">", "<a href=x>", "</div>"),
        repeated("<div class=\"pagination\">", "<a<A", "</div>"),
        repeated("<div class=\"pagination\"><a>3</a>", "<a>4</a><a>?</a>", "</div>"),
    };
    const QList<QByteArray> expected = {"0", "0", "0", "0", "4"};
    for (int i = 0; i < pages.size(); ++i) {
        QElapsedTimer clock;
        clock.start();
        QByteArray text = "0";
        ParsePagination(pages[i], text);
        QCOMPARE(text, expected[i]);
        QVERIFY2(clock.elapsed() < 2000, qPrintable(QStringLiteral("page %1: %2 ms").arg(i).arg(clock.elapsed())));
    }
}

void TestSearchCore::compareText()
{
    using RowCompare::compareText;
    QVERIFY(compareText("abc", "ABD") < 0);
    QCOMPARE(compareText("Iron", "iRON"), 0);
    QVERIFY(compareText("ab", "abc") < 0);
    QVERIFY(compareText("abc", "ab") > 0);
    // Bytes compare unsigned, and "_" (0x5F) sorts after the folded letters' "Z".
    QVERIFY(compareText(CodePage::toGbk(QStringLiteral("电")), "z") > 0);
    QVERIFY(compareText("_", "a") > 0);
    QVERIFY(compareText("[", "a") > 0); // "[" (0x5B) after "A" (0x41)
}

void TestSearchCore::compareSizesByMagnitude()
{
    using RowCompare::compareSizes;
    using RowCompare::sizeInBytes;
    QCOMPARE(*sizeInBytes("512 B"), 512.0);
    QCOMPARE(*sizeInBytes("1.5 gb"), 1.5 * 1024 * 1024 * 1024);
    QCOMPARE(*sizeInBytes(" 700MB "), 700.0 * 1024 * 1024);
    QCOMPARE(*sizeInBytes("2 TB"), 2.0 * 1024 * 1024 * 1024 * 1024);
    QCOMPARE(*sizeInBytes(".5 KB"), 512.0);
    QVERIFY(!sizeInBytes(""));
    QVERIFY(!sizeInBytes("GB"));
    QVERIFY(!sizeInBytes("1.5 GiB"));
    QVERIFY(!sizeInBytes("1.5 GB extra"));
    QVERIFY(!sizeInBytes("."));

    const QList<QByteArray> ascending = {"512 B", "1 KB", "9.5 MB", "700 MB", "1.5 GB", "10.2 GB", "1 TB", "?", "n/a"};
    for (qsizetype i = 0; i + 1 < ascending.size(); ++i) {
        QVERIFY2(compareSizes(ascending[i], ascending[i + 1]) < 0, ascending[i] + " vs " + ascending[i + 1]);
        QVERIFY2(compareSizes(ascending[i + 1], ascending[i]) > 0, ascending[i + 1] + " vs " + ascending[i]);
    }
    QCOMPARE(compareSizes("1024 KB", "1 mb"), 0);
    QCOMPARE(compareSizes("x", "X"), 0);
}

void TestSearchCore::simplifiedTraditional()
{
    QVERIFY(TGBBIG5Convert::dictionariesAvailable());
    const QByteArray simplified = CodePage::toGbk(QStringLiteral("电影"));
    const QByteArray traditional = CodePage::toGbk(QStringLiteral("電影"));
    QCOMPARE(TGBBIG5Convert::ToTraditional(simplified), traditional);
    QCOMPARE(TGBBIG5Convert::ToSimplified(traditional), simplified);
    // Output is GBK: every character still two bytes of code page 936, none lost.
    QCOMPARE(TGBBIG5Convert::ToTraditional(simplified).size(), simplified.size());

    for (const QByteArray& same : {QByteArray(), QByteArray("Iron Man 3 2013"), QByteArray("  ")}) {
        QCOMPARE(TGBBIG5Convert::ToTraditional(same), same);
        QCOMPARE(TGBBIG5Convert::ToSimplified(same), same);
    }
    // Mixed text: only the characters with a counterpart change.
    QCOMPARE(TGBBIG5Convert::ToTraditional(CodePage::toGbk(QStringLiteral("钢铁侠3 Iron"))),
             CodePage::toGbk(QStringLiteral("鋼鐵俠3 Iron")));
    // 毶's traditional counterpart lies outside GBK: it stays as it was.
    const QByteArray outside = CodePage::toGbk(QStringLiteral("毶电"));
    QCOMPARE(TGBBIG5Convert::ToTraditional(outside), CodePage::toGbk(QStringLiteral("毶電")));
}

void TestSearchCore::filterShowsRowsOfWordsAndSizes_data()
{
    QTest::addColumn<QString>("words");
    QTest::addColumn<QString>("least");
    QTest::addColumn<QString>("greatest");
    QTest::addColumn<QString>("shown"); // letters of the rows shown, in the list's order

    // The rows (a..h) are listed below; half arrive before the filter is set, half while it is on.
    auto row = [](const char* name, const QString& words, const QString& least, const QString& greatest,
                  const QString& shown) { QTest::newRow(name) << words << least << greatest << shown; };
    row("no filter", QString(), QString(), QString(), QStringLiteral("abcdefgh"));
    row("one word, any case", QStringLiteral("IRON"), QString(), QString(), QStringLiteral("abc"));
    row("all words must be there", QStringLiteral("iron 2013"), QString(), QString(), QStringLiteral("ab"));
    row("a word after - must not", QStringLiteral("iron -1080p"), QString(), QString(), QStringLiteral("bc"));
    row("only exclusions", QStringLiteral("-iron -合集"), QString(), QString(), QStringLiteral("efgh"));
    row("simplified word finds traditional titles", QStringLiteral("钢铁侠"), QString(), QString(),
        QStringLiteral("ef"));
    row("traditional word finds simplified titles", QStringLiteral("鋼鐵俠"), QString(), QString(),
        QStringLiteral("ef"));
    row("excluded in the other script", QStringLiteral("-電影"), QString(), QString(), QStringLiteral("abch"));
    row("ideographic blank separates", QStringLiteral("钢铁侠\u3000高清"), QString(), QString(), QStringLiteral("e"));
    row("a lone - is nothing yet", QStringLiteral("iron -"), QString(), QString(), QStringLiteral("abc"));
    row("least size", QString(), QStringLiteral("1 GB"), QString(), QStringLiteral("bcf"));
    row("greatest size", QString(), QString(), QStringLiteral("700mb"), QStringLiteral("adeg"));
    row("both bounds, sizes are magnitudes", QString(), QStringLiteral("700 MB"), QStringLiteral("1.5 GB"),
        QStringLiteral("bef"));
    row("bounds and words", QStringLiteral("iron"), QStringLiteral("1 gb"), QString(), QStringLiteral("bc"));
    row("a bound that is no size is none", QString(), QStringLiteral("big"), QString(), QStringLiteral("abcdefgh"));
    row("a bound leaves out rows of no size", QString(), QString(), QStringLiteral("10 TB"), QStringLiteral("abcdefg"));
    row("a word GBK cannot hold matches nothing, not a ?", QStringLiteral("\U0001F600"), QString(), QString(),
        QString());
}

void TestSearchCore::filterShowsRowsOfWordsAndSizes()
{
    QFETCH(QString, words);
    QFETCH(QString, least);
    QFETCH(QString, greatest);
    QFETCH(QString, shown);
    const QList<std::pair<QString, QByteArray>> rows = {
        {QStringLiteral("Iron Man 3 2013 1080p"), "512 MB"},   // a
        {QStringLiteral("iron man 3 2013 BluRay"), "1.50 GB"}, // b
        {QStringLiteral("Iron Sky"), "4 GB"},                  // c
        {QStringLiteral("电影 合集"), "0.68 GB"},              // d: 696 MB
        {QStringLiteral("钢铁侠3 高清 電影"), "700 MB"},       // e
        {QStringLiteral("鋼鐵俠 電影"), "1.2 GB"},             // f
        {QStringLiteral("Who? 电影"), "1 KB"},                 // g
        {QStringLiteral("no size"), "?"},                      // h
    };
    ResultModel model;
    auto add = [&](int i) {
        model.addRow({CodePage::toGbk(rows[i].first), rows[i].second, "magnet:?xt=urn:btih:x", QByteArray::number(i)});
    };
    for (int i = 0; i < 4; ++i)
        add(i);
    model.setFilter(ResultFilter(words, least, greatest));
    for (int i = 4; i < int(rows.size()); ++i) // rows that arrive while the filter is on
        add(i);
    auto shownLetters = [&] {
        QString letters;
        for (int i = 0; i < model.rowCount(); ++i)
            letters += QLatin1Char(char('a' + model.row(i).informationKey.toInt()));
        return letters;
    };
    QCOMPARE(shownLetters(), shown);
    QCOMPARE(model.totalRowCount(), int(rows.size()));
    QCOMPARE(model.filtered(), !words.trimmed().isEmpty() || RowCompare::sizeInBytes(least.toLatin1()) ||
                                   RowCompare::sizeInBytes(greatest.toLatin1()));
    if (model.filtered())
        QVERIFY(model.headerData(0, Qt::Horizontal)
                    .toString()
                    .endsWith(QStringLiteral("(筛选后显示%1/8)").arg(shown.size())));

    // Sorting orders what is shown; clearing the filter shows every row in the sorted order.
    model.sortBy(ResultModel::SizeColumn, -1);
    QString bySize = shownLetters();
    model.setFilter({});
    QCOMPARE(shownLetters(), QStringLiteral("hcbfedag"));
    QString expected = QStringLiteral("hcbfedag");
    expected.removeIf([&](QChar letter) { return !shown.contains(letter); });
    QCOMPARE(bySize, expected);
}

QUVO_TEST_GUILESS_MAIN(TestSearchCore)
#include "test_search_core.moc"
