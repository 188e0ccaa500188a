#include "search/pagination.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <functional>
#include <memory>

namespace {

struct CodeDeleter {
    void operator()(pcre2_code* code) const { pcre2_code_free(code); }
};
using CodePtr = std::unique_ptr<pcre2_code, CodeDeleter>;

CodePtr compile(const char* pattern)
{
    pcre2_compile_context* context = pcre2_compile_context_create(nullptr);
    pcre2_set_newline(context, PCRE2_NEWLINE_ANY);
    int error = 0;
    PCRE2_SIZE offset = 0;
    CodePtr code(
        pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern), PCRE2_ZERO_TERMINATED, 0, &error, &offset, context));
    pcre2_compile_context_free(context);
    return code;
}

const pcre2_code* blockPattern()
{
    static const CodePtr code = compile(R"(<div class="pagination">\s*([^_]*)\s*</div>)");
    return code.get();
}

const pcre2_code* linkPattern()
{
    static const CodePtr code = compile(R"(<[aA].*?>(.+?)</[aA]>)");
    return code.get();
}

// Run over a whole page, both patterns take time quadratic in its length when it holds many places
// where a match could start but none ends (a page of repeated block openings without "</div>", a
// block of links that are never closed): every start is tried up to the end of what its repeat can
// cover. Each match lies inside a region that is easy to find (before the next underscore; within
// one line), so the starts are checked first, in time linear overall, and the pattern runs only from
// a start where a match exists, over its region. The matches are the same as over the whole text.

// The one match starting at `at` within subject[0, end), handed to onMatch; returns where it ends.
qsizetype matchAt(const pcre2_code* code, pcre2_match_data* data, const QByteArray& subject, qsizetype at,
                  qsizetype end, const std::function<void(const QByteArray&, const QByteArray&)>& onMatch)
{
    const int rc = pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(subject.constData()), PCRE2_SIZE(end), PCRE2_SIZE(at),
                               PCRE2_ANCHORED | PCRE2_NOTEMPTY, data, nullptr);
    if (rc < 0)
        return -1;
    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data);
    auto group = [&](int index) {
        if (index >= rc || ovector[2 * index] == PCRE2_UNSET)
            return QByteArray();
        return subject.mid(qsizetype(ovector[2 * index]), qsizetype(ovector[2 * index + 1] - ovector[2 * index]));
    };
    onMatch(group(0), group(1));
    return qsizetype(ovector[1]);
}

struct MatchData {
    explicit MatchData(const pcre2_code* code) : data(pcre2_match_data_create_from_pattern(code, nullptr)) {}
    ~MatchData() { pcre2_match_data_free(data); }
    MatchData(const MatchData&) = delete;
    MatchData& operator=(const MatchData&) = delete;
    pcre2_match_data* data;
};

// A match of the block pattern starts at an opening and ends at the last "</div>" before the first
// underscore after it; there is one exactly when such a "</div>" follows the opening.
void forEachBlock(const QByteArray& page, const std::function<void(const QByteArray&, const QByteArray&)>& onMatch)
{
    const pcre2_code* code = blockPattern();
    if (!code)
        return;
    static const QByteArray opening = "<div class=\"pagination\">";
    static const QByteArray closing = "</div>";
    MatchData match(code);
    qsizetype regionEnd = -1;   // the first underscore at or after the current opening, or the end
    qsizetype lastClosing = -1; // the last "</div>" that ends at or before regionEnd
    for (qsizetype at = page.indexOf(opening); at >= 0;) {
        if (at >= regionEnd) {
            regionEnd = page.indexOf('_', at);
            if (regionEnd < 0)
                regionEnd = page.size();
            const qsizetype found = QByteArrayView(page).sliced(at, regionEnd - at).lastIndexOf(closing);
            lastClosing = found < 0 ? -1 : at + found;
        }
        qsizetype next = at + 1;
        if (lastClosing >= at + opening.size()) {
            const qsizetype end = matchAt(code, match.data, page, at, regionEnd, onMatch);
            if (end < 0)
                return; // cannot happen: the check above found the match's end
            next = end;
        }
        at = page.indexOf(opening, next);
    }
}

inline bool isLineBreak(char c)
{
    // The any-newline convention of the patterns, for 8-bit text: CR, LF, VT, FF and NEL.
    return c == '\n' || c == '\r' || c == '\x0b' || c == '\x0c' || c == '\x85';
}

// A match of the link pattern lies within one line (neither "." may cross a line break). From an
// opening "<a" or "<A" there is one exactly when the line has a ">" two or more bytes after the
// opening and, after that, at least one byte and then "</a>" or "</A>".
void forEachLink(const QByteArray& block, const std::function<void(const QByteArray&, const QByteArray&)>& onMatch)
{
    const pcre2_code* code = linkPattern();
    if (!code)
        return;
    MatchData match(code);
    const qsizetype n = block.size();
    const char* text = block.constData();
    qsizetype lineEnd = -1;     // end of the line holding the current opening
    qsizetype lastClosing = -1; // start of the line's last "</a>" or "</A>", -1 for none
    qsizetype nextGreater = -1; // first ">" at or after the position last searched from, n for none in the line
    qsizetype greaterFrom = -1;
    for (qsizetype at = 0; at + 1 < n;) {
        if (text[at] != '<' || (text[at + 1] != 'a' && text[at + 1] != 'A')) {
            ++at;
            continue;
        }
        if (at >= lineEnd) {
            lineEnd = at;
            while (lineEnd < n && !isLineBreak(text[lineEnd]))
                ++lineEnd;
            const QByteArrayView line = QByteArrayView(block).sliced(at, lineEnd - at);
            const qsizetype lower = line.lastIndexOf(QByteArrayView("</a>"));
            const qsizetype upper = line.lastIndexOf(QByteArrayView("</A>"));
            lastClosing = qMax(lower, upper) < 0 ? -1 : at + qMax(lower, upper);
            greaterFrom = -1;
        }
        if (greaterFrom < 0 || (nextGreater < at + 2 && nextGreater < lineEnd)) {
            greaterFrom = at + 2;
            nextGreater = greaterFrom;
            while (nextGreater < lineEnd && text[nextGreater] != '>')
                ++nextGreater;
        }
        qsizetype next = at + 1;
        if (nextGreater < lineEnd && lastClosing >= nextGreater + 2) {
            const qsizetype end = matchAt(code, match.data, block, at, lineEnd, onMatch);
            if (end < 0)
                return; // cannot happen: the checks above found a match
            next = end;
        }
        at = next;
    }
}

} // namespace

void ParsePagination(const QByteArray& page, QByteArray& totalPageText)
{
    forEachBlock(page, [&](const QByteArray& block, const QByteArray&) { LastLinkText(block, totalPageText); });
}

void LastLinkText(const QByteArray& block, QByteArray& totalPageText)
{
    forEachLink(block, [&](const QByteArray&, const QByteArray& linkText) {
        if (linkText != "?")
            totalPageText = linkText;
    });
}
