#pragma once

#include "search/resultrow.h"

class QTableWidget;

// How result rows sit in the list lv1: column 0 title, 1 size, 2 address, 3 information key.
// Each cell shows the text and keeps the exact GBK bytes under Qt::UserRole.
namespace ResultList {

// A cell shows at most this many characters of its field, the last of them "…" when the field is
// longer; the row keeps the whole field. That is about as much as the title column holds on a wide
// screen, and every repaint lays out the whole shown text of each visible cell, so a long field (a
// page whose markers are missing gives fields of kilobytes) would hold up the window.
constexpr qsizetype maxShownCharacters = 128;

ResultRow rowAt(const QTableWidget* list, int index);
void insertRow(QTableWidget* list, int index, const ResultRow& row);
void setRow(QTableWidget* list, int index, const ResultRow& row); // replaces the cells of an existing row

} // namespace ResultList
