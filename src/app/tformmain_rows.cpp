// The main window's result list: the selected row, adding a row, the order of two rows.
#include "app/tformmain.h"

#include "search/resultmodel.h"
#include "search/rowcompare.h"
#include "ui_tformmain.h"

#include <QItemSelectionModel>

std::optional<ResultRow> TFormmain::selectedRow() const
{
    const QModelIndexList selected = m_ui->lv1->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return std::nullopt;
    return m_results->row(selected.first().row());
}

void TFormmain::addResultRow(const ResultRow& row)
{
    m_results->addRow(row);
}

int TFormmain::lv1Compare(const ResultRow& a, const ResultRow& b) const
{
    return RowCompare::compareRows(a, b, m_results->sortColumn(), m_results->sortDirection());
}

QList<ResultRow> TFormmain::shownRows() const
{
    QList<ResultRow> rows;
    rows.reserve(m_results->rowCount());
    for (int i = 0; i < m_results->rowCount(); ++i)
        rows.append(m_results->row(i));
    return rows;
}
