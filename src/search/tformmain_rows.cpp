// The main window's result list as other subsystems see it: rows, the selected row, adding a row.
#include "app/tformmain.h"

#include "search/resultmodel.h"
#include "search/rowcompare.h"

#include <QItemSelectionModel>

int TFormmain::rowCount() const
{
    return m_results->rowCount();
}

ResultRow TFormmain::rowAt(int index) const
{
    return m_results->row(index);
}

std::optional<ResultRow> TFormmain::selectedRow() const
{
    const QModelIndexList selected = lv1->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return std::nullopt;
    return rowAt(selected.first().row());
}

void TFormmain::addResultRow(const ResultRow& row)
{
    m_results->addRow(row);
}

int TFormmain::lv1Compare(const ResultRow& a, const ResultRow& b) const
{
    return RowCompare::compareRows(a, b, m_results->sortColumn(), m_results->sortDirection());
}
