// The main window's search handlers: search click, fetch hand-over, row timer, sorting, clearing.
#include "app/tformmain.h"

#include "search/resultlist.h"

void TFormmain::btnSearchClick() {}
void TFormmain::EdtSearchKeyPress(int) {}
void TFormmain::chkChkJFzhClick() {}
void TFormmain::tmr1Timer() {}
void TFormmain::lv1ColumnClick(int) {}
int TFormmain::lv1Compare(const ResultRow&, const ResultRow&) const { return 0; }
void TFormmain::N1Click() {}
void TFormmain::onPageFetched(const QByteArray&) {}
void TFormmain::onFetchFailed() {}
