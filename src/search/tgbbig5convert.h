#pragma once

#include <QByteArray>

// Simplified <-> traditional Chinese, one character at a time, GBK in and GBK out.
// The tables are OpenCC's character dictionaries (STCharacters, TSCharacters). A character without a
// counterpart, or whose counterpart GBK cannot hold, stays as it was; so does everything else.
class TGBBIG5Convert final {
public:
    TGBBIG5Convert() = delete;

    static QByteArray ToTraditional(const QByteArray& gbk);
    static QByteArray ToSimplified(const QByteArray& gbk);

    // False when a dictionary file could not be read (the text is then returned unchanged).
    static bool dictionariesAvailable();
};
