#include "search/resultfilter.h"

#include "platform/codepage.h"
#include "search/rowcompare.h"
#include "search/tgbbig5convert.h"

namespace {

std::optional<double> bound(const QString& text, bool* valid)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    const std::optional<double> bytes = RowCompare::sizeInBytes(trimmed.toLatin1());
    *valid = bytes.has_value();
    return bytes;
}

} // namespace

QString ResultFilter::fold(const QString& text)
{
    const QByteArray gbk = CodePage::toGbk(text);
    if (CodePage::fromGbk(gbk) != text) // GBK cannot hold it: no title holds it either, and "?" must not match
        return text.toCaseFolded();
    return CodePage::fromGbk(TGBBIG5Convert::ToSimplified(gbk)).toCaseFolded();
}

ResultFilter::RowKey ResultFilter::rowKey(const ResultRow& row)
{
    return {CodePage::fromGbk(TGBBIG5Convert::ToSimplified(row.title)).toCaseFolded(),
            RowCompare::sizeInBytes(row.size)};
}

ResultFilter::ResultFilter(const QString& words, const QString& minSize, const QString& maxSize)
    : m_minBytes(bound(minSize, &m_minSizeValid)), m_maxBytes(bound(maxSize, &m_maxSizeValid))
{
    QString separated = words;
    separated.replace(QChar(0x3000), QLatin1Char(' ')); // the ideographic blank of Chinese input methods
    for (const QString& word : separated.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const bool excluded = word.startsWith(QLatin1Char('-'));
        const QString folded = fold(excluded ? word.mid(1) : word);
        if (folded.isEmpty()) // a lone "-" is still being typed
            continue;
        (excluded ? m_excluded : m_required).append(folded);
    }
}

bool ResultFilter::accepts(const RowKey& key) const
{
    if (m_minBytes || m_maxBytes) {
        if (!key.bytes)
            return false;
        if ((m_minBytes && *key.bytes < *m_minBytes) || (m_maxBytes && *key.bytes > *m_maxBytes))
            return false;
    }
    for (const QString& word : m_required) {
        if (!key.title.contains(word))
            return false;
    }
    for (const QString& word : m_excluded) {
        if (key.title.contains(word))
            return false;
    }
    return true;
}
