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

// Calls onMatch(group0, group1) for each consecutive, non-overlapping, non-empty match.
void forEachMatch(const pcre2_code* code, const QByteArray& subject,
                  const std::function<void(const QByteArray&, const QByteArray&)>& onMatch)
{
    if (!code)
        return;
    pcre2_match_data* data = pcre2_match_data_create_from_pattern(code, nullptr);
    const auto* text = reinterpret_cast<PCRE2_SPTR>(subject.constData());
    const auto length = PCRE2_SIZE(subject.size());
    PCRE2_SIZE from = 0;
    while (from <= length) {
        const int rc = pcre2_match(code, text, length, from, PCRE2_NOTEMPTY, data, nullptr);
        if (rc < 0)
            break;
        const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data);
        auto group = [&](int index) {
            if (index >= rc || ovector[2 * index] == PCRE2_UNSET)
                return QByteArray();
            return subject.mid(qsizetype(ovector[2 * index]), qsizetype(ovector[2 * index + 1] - ovector[2 * index]));
        };
        onMatch(group(0), group(1));
        if (ovector[1] <= from) // cannot happen with PCRE2_NOTEMPTY; guards against looping forever
            break;
        from = ovector[1];
    }
    pcre2_match_data_free(data);
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

} // namespace

void ParsePagination(const QByteArray& page, QByteArray& totalPageText)
{
    forEachMatch(blockPattern(), page,
                 [&](const QByteArray& block, const QByteArray&) { LastLinkText(block, totalPageText); });
}

void LastLinkText(const QByteArray& block, QByteArray& totalPageText)
{
    forEachMatch(linkPattern(), block, [&](const QByteArray&, const QByteArray& linkText) {
        if (linkText != "?")
            totalPageText = linkText;
    });
}
