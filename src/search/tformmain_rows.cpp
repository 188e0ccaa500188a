// The main window's result list as other subsystems see it: rows, the selected row, adding a row.
#include "app/tformmain.h"

#include "search/resultlist.h"

int TFormmain::rowCount() const
{
    return lv1->rowCount();
}

ResultRow TFormmain::rowAt(int index) const
{
    return ResultList::rowAt(lv1, index);
}

std::optional<ResultRow> TFormmain::selectedRow() const
{
    const QList<QTableWidgetItem*> selected = lv1->selectedItems();
    if (selected.isEmpty())
        return std::nullopt;
    return rowAt(selected.first()->row());
}

void TFormmain::addResultRow(const ResultRow& row)
{
    // The list is always in the current order, so the row's place is found by binary search: after
    // every row that does not sort after it (upper bound), so equal keys keep their arrival order.
    int low = 0;
    int high = lv1->rowCount();
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (lv1Compare(rowAt(middle), row) > 0)
            high = middle;
        else
            low = middle + 1;
    }
    ResultList::insertRow(lv1, low, row);
}
