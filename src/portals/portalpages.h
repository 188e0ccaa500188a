#pragma once

#include <QSize>
#include <QString>

// The outside pages behind the TV, music and MV buttons (SettingsView says when the settings
// document's address takes their place).
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

} // namespace PortalPages
