#pragma once

#include <QStringList>
#include <QStringView>

#include <span>

// What a page shown inside the program may do, as plain decisions: which address schemes the process
// refuses at its protocol layer, which keys reach a page, what Internet Explorer's zone answers for a
// URL action, which of its process features are switched on. The Windows page engine applies them
// (webbrowserhost_win.*, webengine_win.cpp); they are kept here, free of Windows types, so that both
// systems' tests check the same table. Numbers are Windows' own (virtual keys, URLACTION_*).
namespace PageLockdown {

// Schemes every request of the process is refused for, whatever asks (a page, its images, scripts,
// style sheets, frames, a redirect): local files and shares, resources of programs and libraries,
// help files, archives, ftp. http, https and about are not among them.
const QStringList& lockedSchemes();
// Whether a request for the scheme may reach the network: only http and https.
bool isWebScheme(QStringView scheme);

// Windows' virtual key codes the decisions below name.
namespace Vk {
constexpr int Back = 0x08, Tab = 0x09, Enter = 0x0D, Escape = 0x1B, Space = 0x20, End = 0x23, Home = 0x24, Left = 0x25,
              Up = 0x26, Right = 0x27, Down = 0x28, Insert = 0x2D, Delete = 0x2E, Apps = 0x5D, F1 = 0x70, F4 = 0x73,
              F10 = 0x79, F24 = 0x87, BrowserFirst = 0xA6, BrowserLast = 0xAC;
}

struct Key {
    int virtualKey;
    bool ctrl = false;
    bool shift = false;
    bool alt = false;
};

enum class KeyUse {
    Page,   // offered to the page (typing, Tab, arrows, Enter, copy and paste, the system's Alt+F4)
    Swallow // dropped: it would open a window or dialog of the control, reload, or its menu
};

// Whether a key pressed inside a page reaches it. contextMenuAllowed: the view keeps the page's own
// menu (Apps key, Shift+F10).
KeyUse keyUse(const Key& key, bool contextMenuAllowed);

enum class UrlPolicy {
    ZoneDefault,  // what the Internet zone answers (scripts, forms, media of a web page)
    Disallow,     // refused: ActiveX, Java, downloads, binary behaviours, the shell, zone elevation
    AnonymousOnly // logon: never the user's name and password
};

// The answer for a URL action (URLACTION_*) asked about an address of the scheme (empty when the
// control names no address). Anything asked for an address off the web is refused.
UrlPolicy urlActionPolicy(QStringView scheme, unsigned action);

// Internet Explorer's process features (INTERNETFEATURELIST) switched on before the first page.
enum class Feature {
    ObjectCaching,
    ZoneElevation,
    MimeHandling,
    MimeSniffing,
    WindowRestrictions,
    WebOcPopupManagement,
    Behaviors,
    DisableMkProtocol,
    LocalMachineLockdown,
    SecurityBand,
    RestrictActiveXInstall,
    ValidateNavigateUrl,
    RestrictFileDownload,
    ProtocolLockdown,
    HttpUsernamePasswordDisable,
    SafeBindToObject,
    UncSavedFileCheck,
    DisableNavigationSounds,
    BlockInputPrompts,
};
struct FeatureSetting {
    Feature feature;
    const char* name; // for the log
};
std::span<const FeatureSetting> lockedFeatures();

} // namespace PageLockdown
