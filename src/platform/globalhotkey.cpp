#include "platform/globalhotkey.h"

#include <QCoreApplication>

GlobalHotKey::GlobalHotKey(QObject* parent) : QObject(parent) {}

GlobalHotKey::~GlobalHotKey()
{
    if (m_registered)
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool GlobalHotKey::registerAltF1()
{
    return false; // TODO(shell): X11 grab
}

bool GlobalHotKey::nativeEventFilter(const QByteArray&, void*, qintptr*)
{
    return false;
}
