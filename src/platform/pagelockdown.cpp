#include "platform/pagelockdown.h"

#include <algorithm>
#include <array>

namespace PageLockdown {

const QStringList& lockedSchemes()
{
    // file: (and a share behind it) would open an SMB or WebDAV session and offer the user's
    // credentials; res:, mk:, its:, ms-its:, mhtml: and ms-help: read local programs, help files and
    // archives; ftp: is no page of ours either.
    static const QStringList schemes = {
        QStringLiteral("file"),    QStringLiteral("res"),    QStringLiteral("mk"),
        QStringLiteral("its"),     QStringLiteral("ms-its"), QStringLiteral("mhtml"),
        QStringLiteral("ms-help"), QStringLiteral("ftp"),    QStringLiteral("local"),
    };
    return schemes;
}

bool isWebScheme(QStringView scheme)
{
    return scheme.compare(u"http", Qt::CaseInsensitive) == 0 || scheme.compare(u"https", Qt::CaseInsensitive) == 0;
}

KeyUse keyUse(const Key& key, bool contextMenuAllowed)
{
    const int vk = key.virtualKey;
    if (vk == Vk::Apps || (vk == Vk::F10 && key.shift && !key.ctrl && !key.alt))
        return contextMenuAllowed ? KeyUse::Page : KeyUse::Swallow;
    if (vk >= Vk::F1 && vk <= Vk::F24) {
        // Help, find, reload, full screen, the menu bar; Alt+F4 is the system's and closes the window.
        return key.alt && !key.ctrl && !key.shift && vk == Vk::F4 ? KeyUse::Page : KeyUse::Swallow;
    }
    if (vk >= Vk::BrowserFirst && vk <= Vk::BrowserLast) // back, forward, refresh, search, favourites, home
        return KeyUse::Swallow;
    if (key.alt && !key.ctrl && (vk == Vk::Home || vk == Vk::Left || vk == Vk::Right))
        return KeyUse::Swallow; // the home page and the history
    if (key.ctrl && !key.alt) {
        // Ctrl+letter opens the control's dialogs and windows (O, L, N, P, S, F, E, H, I, R, W ...);
        // only editing passes. Ctrl+Alt is AltGr on many keyboards: typing.
        if (vk >= 'A' && vk <= 'Z') {
            static constexpr std::array editing = {'A', 'C', 'V', 'X', 'Z', 'Y'};
            const bool edits = std::find(editing.begin(), editing.end(), vk) != editing.end();
            return edits && !(key.shift && vk != 'Z') ? KeyUse::Page : KeyUse::Swallow;
        }
        if (vk == Vk::Enter)
            return KeyUse::Swallow; // Ctrl+Enter completes the address and navigates
    }
    return KeyUse::Page;
}

UrlPolicy urlActionPolicy(QStringView scheme, unsigned action)
{
    if (!scheme.isEmpty() && !isWebScheme(scheme) && scheme.compare(u"about", Qt::CaseInsensitive) != 0)
        return UrlPolicy::Disallow;
    // Ranges of URLACTION_*: downloads of controls, ActiveX, Java, the shell (downloads, programs,
    // verbs), binary behaviours, the download and ActiveX information bar, restricted protocols,
    // browser applications, XPS and XAML documents, .NET controls.
    struct Range {
        unsigned first, last;
        UrlPolicy policy;
    };
    static constexpr std::array table = {
        Range{0x1000, 0x11FF, UrlPolicy::Disallow},      // URLACTION_DOWNLOAD_*
        Range{0x1200, 0x13FF, UrlPolicy::Disallow},      // URLACTION_ACTIVEX_*
        Range{0x1603, 0x1603, UrlPolicy::Disallow},      // URLACTION_HTML_JAVA_RUN
        Range{0x1607, 0x1607, UrlPolicy::Disallow},      // URLACTION_HTML_INCLUDE_FILE_PATH
        Range{0x1809, 0x1809, UrlPolicy::ZoneDefault},   // URLACTION_SHELL_POPUPMGR (the blocker itself)
        Range{0x1800, 0x19FF, UrlPolicy::Disallow},      // URLACTION_SHELL_*
        Range{0x1A00, 0x1A00, UrlPolicy::AnonymousOnly}, // URLACTION_CREDENTIALS_USE
        Range{0x1A04, 0x1A04, UrlPolicy::Disallow},      // URLACTION_CLIENT_CERT_PROMPT
        Range{0x1C00, 0x1CFF, UrlPolicy::Disallow},      // URLACTION_JAVA_*
        Range{0x2000, 0x20FF, UrlPolicy::Disallow},      // URLACTION_BEHAVIOR_RUN
        Range{0x2101, 0x2101, UrlPolicy::Disallow},      // URLACTION_FEATURE_ZONE_ELEVATION
        Range{0x2200, 0x2201, UrlPolicy::Disallow},      // URLACTION_AUTOMATIC_DOWNLOAD_UI, _ACTIVEX_UI
        Range{0x2300, 0x2300, UrlPolicy::Disallow},      // URLACTION_ALLOW_RESTRICTEDPROTOCOLS
        Range{0x2400, 0x2402, UrlPolicy::Disallow},      // browser applications, XPS, loose XAML
        Range{0x2600, 0x2600, UrlPolicy::Disallow},      // URLACTION_WINFX_SETUP
        Range{0x2703, 0x2703, UrlPolicy::Disallow},      // URLACTION_ALLOW_STRUCTURED_STORAGE_SNIFFING
        Range{0x2800, 0x28FF, UrlPolicy::Disallow},      // URLACTION_DOTNET_USERCONTROLS
    };
    for (const Range& range : table) {
        if (action >= range.first && action <= range.last)
            return range.policy;
    }
    return UrlPolicy::ZoneDefault;
}

std::span<const FeatureSetting> lockedFeatures()
{
    // Every process feature the control offers a host that shows pages it does not trust.
    static constexpr FeatureSetting features[] = {
        {Feature::ObjectCaching, "object caching"},
        {Feature::ZoneElevation, "zone elevation"},
        {Feature::MimeHandling, "MIME handling"},
        {Feature::MimeSniffing, "MIME sniffing"},
        {Feature::WindowRestrictions, "window restrictions"},
        {Feature::WebOcPopupManagement, "pop-up manager"},
        {Feature::Behaviors, "binary behaviours"},
        {Feature::DisableMkProtocol, "mk: protocol"},
        {Feature::LocalMachineLockdown, "local machine lockdown"},
        {Feature::SecurityBand, "information bar"},
        {Feature::RestrictActiveXInstall, "ActiveX install"},
        {Feature::ValidateNavigateUrl, "navigation address check"},
        {Feature::RestrictFileDownload, "file download"},
        {Feature::ProtocolLockdown, "protocol lockdown"},
        {Feature::HttpUsernamePasswordDisable, "user name in addresses"},
        {Feature::SafeBindToObject, "safe object binding"},
        {Feature::UncSavedFileCheck, "saved file check"},
        {Feature::DisableNavigationSounds, "navigation sounds"},
        {Feature::BlockInputPrompts, "input prompts"},
    };
    return features;
}

} // namespace PageLockdown
