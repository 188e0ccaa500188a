#pragma once

#include <QByteArray>

// The 27 values of the product server's settings document, GBK text, named after their tags.
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
};

// The program-wide record.
RemoteConfiguration& remoteConfig();
