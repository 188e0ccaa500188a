#pragma once

#include <QString>
#include <QStringList>

// What the search keeps from one run to the next, in the user's part of the registry: the keywords
// searched (newest first) and the size bounds of the result filter.
namespace SearchRecord {

QStringList keywords();
void setKeywords(const QStringList& keywords);

struct SizeBounds {
    QString least;
    QString greatest;
};
SizeBounds filterSizeBounds();
void setFilterSizeBounds(const SizeBounds& bounds);

} // namespace SearchRecord
