#pragma once

#include "search/resultfilter.h"
#include "search/resultrow.h"

#include <QAbstractTableModel>
#include <QList>

#include <functional>

// The rows of the result list in their shown order, for the list lv1: column 0 shows the title,
// column 1 the size; the row itself (all four fields) is there for play, copy and Thunder.
// New rows take their place in the current order; a re-sort moves rows, not their contents, and
// keeps persistent indexes (so a view's selection) on the rows they pointed at. A filter narrows what is
// shown: the model's rows are then the rows that pass it, in the same order, and rows that arrive
// are filtered too; the list keeps every row, so the whole list is back when the filter goes.
class ResultModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { TitleColumn = 0, SizeColumn = 1 };

    // A cell shows at most this many characters of its field, the last of them "…" when the field is
    // longer; the row keeps the whole field. That is about as much as the title column holds on a wide
    // screen, and every repaint lays out the whole shown text of each visible cell, so a long field (a
    // page whose markers are missing gives fields of kilobytes) would hold up the window.
    static constexpr qsizetype maxShownCharacters = 128;

    explicit ResultModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // The captions of the two column headers (display role).
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                       int role = Qt::EditRole) override;

    // A shown row (index as in rowCount()).
    const ResultRow& row(int index) const { return m_rows.at(listIndex(index)); }
    // Every row in the list, shown or not.
    int totalRowCount() const { return int(m_rows.size()); }

    // Inserts after every row that does not sort after it, so equal keys keep their arrival order.
    void addRow(const ResultRow& row);
    // Sets the order (column 0 or 1, direction +1 or -1, 0 for arrival order) and re-sorts, stably.
    void sortBy(int column, int direction);
    void clear();

    // Shows only the rows the filter accepts (an empty filter shows all). The title header then says
    // how many rows are shown of how many.
    void setFilter(const ResultFilter& filter);
    bool filtered() const { return m_filtered; }

    int sortColumn() const { return m_sortColumn; }
    int sortDirection() const { return m_sortDirection; }

private:
    int listIndex(int shownIndex) const { return m_filtered ? m_shown.at(shownIndex) : shownIndex; }
    // Works out the shown rows again after the list changed its order (newListIndex: old list index ->
    // new one; empty when the order stayed) or the filter changed, moving persistent indexes along.
    void relayout(const QList<int>& newListIndex, LayoutChangeHint hint, const std::function<void()>& change);

    QList<ResultRow> m_rows;                  // every row, in the list's order
    QList<ResultFilter::RowKey> m_filterKeys; // one per row of m_rows
    ResultFilter m_filter;
    bool m_filtered = false;
    QList<int> m_shown; // while filtered: the list indexes of the shown rows, ascending
    QString m_headers[2];
    int m_sortColumn = 0;
    int m_sortDirection = 0;
};
