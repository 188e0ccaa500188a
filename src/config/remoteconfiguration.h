#pragma once

#include <QByteArray>

// The 28 values of the product server's settings document, GBK text, named after their tags.
// Empty until the document has been read; written once per run, read through SettingsView.
struct RemoteConfiguration {
    QByteArray Version;
    QByteArray FrcUp;
    QByteArray updateline1;
    QByteArray updateline2;
    QByteArray updateline3;
    QByteArray WordDef;
    QByteArray Wordban;
    QByteArray BulletinShow;
    QByteArray BulletinWord;
    QByteArray Bulletin;
    QByteArray AdverDef;
    QByteArray AdWebAdr;
    QByteArray AdpnlHeight;
    QByteArray AdShowtime;
    QByteArray CloudDef;
    QByteArray Cldline1;
    QByteArray Cldline2;
    QByteArray OnlineDef;
    QByteArray OLTvAdr;
    QByteArray MtvDef;
    QByteArray MtvAdr;
    QByteArray MusicDef;
    QByteArray MusicAdr;
    QByteArray FeedbackDef;
    QByteArray FeedAdr;
    QByteArray AttentionDef;
    QByteArray AttentionAdr;
    // Mirrors of the torrent search site: site roots separated by "|", tried after the built-in site.
    // Added after the first release; older builds never look for the tag.
    QByteArray SearchSites;
};

// The program-wide record.
RemoteConfiguration& remoteConfig();
