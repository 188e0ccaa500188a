#include "search/resultmodel.h"

#include "platform/codepage.h"
#include "search/rowcompare.h"

#include <algorithm>
#include <numeric>
#include <vector>

namespace {

QString shownText(const QByteArray& field)
{
    QString text = CodePage::fromGbk(field.left(4 * ResultModel::maxShownCharacters));
    if (text.size() > ResultModel::maxShownCharacters) {
        qsizetype cut = ResultModel::maxShownCharacters - 1;
        if (text[cut - 1].isHighSurrogate()) // keep a character outside the basic plane whole or not at all
            --cut;
        text.truncate(cut);
        text += QChar(0x2026);
    }
    return text;
}

} // namespace

ResultModel::ResultModel(QObject* parent) : QAbstractTableModel(parent)
{
}

int ResultModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return int(m_filtered ? m_shown.size() : m_rows.size());
}

int ResultModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant ResultModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    if (role == Qt::DisplayRole) {
        const ResultRow& shown = row(index.row());
        return shownText(index.column() == TitleColumn ? shown.title : shown.size);
    }
    if (role == Qt::TextAlignmentRole && index.column() == SizeColumn)
        return int(Qt::AlignCenter);
    return {};
}

QVariant ResultModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section > 1)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole) {
        if (m_filtered && section == TitleColumn)
            return m_headers[section] + QStringLiteral("  (筛选后显示%1/%2)").arg(m_shown.size()).arg(m_rows.size());
        return m_headers[section];
    }
    if (role == Qt::TextAlignmentRole && section == SizeColumn)
        return int(Qt::AlignCenter);
    return {};
}

bool ResultModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role)
{
    if (orientation != Qt::Horizontal || section < 0 || section > 1 ||
        (role != Qt::DisplayRole && role != Qt::EditRole))
        return false;
    m_headers[section] = value.toString();
    Q_EMIT headerDataChanged(orientation, section, section);
    return true;
}

void ResultModel::addRow(const ResultRow& row)
{
    const RowCompare::RowKey key = RowCompare::rowKey(row, m_sortColumn);
    const auto at = std::upper_bound(m_rows.cbegin(), m_rows.cend(), key,
                                     [this](const RowCompare::RowKey& added, const ResultRow& listed) {
                                         return RowCompare::compareKeys(added, RowCompare::rowKey(listed, m_sortColumn),
                                                                        m_sortColumn, m_sortDirection) < 0;
                                     });
    const int index = int(at - m_rows.cbegin());
    ResultFilter::RowKey filterKey = ResultFilter::rowKey(row);
    if (!m_filtered) {
        beginInsertRows({}, index, index);
        m_rows.insert(index, row);
        m_filterKeys.insert(index, std::move(filterKey));
        endInsertRows();
        return;
    }
    // The shown rows keep pointing at their rows; the count changes only if the new one is shown.
    const bool shown = m_filter.accepts(filterKey);
    m_rows.insert(index, row);
    m_filterKeys.insert(index, std::move(filterKey));
    const auto firstAfter = std::lower_bound(m_shown.begin(), m_shown.end(), index);
    const int shownIndex = int(firstAfter - m_shown.begin());
    for (auto it = firstAfter; it != m_shown.end(); ++it)
        ++*it;
    if (shown) {
        beginInsertRows({}, shownIndex, shownIndex);
        m_shown.insert(shownIndex, index);
        endInsertRows();
    }
    Q_EMIT headerDataChanged(Qt::Horizontal, TitleColumn, TitleColumn); // "shown of all" changed
}

void ResultModel::sortBy(int column, int direction)
{
    m_sortColumn = column;
    m_sortDirection = direction;
    const int count = int(m_rows.size());
    std::vector<RowCompare::RowKey> keys;
    keys.reserve(size_t(count));
    for (const ResultRow& row : std::as_const(m_rows))
        keys.push_back(RowCompare::rowKey(row, column));
    QList<int> order(count); // new list index -> list index before the sort
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return RowCompare::compareKeys(keys[size_t(a)], keys[size_t(b)], column, direction) < 0;
    });
    keys.clear(); // they point into the rows, which move now

    QList<int> newListIndex(count);
    for (int i = 0; i < count; ++i)
        newListIndex[order[i]] = i;
    relayout(newListIndex, VerticalSortHint, [&] {
        QList<ResultRow> sorted;
        QList<ResultFilter::RowKey> sortedKeys;
        sorted.reserve(count);
        sortedKeys.reserve(count);
        for (int i = 0; i < count; ++i) {
            sorted.append(std::move(m_rows[order[i]]));
            sortedKeys.append(std::move(m_filterKeys[order[i]]));
        }
        m_rows = std::move(sorted);
        m_filterKeys = std::move(sortedKeys);
    });
}

void ResultModel::setFilter(const ResultFilter& filter)
{
    relayout({}, NoLayoutChangeHint, [&] {
        m_filter = filter;
        m_filtered = !filter.isEmpty();
    });
    Q_EMIT headerDataChanged(Qt::Horizontal, TitleColumn, TitleColumn);
}

void ResultModel::relayout(const QList<int>& newListIndex, LayoutChangeHint hint, const std::function<void()>& change)
{
    Q_EMIT layoutAboutToBeChanged({}, hint);
    const QModelIndexList before = persistentIndexList();
    QList<int> listIndexBefore;
    listIndexBefore.reserve(before.size());
    for (const QModelIndex& index : before)
        listIndexBefore.append(index.isValid() ? listIndex(index.row()) : -1);

    change();
    const int count = int(m_rows.size());
    m_shown.clear();
    QList<int> shownIndex; // list index -> shown index, -1 for a hidden row (filtered only)
    if (m_filtered) {
        shownIndex.fill(-1, count);
        for (int i = 0; i < count; ++i) {
            if (m_filter.accepts(m_filterKeys[i])) {
                shownIndex[i] = int(m_shown.size());
                m_shown.append(i);
            }
        }
    }

    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype k = 0; k < before.size(); ++k) {
        int at = listIndexBefore[k];
        if (at >= 0 && !newListIndex.isEmpty())
            at = newListIndex[at];
        if (at >= 0 && m_filtered)
            at = shownIndex[at];
        after.append(at >= 0 ? index(at, before[k].column()) : QModelIndex());
    }
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, hint);
}

void ResultModel::clear()
{
    beginResetModel();
    m_rows.clear();
    m_filterKeys.clear();
    m_shown.clear();
    endResetModel();
}
