#pragma once

#include <QByteArray>

// Paging state of the search, owned by the search session (user-interface thread only).
struct SearchPaging {
    qint32 pageCounter = 0;         // number of the last page taken in for the current keyword
    qint32 totalPages = 999999;     // result pages of the current keyword
    QByteArray totalPageText = "0"; // last usable pagination link text
    QByteArray lastKeyword;         // keyword box text when the last page was taken in (GBK)
};
