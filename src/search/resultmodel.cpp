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
    return parent.isValid() ? 0 : int(m_rows.size());
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
        const ResultRow& shown = m_rows.at(index.row());
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
    if (role == Qt::DisplayRole)
        return m_headers[section];
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
    beginInsertRows({}, index, index);
    m_rows.insert(index, row);
    endInsertRows();
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
    QList<int> order(count); // shown position -> position before the sort
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return RowCompare::compareKeys(keys[size_t(a)], keys[size_t(b)], column, direction) < 0;
    });
    keys.clear(); // they point into the rows, which move now

    Q_EMIT layoutAboutToBeChanged({}, VerticalSortHint);
    QList<int> newPosition(count);
    QList<ResultRow> sorted;
    sorted.reserve(count);
    for (int i = 0; i < count; ++i) {
        newPosition[order[i]] = i;
        sorted.append(std::move(m_rows[order[i]]));
    }
    m_rows = std::move(sorted);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before)
        after.append(index.isValid() ? this->index(newPosition[index.row()], index.column()) : QModelIndex());
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, VerticalSortHint);
}

void ResultModel::clear()
{
    beginResetModel();
    m_rows.clear();
    endResetModel();
}
