#pragma once

#include <QByteArray>

// One row of the result list: four GBK texts exactly as cut from the page.
struct ResultRow {
    QByteArray title;
    QByteArray size;
    QByteArray address;
    QByteArray informationKey;
};
