#pragma once

#include <QString>
#include <QStringList>

// The keywords searched, newest first, each once, at most `capacity`; kept for the next run.
class KeywordHistory final {
public:
    static constexpr int capacity = 30;

    KeywordHistory(); // the keywords of earlier runs

    const QStringList& keywords() const { return m_keywords; }
    // A searched keyword goes first (moved there when it was searched before); the oldest beyond the
    // capacity drop out. A keyword of blanks only is not kept.
    void record(const QString& keyword);
    void clear();

private:
    QStringList m_keywords;
};
