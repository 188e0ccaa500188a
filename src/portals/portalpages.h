#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>

// The outside pages behind the TV, music and MV buttons, and the rule that picks between a
// built-in page and an address of the settings document.
namespace PortalPages {

// Counter pages of the product server, one request per counted use.
inline constexpr char tvCounter[] = "/update/FyNum.php";
inline constexpr char musicCounter[] = "/update/MusicNum.php";
inline constexpr char mvCounter[] = "/update/MtvNum.php";

// The Fengyun live-TV mini page, sized for a primary screen of `screen` pixels
// (the page gets the screen less 150 across and less 200 down).
QString fengyunMini(QSize screen);
QString themeMusic(); // the Duole music site's home page
QString kugou();      // the Kugou web player
QString mvHome();     // the Yinyuetai home page
QString mvReload();   // the Yinyuetai host alone, as "重新加载" loads it

// Which page a portal command opens.
struct Choice {
    QString address;      // empty: nothing is opened
    bool builtIn = false; // the built-in page was chosen
};

// A switch in force (neither "0" nor empty) hands the choice to the paired address, which opens
// nothing when it is "0" or empty itself; otherwise the built-in page is used.
Choice choose(const QByteArray& switchValue, const QByteArray& address, const QString& builtInPage);

} // namespace PortalPages
