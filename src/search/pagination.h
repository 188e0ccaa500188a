#pragma once

#include <QByteArray>

// Reading the page count of a result page. Both patterns are PCRE2 (8-bit, any-newline convention,
// letters in the case written, no empty matches); matches are taken one after the other, each search
// starting where the previous match ended.

// Finds every `<div class="pagination">…</div>` block of the page and passes each to LastLinkText.
void ParsePagination(const QByteArray& page, QByteArray& totalPageText);

// Stores into totalPageText the text of the block's last link that is not exactly "?".
// A block without such a link leaves totalPageText as it was.
void LastLinkText(const QByteArray& block, QByteArray& totalPageText);
