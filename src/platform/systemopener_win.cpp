#include "platform/systemopener.h"

#include <QProcess>

#include <windows.h>

#include <shellapi.h>

#include <string>

bool SystemOpener::open(const QString& acceptedAddress)
{
    // The address itself is the "file": the system starts whatever the user set to open its scheme,
    // also a handler without a command line of its own. No parameters, no working folder.
    const HINSTANCE result = ShellExecuteW(nullptr, L"open", reinterpret_cast<LPCWSTR>(acceptedAddress.utf16()),
                                           nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

bool SystemOpener::startHidden(const QString& program, const QString& argument)
{
    // Qt would quote the program and the argument its own way; the command line here is built as
    // the system's WinExec takes one, and handed to CreateProcess unchanged.
    std::wstring commandLine = (program + QStringLiteral(" \"") + argument + QLatin1Char('"')).toStdWString();
    QProcess process;
    process.setProgram(program);
    process.setCreateProcessArgumentsModifier([&commandLine](QProcess::CreateProcessArguments* start) {
        start->arguments = commandLine.data();
        start->startupInfo->dwFlags |= STARTF_USESHOWWINDOW;
        start->startupInfo->wShowWindow = SW_HIDE;
    });
    return process.startDetached();
}
