#include "search/searchrecord.h"

#include "platform/logging.h"
#include "platform/registry.h"

namespace {

const QString kSearchKey = QStringLiteral("HKEY_CURRENT_USER\\SOFTWARE\\qorvex\\Search");

void write(const QString& valueName, const QString& value)
{
    if (!Registry::writeString(kSearchKey, valueName, value))
        qCInfo(lcSearch) << "could not keep" << valueName << "for the next run";
}

} // namespace

namespace SearchRecord {

// One value, keywords separated by line breaks: a keyword is one line of the keyword box.
QStringList keywords()
{
    return Registry::readString(kSearchKey, QStringLiteral("Keywords")).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void setKeywords(const QStringList& keywords)
{
    write(QStringLiteral("Keywords"), keywords.join(QLatin1Char('\n')));
}

SizeBounds filterSizeBounds()
{
    return {Registry::readString(kSearchKey, QStringLiteral("FilterLeastSize")),
            Registry::readString(kSearchKey, QStringLiteral("FilterGreatestSize"))};
}

void setFilterSizeBounds(const SizeBounds& bounds)
{
    write(QStringLiteral("FilterLeastSize"), bounds.least);
    write(QStringLiteral("FilterGreatestSize"), bounds.greatest);
}

} // namespace SearchRecord
