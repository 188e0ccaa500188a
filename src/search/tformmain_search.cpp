// The main window's search handlers: search click, fetch hand-over, row timer, sorting, clearing.
#include "app/tformmain.h"

#include "app/sites.h"
#include "platform/codepage.h"
#include "platform/messageboxes.h"
#include "search/mygetwebthread.h"
#include "search/resultlist.h"
#include "search/rowcompare.h"
#include "search/tgbbig5convert.h"

#include <QTableWidgetItem>

#include <algorithm>
#include <numeric>

namespace {

const QString idleCaption = QStringLiteral("搜     索");
const QString busyCaption = QStringLiteral("拼命搜索中...");
const QString moreCaption = QStringLiteral("加 载 更 多");
const QString doneCaption = QStringLiteral("搜 索 完 毕");

QString counterCaption(int rows)
{
    return QStringLiteral("    电    影    名        本次共检索到%1个结果").arg(rows);
}

void setTitleHeader(QTableWidget* list, const QString& text)
{
    if (QTableWidgetItem* header = list->horizontalHeaderItem(0))
        header->setText(text);
}

} // namespace

bool TFormmain::searchBusy() const
{
    // Until the rows of a page are all in, the next page would overwrite the rest of this one.
    return fetchRunning || tmr1.isActive();
}

void TFormmain::btnSearchClick()
{
    if (searchBusy())
        return;
    if (chkChkJFzh->isChecked())
        EdtSearch->setText(CodePage::fromGbk(TGBBIG5Convert::ToTraditional(CodePage::toGbk(EdtSearch->text()))));
    const QByteArray keyword = CodePage::toGbk(EdtSearch->text());
    if (keyword.isEmpty()) {
        MessageBoxes::inform(this, QStringLiteral("其实俺也知道你是个好银,可是,尼玛关键词不填,你让我搜神马?"));
        return;
    }
    if (keyword != paging.lastKeyword) {
        paging.pageCounter = 0;
        paging.totalPages = 99999;
        paging.totalPageText = "0"; // an earlier keyword's page count must not carry over
    } else if (paging.pageCounter >= paging.totalPages) {
        MessageBoxes::inform(this, QStringLiteral("所有内容已加载完毕,如需搜索更多内容,就换个关键词咯!"));
        return;
    }
    startFetch(keyword);
}

void TFormmain::startFetch(const QByteArray& keyword)
{
    BtnSearch->setText(busyCaption);
    ++paging.pageCounter;
    fetchRunning = true;
    m_fetchKeyword = keyword;
    m_fetchPage = paging.pageCounter;
    // A window that goes away first takes the worker with it, which then reports nothing.
    auto* worker = new MyGetWebThread(keyword, m_fetchPage, Sites::searchSite(), this);
    connect(worker, &MyGetWebThread::pageFetched, this, &TFormmain::onPageFetched);
    connect(worker, &MyGetWebThread::fetchFailed, this, &TFormmain::onFetchFailed);
    worker->start();
}

void TFormmain::onPageFetched(const QByteArray& gbkPage, const QByteArray& lastLinkText)
{
    fetchRunning = false;
    mmoserch = PageRows(gbkPage);
    if (!lastLinkText.isEmpty()) // read by the worker: a page without a usable link leaves the text alone
        paging.totalPageText = lastLinkText;
    bool numeric = false;
    const qint32 total = paging.totalPageText.toInt(&numeric, 10);
    if (numeric)
        paging.totalPages = total;
    // The keyword this page belongs to; the box may have been edited while the page was on its way.
    paging.lastKeyword = m_fetchKeyword;
    tmr1.start();
}

void TFormmain::onFetchFailed()
{
    fetchRunning = false;
    // The page was not fetched, so its number is not used up (unless a clear restarted the paging meanwhile).
    if (paging.pageCounter == m_fetchPage)
        paging.pageCounter = m_fetchPage - 1;
    BtnSearch->setText(m_fetchKeyword == paging.lastKeyword ? moreCaption : idleCaption);
}

void TFormmain::EdtSearchKeyPress(int key)
{
    if (CodePage::toGbk(EdtSearch->text()) != paging.lastKeyword)
        BtnSearch->setText(idleCaption);
    if (key == 13)
        btnSearchClick();
}

void TFormmain::chkChkJFzhClick()
{
    const QByteArray text = CodePage::toGbk(EdtSearch->text());
    const QByteArray converted =
        chkChkJFzh->isChecked() ? TGBBIG5Convert::ToTraditional(text) : TGBBIG5Convert::ToSimplified(text);
    EdtSearch->setText(CodePage::fromGbk(converted));
}

void TFormmain::tmr1Timer()
{
    const std::optional<ResultRow> row = mmoserch.takeRow();
    if (!row) {
        tmr1.stop();
        BtnSearch->setText(paging.pageCounter < paging.totalPages ? moreCaption : doneCaption);
        return;
    }
    addResultRow(*row);
    setTitleHeader(lv1, counterCaption(lv1->rowCount()));
}

void TFormmain::lv1ColumnClick(int column)
{
    if (column != 0 && column != 1)
        return;
    sortColumn = column;
    sortDirection = sortDirection == 1 ? -1 : 1;
    resortList();
}

int TFormmain::lv1Compare(const ResultRow& a, const ResultRow& b) const
{
    return RowCompare::compareRows(a, b, sortColumn, sortDirection);
}

void TFormmain::resortList()
{
    const int count = lv1->rowCount();
    QList<ResultRow> rows;
    rows.reserve(count);
    for (int i = 0; i < count; ++i)
        rows.append(rowAt(i));
    QList<int> order(count);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return lv1Compare(rows[a], rows[b]) < 0; });

    const QList<QTableWidgetItem*> selected = lv1->selectedItems();
    const int selectedBefore = selected.isEmpty() ? -1 : selected.first()->row();
    lv1->setUpdatesEnabled(false);
    int selectedAfter = -1;
    for (int i = 0; i < count; ++i) {
        ResultList::setRow(lv1, i, rows[order[i]]);
        if (order[i] == selectedBefore)
            selectedAfter = i;
    }
    lv1->clearSelection();
    if (selectedAfter >= 0)
        lv1->selectRow(selectedAfter);
    lv1->setUpdatesEnabled(true);
}

void TFormmain::N1Click()
{
    if (!MessageBoxes::confirm(this, QStringLiteral("点击确定将清空搜索结果列表,确定?!")))
        return;
    lv1->setRowCount(0);
    setTitleHeader(lv1, QStringLiteral("    电    影    名        请  重  新  开  始  搜  索"));
    paging.pageCounter = 0;
    paging.totalPages = 99999;
    BtnSearch->setText(idleCaption);
}
