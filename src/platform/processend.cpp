#include "platform/processend.h"

#include <QtGlobal>

#include <cstdio>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

int ProcessEnd::afterShutdown(int code)
{
#ifdef Q_OS_WIN
    std::fflush(nullptr); // what the C runtime still holds for the standard streams and open files
    TerminateProcess(GetCurrentProcess(), UINT(code));
#endif
    return code;
}
