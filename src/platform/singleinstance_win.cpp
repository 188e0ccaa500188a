#include "platform/singleinstance.h"

#include <QLockFile> // complete for the destructor of m_lock, which stays empty here

#include <qt_windows.h>

SingleInstance::SingleInstance(const QString& name, QObject* parent) : QObject(parent), m_name(name)
{
}

SingleInstance::~SingleInstance()
{
    if (m_mutex)
        CloseHandle(m_mutex);
}

QString SingleInstance::lockFilePath() const
{
    return {};
}

QString SingleInstance::socketPath() const
{
    return {};
}

bool SingleInstance::claim()
{
    if (m_mutex)
        return true;
    // A name without "Global\" lives in the session's own namespace: one instance per session.
    HANDLE mutex = CreateMutexW(nullptr, FALSE, reinterpret_cast<const wchar_t*>(m_name.utf16()));
    if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return false;
    }
    // Any other failure must not keep the program from starting.
    m_mutex = mutex;
    return true;
}

bool SingleInstance::notifyFirstInstance(int) const
{
    if (m_caption.isEmpty())
        return false;
    HWND window = FindWindowW(nullptr, reinterpret_cast<const wchar_t*>(m_caption.utf16()));
    if (!window)
        return false;
    SwitchToThisWindow(window, TRUE);
    return true;
}
