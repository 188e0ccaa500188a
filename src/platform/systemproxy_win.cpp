#include "platform/systemproxy.h"

#include "platform/logging.h"

#include <QUrl>

#include <windows.h>

#include <winhttp.h>

#include <QHash>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <utility>

namespace {

// WinHTTP, loaded with the first request that asks for a proxy rather than with the program: most
// runs never need it before the window is up.
struct WinHttpApi {
    decltype(&WinHttpGetIEProxyConfigForCurrentUser) currentUserSettings = nullptr;
    decltype(&WinHttpOpen) open = nullptr;
    decltype(&WinHttpGetProxyForUrl) proxyForUrl = nullptr;
    decltype(&WinHttpSetTimeouts) setTimeouts = nullptr;
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
            functions.setTimeouts = exported<decltype(functions.setTimeouts)>(module, "WinHttpSetTimeouts");
            functions.close = exported<decltype(functions.close)>(module, "WinHttpCloseHandle");
        }
        if (!functions.currentUserSettings || !functions.open || !functions.proxyForUrl || !functions.setTimeouts ||
            !functions.close) {
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

struct ProxyLists {
    QString proxies;
    QString bypass;
};

// Scripts that gave no answer: automatic detection that found none is not tried again in this run
// (it asks DHCP and DNS each time, which costs seconds where nothing answers); a script address
// that failed or took too long is left alone for a while, and the fixed settings apply meanwhile.
class FailedScripts {
public:
    static constexpr std::chrono::minutes pause{5};

    bool failedLately(const QString& scriptAddress)
    {
        std::lock_guard lock(m_mutex);
        if (scriptAddress.isEmpty() && m_detectionFailed)
            return true;
        const auto found = m_failedAt.constFind(scriptAddress);
        return found != m_failedAt.cend() && std::chrono::steady_clock::now() - *found < pause;
    }
    // forTheRun: automatic detection found no script at all.
    void remember(const QString& scriptAddress, bool forTheRun)
    {
        std::lock_guard lock(m_mutex);
        if (forTheRun)
            m_detectionFailed = true;
        m_failedAt.insert(scriptAddress, std::chrono::steady_clock::now());
    }

private:
    std::mutex m_mutex;
    bool m_detectionFailed = false;
    QHash<QString, std::chrono::steady_clock::time_point> m_failedAt;
};

FailedScripts& failedScripts()
{
    static FailedScripts scripts;
    return scripts;
}

// WinHTTP's time limits in milliseconds: the whole lookup's for each step of the script's fetch.
int timeoutMs(std::chrono::milliseconds limit)
{
    return int(std::clamp<qint64>(limit.count(), 1, std::numeric_limits<int>::max()));
}

// What the PAC script says for `url`: its lists, or nothing when it gave no answer.
struct ScriptAnswer {
    std::optional<ProxyLists> lists;
    bool nothingDetected = false; // automatic detection found no script
};

// The script's answer (its address given, or found by automatic detection), asked on this thread.
ScriptAnswer askProxyScript(const WinHttpApi& api, const QByteArray& url, const QString& scriptAddress,
                            std::chrono::milliseconds limit)
{
    HINTERNET session =
        api.open(L"Quvo", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
    if (!session) {
        qCInfo(lcNet) << "no WinHTTP session for the proxy script, error" << GetLastError();
        return {};
    }
    // The script's fetch: name lookup, connection, sending and each wait for data within the limit.
    const int ms = timeoutMs(limit);
    api.setTimeouts(session, ms, ms, ms, ms);
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
        qCInfo(lcNet) << "the proxy script gave no answer for" << url.left(200) << "(error" << error
                      << "); the fixed settings apply";
        return {std::nullopt, scriptAddress.isEmpty() && error == ERROR_WINHTTP_AUTODETECTION_FAILED};
    }
    ProxyLists lists{takeString(info.lpszProxy), takeString(info.lpszProxyBypass)};
    if (info.dwAccessType != WINHTTP_ACCESS_TYPE_NAMED_PROXY)
        return {ProxyLists{}}; // the script says direct
    return {lists};
}

// Asks the script on a thread of its own, so that the request's cancel flag and time limit end the
// waiting even where WinHTTP keeps running a script: the lookup then finishes alone and is dropped.
std::optional<ProxyLists> askProxyScriptWithin(const WinHttpApi& api, const QByteArray& url,
                                               const QString& scriptAddress, const SystemProxy::LookupLimits& limits)
{
    struct Lookup {
        std::mutex mutex;
        std::condition_variable done;
        std::optional<ScriptAnswer> answer;
    };
    auto lookup = std::make_shared<Lookup>();
    try {
        std::thread([lookup, &api, url, scriptAddress, limit = limits.limit] {
            ScriptAnswer answer = askProxyScript(api, url, scriptAddress, limit);
            std::lock_guard lock(lookup->mutex);
            lookup->answer = std::move(answer);
            lookup->done.notify_all();
        }).detach();
    } catch (const std::system_error& failure) {
        qCInfo(lcNet) << "no thread for the proxy script:" << failure.what();
        return std::nullopt;
    }
    const auto deadline = std::chrono::steady_clock::now() + limits.limit;
    std::unique_lock lock(lookup->mutex);
    while (!lookup->answer) {
        if (limits.cancel && limits.cancel->load())
            return std::nullopt; // the request ends anyway
        if (std::chrono::steady_clock::now() >= deadline) {
            qCInfo(lcNet) << "the proxy script took longer than" << limits.limit.count() << "ms for" << url.left(200)
                          << "; the fixed settings apply";
            failedScripts().remember(scriptAddress, false);
            return std::nullopt;
        }
        lookup->done.wait_for(lock, std::chrono::milliseconds(50));
    }
    if (!lookup->answer->lists)
        failedScripts().remember(scriptAddress, lookup->answer->nothingDetected);
    return lookup->answer->lists;
}

} // namespace

// The current user's Internet settings through WinHTTP: a PAC script (its address, or automatic
// detection) first, then the fixed proxy with its bypass list.
SystemProxy::Choice SystemProxy::forUrl(const QByteArray& url, const LookupLimits& limits)
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
    if ((settings.fAutoDetect || !scriptAddress.isEmpty()) && !failedScripts().failedLately(scriptAddress)) {
        if (std::optional<ProxyLists> answer = askProxyScriptWithin(*api, url, scriptAddress, limits))
            lists = std::move(*answer);
    }
    Choice choice{fromLists(address, lists.proxies, lists.bypass), {}};
    if (choice.proxy.isEmpty() && !lists.proxies.trimmed().isEmpty())
        qCDebug(lcNet) << "direct, by the bypass list or no usable proxy, for" << url.left(200);
    if (!choice.proxy.isEmpty())
        choice.noProxy = noProxyList(address, lists.bypass);
    return choice;
}
