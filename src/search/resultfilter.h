#pragma once

#include "search/resultrow.h"

#include <QString>
#include <QStringList>

#include <optional>

// Which rows of the result list are shown while the user filters it: words that must all be in the
// title, words after "-" that must not be, and a least and a greatest size. Simplified and traditional
// characters match each other, and letters match in either case: titles and words are compared in
// one folded form (simplified, case-folded). An empty filter shows every row.
class ResultFilter final {
public:
    // What a row is filtered by, worked out once when the row arrives (folding a title costs far more
    // than looking for a word in it, and a keystroke looks at every row).
    struct RowKey {
        QString title; // folded
        std::optional<double> bytes;
    };
    static RowKey rowKey(const ResultRow& row);
    // The folded form of a text: traditional characters made simplified, letters case-folded.
    static QString fold(const QString& text);

    ResultFilter() = default;
    // words: as typed, separated by blanks. minSize, maxSize: size texts as the size column holds them
    // ("700 MB", "1.5gb"); an empty one is no bound, and so is one that is not a size (see below).
    ResultFilter(const QString& words, const QString& minSize, const QString& maxSize);

    bool isEmpty() const { return m_required.isEmpty() && m_excluded.isEmpty() && !m_minBytes && !m_maxBytes; }
    // A row whose size is not a size meets no bound.
    bool accepts(const RowKey& key) const;

    // False when the bound's text is neither empty nor a size (it is then ignored).
    bool minSizeValid() const { return m_minSizeValid; }
    bool maxSizeValid() const { return m_maxSizeValid; }

private:
    QStringList m_required; // folded
    QStringList m_excluded; // folded
    std::optional<double> m_minBytes;
    std::optional<double> m_maxBytes;
    bool m_minSizeValid = true;
    bool m_maxSizeValid = true;
};
