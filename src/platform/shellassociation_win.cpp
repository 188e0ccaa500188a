#include "platform/shellassociation.h"

#include "platform/logging.h"

#include <windows.h>

#include <shlwapi.h>

#include <string>

namespace {

const QString kUserChoiceKey =
    QStringLiteral("Software\\Microsoft\\Windows\\Shell\\Associations\\UrlAssociations\\%1\\UserChoice");

LPCWSTR wide(const QString& text)
{
    return reinterpret_cast<LPCWSTR>(text.utf16());
}

// The ProgId the user chose for the scheme in the system's settings; empty when none.
QString userChoiceProgId(const QString& scheme)
{
    const QString key = kUserChoiceKey.arg(scheme);
    DWORD bytes = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, wide(key), L"ProgId", RRF_RT_REG_SZ, nullptr, nullptr, &bytes) !=
            ERROR_SUCCESS ||
        bytes < sizeof(wchar_t))
        return {};
    std::wstring value(bytes / sizeof(wchar_t), L'\0');
    if (RegGetValueW(HKEY_CURRENT_USER, wide(key), L"ProgId", RRF_RT_REG_SZ, nullptr, value.data(), &bytes) !=
        ERROR_SUCCESS)
        return {};
    return QString::fromWCharArray(value.c_str()); // up to the terminating zero
}

// The "open" command of an association (a ProgId, or a scheme with ASSOCF_IS_PROTOCOL); no value when
// the system has none.
std::optional<QString> assocCommand(ASSOCF flags, const QString& name)
{
    DWORD length = 0;
    HRESULT result = AssocQueryStringW(flags, ASSOCSTR_COMMAND, wide(name), L"open", nullptr, &length);
    if ((result != S_OK && result != S_FALSE) || length == 0)
        return std::nullopt;
    std::wstring command(length, L'\0');
    result = AssocQueryStringW(flags, ASSOCSTR_COMMAND, wide(name), L"open", command.data(), &length);
    if (result != S_OK)
        return std::nullopt;
    return ShellAssociation::expandEnvironment(QString::fromWCharArray(command.c_str()));
}

} // namespace

namespace ShellAssociation {

std::optional<QString> openCommand(const QString& scheme)
{
    // Windows' own query honours the user's choice; asked for that ProgId first as well, since some
    // systems (Wine among them) answer with the scheme's class alone.
    if (const QString progId = userChoiceProgId(scheme); !progId.isEmpty()) {
        const std::optional<QString> command = assocCommand(ASSOCF_NONE, progId);
        qCDebug(lcLaunch) << "the user's choice for" << scheme << "is" << progId << "-"
                          << command.value_or(QStringLiteral("(no command)"));
        return command.value_or(QString());
    }
    return assocCommand(ASSOCF_IS_PROTOCOL, scheme);
}

QString expandEnvironment(const QString& text)
{
    const DWORD length = ExpandEnvironmentStringsW(wide(text), nullptr, 0);
    if (length == 0)
        return text;
    std::wstring expanded(length, L'\0');
    if (ExpandEnvironmentStringsW(wide(text), expanded.data(), length) == 0)
        return text;
    return QString::fromWCharArray(expanded.c_str());
}

} // namespace ShellAssociation
