#pragma once

#include <QByteArray>
#include <QString>

// Outside addresses and the texts built from them. The two servers can be pointed elsewhere
// (tests, mirrors, the demo) with QUVO_SEARCH_SITE and QUVO_PRODUCT_SERVER.
namespace Sites {

QString productSiteHost();    // the product web site's host name, lower case
QString productSiteAddress(); // "http://" + host

// Root of the product server (settings document, counter pages, update archive), no trailing "/".
QByteArray productServer();
// productServer() followed by an absolute path such as "/update/StNum.php".
QByteArray productServerUrl(const QByteArray& path);

// Root of the torrent search site, no trailing "/".
QByteArray searchSite();

QString applicationTitle();  // caption of the program's notices and error boxes
QString mainWindowCaption(); // caption of the main window
QString microblogAddress();  // the product's microblog page
QString contactAddress();    // the product's contact e-mail address

} // namespace Sites
