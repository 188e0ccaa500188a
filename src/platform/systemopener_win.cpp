#include "platform/systemopener.h"

#include <windows.h>

#include <shellapi.h>

bool SystemOpener::open(const QString& acceptedAddress)
{
    // The address itself is the "file": the system starts whatever the user set to open its scheme,
    // also a handler without a command line of its own. No parameters, no working folder.
    const HINSTANCE result = ShellExecuteW(nullptr, L"open", reinterpret_cast<LPCWSTR>(acceptedAddress.utf16()),
                                           nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}
