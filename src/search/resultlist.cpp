#include "search/resultlist.h"

#include "platform/codepage.h"

#include <QTableWidget>

namespace ResultList {

namespace {

QString shownText(const QByteArray& field)
{
    QString text = CodePage::fromGbk(field);
    if (text.size() > maxShownCharacters) {
        qsizetype cut = maxShownCharacters - 1;
        if (text[cut - 1].isHighSurrogate()) // keep a character outside the basic plane whole or not at all
            --cut;
        text.truncate(cut);
        text += QChar(0x2026);
    }
    return text;
}

} // namespace

ResultRow rowAt(const QTableWidget* list, int index)
{
    auto field = [&](int column) {
        const QTableWidgetItem* item = list->item(index, column);
        return item ? item->data(Qt::UserRole).toByteArray() : QByteArray();
    };
    return {field(0), field(1), field(2), field(3)};
}

void insertRow(QTableWidget* list, int index, const ResultRow& row)
{
    list->insertRow(index);
    setRow(list, index, row);
}

void setRow(QTableWidget* list, int index, const ResultRow& row)
{
    const QByteArray* fields[4] = {&row.title, &row.size, &row.address, &row.informationKey};
    for (int column = 0; column < 4; ++column) {
        auto* item = new QTableWidgetItem(shownText(*fields[column]));
        item->setData(Qt::UserRole, *fields[column]);
        if (column == 1)
            item->setTextAlignment(Qt::AlignCenter);
        list->setItem(index, column, item);
    }
}

} // namespace ResultList
