#include "search/keywordhistory.h"

#include "search/searchrecord.h"

KeywordHistory::KeywordHistory() : m_keywords(SearchRecord::keywords().mid(0, capacity))
{
}

void KeywordHistory::record(const QString& keyword)
{
    if (keyword.trimmed().isEmpty())
        return;
    m_keywords.removeAll(keyword);
    m_keywords.prepend(keyword);
    if (m_keywords.size() > capacity)
        m_keywords.resize(capacity);
    SearchRecord::setKeywords(m_keywords);
}

void KeywordHistory::clear()
{
    m_keywords.clear();
    SearchRecord::setKeywords(m_keywords);
}
