#pragma once

#include <QByteArray>
#include <QString>

// Result pages in the torrent search site's markup, generated from a fixed corpus. The same keyword
// and page always give the same page. Used by the sample site's search routes, by tests and benchmarks.
struct SearchPageOptions {
    int pages = 4; // result pages the keyword has
    int rowsPerPage = 25;
    bool pagination = true; // the <div class="pagination"> block
    QString lastLinkText;   // when set, replaces the text of the last page-number link
};

// The page as Unicode text; rows end with "</a></td></tr>" and a line break.
QString searchPageHtml(const QString& keyword, int page, const SearchPageOptions& options);
