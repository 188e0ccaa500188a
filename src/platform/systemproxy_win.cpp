#include "platform/systemproxy.h"

#include "platform/logging.h"

#include <QUrl>

#include <windows.h>

#include <winhttp.h>

#include <atomic>
#include <optional>
#include <string>
#include <utility>

namespace {

// WinHTTP, loaded with the first request that asks for a proxy rather than with the program: most
// runs never need it before the window is up.
struct WinHttpApi {
    decltype(&WinHttpGetIEProxyConfigForCurrentUser) currentUserSettings = nullptr;
    decltype(&WinHttpOpen) open = nullptr;
    decltype(&WinHttpGetProxyForUrl) proxyForUrl = nullptr;
    decltype(&WinHttpCloseHandle) close = nullptr;
};

template <typename Function> Function exported(HMODULE module, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

const WinHttpApi* winHttp()
{
    static const std::optional<WinHttpApi> api = []() -> std::optional<WinHttpApi> {
        HMODULE module = LoadLibraryW(L"winhttp.dll"); // stays loaded until the process ends
        WinHttpApi functions;
        if (module) {
            functions.currentUserSettings =
                exported<decltype(functions.currentUserSettings)>(module, "WinHttpGetIEProxyConfigForCurrentUser");
            functions.open = exported<decltype(functions.open)>(module, "WinHttpOpen");
            functions.proxyForUrl = exported<decltype(functions.proxyForUrl)>(module, "WinHttpGetProxyForUrl");
            functions.close = exported<decltype(functions.close)>(module, "WinHttpCloseHandle");
        }
        if (!functions.currentUserSettings || !functions.open || !functions.proxyForUrl || !functions.close) {
            qCWarning(lcNet) << "WinHTTP is not available (error" << GetLastError()
                             << "); requests go direct whatever the Internet settings say";
            return std::nullopt;
        }
        return functions;
    }();
    return api ? &*api : nullptr;
}

// A string WinHTTP allocated, taken over and freed.
QString takeString(LPWSTR& text)
{
    QString taken = text ? QString::fromWCharArray(text) : QString();
    if (text)
        GlobalFree(text);
    text = nullptr;
    return taken;
}

// Automatic detection that found no script is not tried again in this run: it asks DHCP and DNS
// each time, which costs seconds where nothing answers.
std::atomic<bool> detectionFailed = false;

struct ProxyLists {
    QString proxies;
    QString bypass;
};

// The answer of the PAC script (its address given, or found by automatic detection) for `url`;
// nothing when there is no answer, and then the fixed settings apply.
std::optional<ProxyLists> askProxyScript(const WinHttpApi& api, const QByteArray& url, const QString& scriptAddress)
{
    HINTERNET session =
        api.open(L"Quvo", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
    if (!session) {
        qCInfo(lcNet) << "no WinHTTP session for the proxy script, error" << GetLastError();
        return std::nullopt;
    }
    const std::wstring script = scriptAddress.toStdWString();
    WINHTTP_AUTOPROXY_OPTIONS options{};
    if (scriptAddress.isEmpty()) {
        options.dwFlags = WINHTTP_AUTOPROXY_AUTO_DETECT;
        options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
    } else {
        options.dwFlags = WINHTTP_AUTOPROXY_CONFIG_URL;
        options.lpszAutoConfigUrl = script.c_str();
    }
    options.fAutoLogonIfChallenged = TRUE;
    const std::wstring target = QString::fromLatin1(url).toStdWString();
    WINHTTP_PROXY_INFO info{};
    const bool answered = api.proxyForUrl(session, target.c_str(), &options, &info);
    const DWORD error = answered ? 0 : GetLastError();
    api.close(session);
    if (!answered) {
        if (scriptAddress.isEmpty() && error == ERROR_WINHTTP_AUTODETECTION_FAILED)
            detectionFailed = true;
        qCInfo(lcNet) << "the proxy script gave no answer for" << url.left(200) << "(error" << error
                      << "); the fixed settings apply";
        return std::nullopt;
    }
    ProxyLists lists{takeString(info.lpszProxy), takeString(info.lpszProxyBypass)};
    if (info.dwAccessType != WINHTTP_ACCESS_TYPE_NAMED_PROXY)
        return ProxyLists{}; // the script says direct
    return lists;
}

} // namespace

// The current user's Internet settings through WinHTTP: a PAC script (its address, or automatic
// detection) first, then the fixed proxy with its bypass list.
QByteArray SystemProxy::forUrl(const QByteArray& url)
{
    const QUrl address = QUrl::fromEncoded(url);
    if (isLoopbackHost(address.host()))
        return {};
    const WinHttpApi* api = winHttp();
    if (!api)
        return {};
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG settings{};
    if (!api->currentUserSettings(&settings)) {
        qCInfo(lcNet) << "the Internet settings cannot be read, error" << GetLastError() << "; going direct";
        return {};
    }
    ProxyLists lists{takeString(settings.lpszProxy), takeString(settings.lpszProxyBypass)};
    const QString scriptAddress = takeString(settings.lpszAutoConfigUrl);
    if ((settings.fAutoDetect && !detectionFailed) || !scriptAddress.isEmpty()) {
        if (std::optional<ProxyLists> answer = askProxyScript(*api, url, scriptAddress))
            lists = std::move(*answer);
    }
    const QByteArray proxy = fromLists(address, lists.proxies, lists.bypass);
    if (proxy.isEmpty() && !lists.proxies.trimmed().isEmpty())
        qCDebug(lcNet) << "direct, by the bypass list or no usable proxy, for" << url.left(200);
    return proxy;
}
