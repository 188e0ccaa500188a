#pragma once

#include <QByteArray>
#include <QtGlobal>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

// Names a proxy (and a bypass list, and a PAC script's address) as the system's for as long as it
// lives: on Windows in the Internet settings of the current user (as the settings dialog writes
// them: the values WinINet reads, and the binary DefaultConnectionSettings that WinHTTP reads),
// elsewhere in the environment that libcurl reads. Loopback addresses stay direct.
class SystemProxySetting final {
public:
    explicit SystemProxySetting(int proxyPort, const QByteArray& bypass = "<local>",
                                const QByteArray& scriptAddress = {})
    {
        const QByteArray server = proxyPort > 0 ? "127.0.0.1:" + QByteArray::number(proxyPort) : QByteArray();
#ifdef Q_OS_WIN
        QByteArray blob;
        const auto addDword = [&blob](quint32 value) { blob.append(reinterpret_cast<const char*>(&value), 4); };
        addDword(0x46); // the settings' version
        addDword(1);    // change counter
        // Direct connections, and a fixed proxy and a PAC script where named; no automatic detection.
        addDword(0x01 | (server.isEmpty() ? 0 : 0x02) | (scriptAddress.isEmpty() ? 0 : 0x04));
        addDword(quint32(server.size()));
        blob += server;
        addDword(quint32(bypass.size()));
        blob += bypass;
        addDword(quint32(scriptAddress.size()));
        blob += scriptAddress;
        blob += QByteArray(32, '\0');
        const std::wstring proxyServer = QString::fromLatin1(server).toStdWString();
        const DWORD enable = server.isEmpty() ? 0 : 1;
        RegSetKeyValueW(HKEY_CURRENT_USER, settingsKey, L"ProxyEnable", REG_DWORD, &enable, sizeof enable);
        RegSetKeyValueW(HKEY_CURRENT_USER, settingsKey, L"ProxyServer", REG_SZ, proxyServer.c_str(),
                        DWORD((proxyServer.size() + 1) * sizeof(wchar_t)));
        RegSetKeyValueW(HKEY_CURRENT_USER, connectionsKey, L"DefaultConnectionSettings", REG_BINARY, blob.constData(),
                        DWORD(blob.size()));
#else
        Q_UNUSED(bypass);
        Q_UNUSED(scriptAddress);
        qputenv("http_proxy", "http://" + server);
        qputenv("no_proxy", "127.0.0.1");
#endif
    }
    ~SystemProxySetting()
    {
#ifdef Q_OS_WIN
        RegDeleteKeyValueW(HKEY_CURRENT_USER, settingsKey, L"ProxyEnable");
        RegDeleteKeyValueW(HKEY_CURRENT_USER, settingsKey, L"ProxyServer");
        RegDeleteKeyValueW(HKEY_CURRENT_USER, connectionsKey, L"DefaultConnectionSettings");
#else
        qunsetenv("http_proxy");
        qunsetenv("no_proxy");
#endif
    }
    SystemProxySetting(const SystemProxySetting&) = delete;
    SystemProxySetting& operator=(const SystemProxySetting&) = delete;

private:
#ifdef Q_OS_WIN
    static constexpr const wchar_t* settingsKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
    static constexpr const wchar_t* connectionsKey =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections";
#endif
};
