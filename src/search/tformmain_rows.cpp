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
    // The row goes to the end, then takes its place: after every row that does not sort after it,
    // so equal keys keep their arrival order.
    int position = lv1->rowCount();
    while (position > 0 && lv1Compare(rowAt(position - 1), row) > 0)
        --position;
    ResultList::insertRow(lv1, position, row);
}
