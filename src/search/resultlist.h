#pragma once

#include "search/resultrow.h"

class QTableWidget;

// How result rows sit in the list lv1: column 0 title, 1 size, 2 address, 3 information key.
// Each cell shows the text and keeps the exact GBK bytes under Qt::UserRole.
namespace ResultList {

ResultRow rowAt(const QTableWidget* list, int index);
void insertRow(QTableWidget* list, int index, const ResultRow& row);
void setRow(QTableWidget* list, int index, const ResultRow& row); // replaces the cells of an existing row

} // namespace ResultList
