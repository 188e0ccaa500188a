#include "platform/globalhotkey.h"

#include <QCoreApplication>

GlobalHotKey::GlobalHotKey(QObject* parent) : QObject(parent)
{
}

GlobalHotKey::~GlobalHotKey()
{
    if (m_registered) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
        ungrab();
    }
}
