#include "platform/webbrowserhost_win.h"

#include "platform/logging.h"
#include "platform/pagelockdown.h"

#include <algorithm>
#include <utility>

namespace {

// An event argument, looked through one VARIANT reference (the control passes most of them so).
VARIANT* argument(DISPPARAMS* parameters, UINT indexFromFirst)
{
    // Arguments arrive last first.
    if (!parameters || indexFromFirst >= parameters->cArgs)
        return nullptr;
    VARIANT* value = &parameters->rgvarg[parameters->cArgs - 1 - indexFromFirst];
    if (V_VT(value) == (VT_VARIANT | VT_BYREF) && V_VARIANTREF(value))
        value = V_VARIANTREF(value);
    return value;
}

QString stringArgument(DISPPARAMS* parameters, UINT indexFromFirst)
{
    const VARIANT* value = argument(parameters, indexFromFirst);
    if (!value)
        return {};
    if (V_VT(value) == VT_BSTR && V_BSTR(value))
        return QString::fromWCharArray(V_BSTR(value), int(SysStringLen(V_BSTR(value))));
    if (V_VT(value) == (VT_BSTR | VT_BYREF) && V_BSTRREF(value) && *V_BSTRREF(value))
        return QString::fromWCharArray(*V_BSTRREF(value), int(SysStringLen(*V_BSTRREF(value))));
    return {};
}

void setCancel(DISPPARAMS* parameters, UINT indexFromFirst)
{
    VARIANT* value = argument(parameters, indexFromFirst);
    if (value && V_VT(value) == (VT_BOOL | VT_BYREF) && V_BOOLREF(value))
        *V_BOOLREF(value) = VARIANT_TRUE;
}

IUnknown* identity(IUnknown* object)
{
    IUnknown* unknown = nullptr;
    if (object && SUCCEEDED(object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown))))
        unknown->Release(); // only the address is compared
    return unknown;
}

QString fromWide(LPCWSTR text)
{
    return text ? QString::fromWCharArray(text) : QString();
}

// COM objects end in their own Release, never through a delete of an interface pointer.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
// A protocol that fails every request: registered as the process's handler of the schemes off the
// web, it is asked before the system's own protocols, by every request of the process (a page, its
// images, scripts, style sheets, frames, a redirect, urlmon's own calls).
class RefusingProtocol final : public IInternetProtocol {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override
    {
        *object = nullptr;
        if (riid != IID_IUnknown && riid != IID_IInternetProtocolRoot && riid != IID_IInternetProtocol)
            return E_NOINTERFACE;
        *object = static_cast<IInternetProtocol*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override
    {
        const ULONG left = --m_refs;
        if (left == 0)
            delete this;
        return left;
    }
    STDMETHODIMP Start(LPCWSTR url, IInternetProtocolSink*, IInternetBindInfo*, DWORD, HANDLE_PTR) override
    {
        qCInfo(lcWeb) << "refused a request of the process for" << fromWide(url);
        return INET_E_INVALID_URL;
    }
    STDMETHODIMP Continue(PROTOCOLDATA*) override { return S_OK; }
    STDMETHODIMP Abort(HRESULT, DWORD) override { return S_OK; }
    STDMETHODIMP Terminate(DWORD) override { return S_OK; }
    STDMETHODIMP Suspend() override { return E_NOTIMPL; }
    STDMETHODIMP Resume() override { return E_NOTIMPL; }
    STDMETHODIMP Read(void*, ULONG, ULONG* read) override
    {
        if (read)
            *read = 0;
        return S_FALSE;
    }
    STDMETHODIMP Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) override { return E_FAIL; }
    STDMETHODIMP LockRequest(DWORD) override { return S_OK; }
    STDMETHODIMP UnlockRequest() override { return S_OK; }

private:
    std::atomic<ULONG> m_refs = 1;
};

// Lives as long as the process (the session holds it until then): no reference counting.
class RefusingProtocolFactory final : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override
    {
        *object = riid == IID_IUnknown || riid == IID_IClassFactory ? this : nullptr;
        return *object ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** object) override
    {
        *object = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        auto* protocol = new RefusingProtocol;
        const HRESULT result = protocol->QueryInterface(riid, object);
        protocol->Release();
        return result;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};
#pragma GCC diagnostic pop

// A class id of our own for the refusing handler (never registered in the registry).
constexpr CLSID refusingProtocolId = {0x6b2f7c1e, 0x4d3a, 0x4e59, {0x9a, 0x17, 0x2c, 0x84, 0x5e, 0x61, 0x0b, 0x93}};

INTERNETFEATURELIST systemFeature(PageLockdown::Feature feature)
{
    using F = PageLockdown::Feature;
    switch (feature) {
    case F::ObjectCaching:
        return FEATURE_OBJECT_CACHING;
    case F::ZoneElevation:
        return FEATURE_ZONE_ELEVATION;
    case F::MimeHandling:
        return FEATURE_MIME_HANDLING;
    case F::MimeSniffing:
        return FEATURE_MIME_SNIFFING;
    case F::WindowRestrictions:
        return FEATURE_WINDOW_RESTRICTIONS;
    case F::WebOcPopupManagement:
        return FEATURE_WEBOC_POPUPMANAGEMENT;
    case F::Behaviors:
        return FEATURE_BEHAVIORS;
    case F::DisableMkProtocol:
        return FEATURE_DISABLE_MK_PROTOCOL;
    case F::LocalMachineLockdown:
        return FEATURE_LOCALMACHINE_LOCKDOWN;
    case F::SecurityBand:
        return FEATURE_SECURITYBAND;
    case F::RestrictActiveXInstall:
        return FEATURE_RESTRICT_ACTIVEXINSTALL;
    case F::ValidateNavigateUrl:
        return FEATURE_VALIDATE_NAVIGATE_URL;
    case F::RestrictFileDownload:
        return FEATURE_RESTRICT_FILEDOWNLOAD;
    case F::ProtocolLockdown:
        return FEATURE_PROTOCOL_LOCKDOWN;
    case F::HttpUsernamePasswordDisable:
        return FEATURE_HTTP_USERNAME_PASSWORD_DISABLE;
    case F::SafeBindToObject:
        return FEATURE_SAFE_BINDTOOBJECT;
    case F::UncSavedFileCheck:
        return FEATURE_UNC_SAVEDFILECHECK;
    case F::DisableNavigationSounds:
        return FEATURE_DISABLE_NAVIGATION_SOUNDS;
    case F::BlockInputPrompts:
        return FEATURE_BLOCK_INPUT_PROMPTS;
    }
    return FEATURE_ENTRY_COUNT;
}

// The answer of a message box nobody saw: the one that commits to nothing.
LRESULT unseenAnswer(DWORD type)
{
    switch (type & MB_TYPEMASK) {
    case MB_OK:
        return IDOK;
    case MB_YESNO:
        return IDNO;
    default:
        return IDCANCEL;
    }
}

bool isTrue(const VARIANT* value)
{
    if (!value)
        return false;
    if (V_VT(value) == VT_BOOL)
        return V_BOOL(value) != VARIANT_FALSE;
    return V_VT(value) == (VT_BOOL | VT_BYREF) && V_BOOLREF(value) && *V_BOOLREF(value) != VARIANT_FALSE;
}

} // namespace

bool WebBrowserHost::lockProcess()
{
    static const bool locked = [] {
        // Namespace handlers rather than the security manager alone: they sit below every request
        // the process makes, also those no security manager is asked about (an image, a style
        // sheet, a redirect followed inside the HTTP layer, urlmon's own calls).
        IInternetSession* session = nullptr;
        HRESULT result = CoInternetGetSession(0, &session, 0);
        if (FAILED(result)) {
            qCWarning(lcWeb) << "no Internet session: schemes off the web are not locked" << Qt::hex << ulong(result);
            return false;
        }
        static RefusingProtocolFactory factory;
        bool all = true;
        for (const QString& scheme : PageLockdown::lockedSchemes()) {
            result = session->RegisterNameSpace(&factory, refusingProtocolId, reinterpret_cast<LPCWSTR>(scheme.utf16()),
                                                0, nullptr, 0);
            if (FAILED(result)) {
                all = false;
                qCWarning(lcWeb) << "scheme" << scheme << "not locked:" << Qt::hex << ulong(result);
            }
        }
        session->Release();
        for (const PageLockdown::FeatureSetting& setting : PageLockdown::lockedFeatures()) {
            result = CoInternetSetFeatureEnabled(systemFeature(setting.feature), SET_FEATURE_ON_PROCESS, TRUE);
            if (FAILED(result))
                qCWarning(lcWeb) << "Internet Explorer's feature" << setting.name << "not switched on:" << Qt::hex
                                 << ulong(result);
        }
        return all;
    }();
    return locked;
}

WebBrowserHost* WebBrowserHost::create(HWND parent, Client* client)
{
    // The control and everything it calls back live in a single-threaded apartment.
    APTTYPE apartment = APTTYPE_CURRENT;
    APTTYPEQUALIFIER qualifier = APTTYPEQUALIFIER_NONE;
    const HRESULT inApartment = CoGetApartmentType(&apartment, &qualifier);
    if (FAILED(inApartment) || (apartment != APTTYPE_STA && apartment != APTTYPE_MAINSTA)) {
        qCWarning(lcWeb) << "no page control: this thread is no single-threaded COM apartment (" << Qt::hex
                         << ulong(inApartment) << int(apartment) << ")";
        return nullptr;
    }
    lockProcess();
    auto* host = new WebBrowserHost(parent, client);
    if (!host->start()) {
        host->close();
        host->Release();
        return nullptr;
    }
    return host;
}

bool WebBrowserHost::start()
{
    HRESULT result = CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                      reinterpret_cast<void**>(&m_object));
    if (FAILED(result)) {
        qCWarning(lcWeb) << "the system's WebBrowser control cannot be created:" << Qt::hex << ulong(result);
        return false;
    }
    result = m_object->SetClientSite(static_cast<IOleClientSite*>(this));
    // The site's ambient download control is read again when the control is told it changed.
    IOleControl* control = nullptr;
    if (SUCCEEDED(result) && SUCCEEDED(m_object->QueryInterface(IID_IOleControl, reinterpret_cast<void**>(&control)))) {
        if (const HRESULT told = control->OnAmbientPropertyChange(DISPID_AMBIENT_DLCONTROL); FAILED(told))
            qCWarning(lcWeb) << "the control was not told its download control:" << Qt::hex << ulong(told);
        control->Release();
    }
    RECT area;
    GetClientRect(m_parent, &area);
    if (SUCCEEDED(result))
        result =
            m_object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(this), 0, m_parent, &area);
    if (SUCCEEDED(result))
        result = m_object->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&m_browser));
    if (FAILED(result)) {
        qCWarning(lcWeb) << "the WebBrowser control cannot be embedded:" << Qt::hex << ulong(result);
        return false;
    }
    // No script-error dialogs (possible only once activated: E_FAIL without a frame). Script
    // errors are dropped through IOleCommandTarget as well.
    if (const HRESULT silent = m_browser->put_Silent(VARIANT_TRUE); FAILED(silent))
        qCWarning(lcWeb) << "the control was not made silent:" << Qt::hex << ulong(silent);
    m_browser->put_RegisterAsDropTarget(VARIANT_FALSE);
    IConnectionPointContainer* points = nullptr;
    result = m_browser->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&points));
    if (SUCCEEDED(result)) {
        result = points->FindConnectionPoint(DIID_DWebBrowserEvents2, &m_events);
        points->Release();
    }
    if (SUCCEEDED(result))
        result = m_events->Advise(&m_sink, &m_cookie);
    if (FAILED(result)) {
        // Without its events no navigation could be checked: no page at all then.
        qCWarning(lcWeb) << "the WebBrowser control's events are not available:" << Qt::hex << ulong(result);
        return false;
    }
    return true;
}

HRESULT WebBrowserHost::navigate(const QString& address)
{
    if (!m_browser)
        return E_UNEXPECTED;
    BSTR url = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(address.utf16()), UINT(address.size()));
    VARIANT empty;
    VariantInit(&empty);
    const HRESULT result = m_browser->Navigate(url, &empty, &empty, &empty, &empty);
    SysFreeString(url);
    if (FAILED(result))
        qCInfo(lcWeb) << "the WebBrowser control did not start loading" << address << Qt::hex << ulong(result);
    return result;
}

void WebBrowserHost::fitToParent()
{
    IOleInPlaceObject* inPlace = nullptr;
    if (!m_object || FAILED(m_object->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace))))
        return;
    // The window's own client area, in device pixels whatever the monitor's scale.
    RECT area;
    GetClientRect(m_parent, &area);
    inPlace->SetObjectRects(&area, &area);
    inPlace->Release();
}

bool WebBrowserHost::translateAccelerator(MSG* message)
{
    IOleInPlaceActiveObject* active = nullptr;
    if (!m_object || FAILED(m_object->QueryInterface(IID_IOleInPlaceActiveObject, reinterpret_cast<void**>(&active))))
        return false;
    const bool used = active->TranslateAccelerator(message) == S_OK;
    active->Release();
    return used;
}

HWND WebBrowserHost::controlWindow() const
{
    IOleInPlaceObject* inPlace = nullptr;
    HWND window = nullptr;
    if (m_object && SUCCEEDED(m_object->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace)))) {
        inPlace->GetWindow(&window);
        inPlace->Release();
    }
    return window;
}

QString WebBrowserHost::locationUrl() const
{
    BSTR url = nullptr;
    if (!m_browser || FAILED(m_browser->get_LocationURL(&url)) || !url)
        return {};
    const QString address = QString::fromWCharArray(url, int(SysStringLen(url)));
    SysFreeString(url);
    return address;
}

void WebBrowserHost::close()
{
    m_client = nullptr;
    if (m_events) {
        m_events->Unadvise(m_cookie);
        m_events->Release();
        m_events = nullptr;
    }
    if (m_browser) {
        m_browser->Stop();
        m_browser->Release();
        m_browser = nullptr;
    }
    if (!m_object)
        return;
    IOleInPlaceObject* inPlace = nullptr;
    if (SUCCEEDED(m_object->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace)))) {
        inPlace->InPlaceDeactivate();
        inPlace->Release();
    }
    m_object->Close(OLECLOSE_NOSAVE);
    m_object->SetClientSite(nullptr);
    // With a request in flight the control lives on a while; it holds nothing of ours any more.
    m_object->Release();
    m_object = nullptr;
}

STDMETHODIMP WebBrowserHost::QueryInterface(REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (riid == IID_IUnknown || riid == IID_IOleClientSite)
        *object = static_cast<IOleClientSite*>(this);
    else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite)
        *object = static_cast<IOleInPlaceSite*>(this);
    else if (riid == IID_IOleInPlaceFrame || riid == IID_IOleInPlaceUIWindow)
        *object = static_cast<IOleInPlaceFrame*>(this);
    else if (riid == IID_IDocHostUIHandler)
        *object = static_cast<IDocHostUIHandler*>(this);
    else if (riid == __uuidof(IDocHostShowUI))
        *object = static_cast<IDocHostShowUI*>(this);
    else if (riid == IID_IOleCommandTarget)
        *object = static_cast<IOleCommandTarget*>(this);
    else if (riid == IID_IServiceProvider)
        *object = static_cast<IServiceProvider*>(this);
    else if (riid == IID_IDispatch) // the site's ambient properties
        return m_ambient.QueryInterface(riid, object);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) WebBrowserHost::AddRef()
{
    return ++m_refs;
}

STDMETHODIMP_(ULONG) WebBrowserHost::Release()
{
    const ULONG left = --m_refs;
    if (left == 0)
        delete this;
    return left;
}

STDMETHODIMP WebBrowserHost::GetContainer(IOleContainer** container)
{
    *container = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP WebBrowserHost::GetWindow(HWND* window)
{
    *window = m_parent;
    return S_OK;
}

STDMETHODIMP WebBrowserHost::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                              LPRECT clip, LPOLEINPLACEFRAMEINFO info)
{
    *frame = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
    *document = nullptr;
    GetClientRect(m_parent, position);
    GetClientRect(m_parent, clip);
    info->cb = sizeof(OLEINPLACEFRAMEINFO);
    info->fMDIApp = FALSE;
    info->hwndFrame = m_parent;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
}

STDMETHODIMP WebBrowserHost::GetHostInfo(DOCHOSTUIINFO* info)
{
    info->cbSize = sizeof(DOCHOSTUIINFO);
    // Redirects are asked about like any navigation (BeforeNavigate2); the control scales pages for the
    // monitor (the process is per-monitor aware); no protocol of a page's own; local machine checks on.
    info->dwFlags = DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_DISABLE_HELP_MENU |
                    DOCHOSTUIFLAG_ENABLE_REDIRECT_NOTIFICATION | DOCHOSTUIFLAG_DPI_AWARE |
                    DOCHOSTUIFLAG_DISABLE_UNTRUSTEDPROTOCOL | DOCHOSTUIFLAG_LOCAL_MACHINE_ACCESS_CHECK;
    info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
    return S_OK;
}

STDMETHODIMP WebBrowserHost::GetOptionKeyPath(LPOLESTR* key, DWORD)
{
    *key = nullptr;
    return S_FALSE;
}

STDMETHODIMP WebBrowserHost::GetExternal(IDispatch** external)
{
    // Scripts of a page get no window.external of ours.
    *external = nullptr;
    return S_FALSE;
}

STDMETHODIMP WebBrowserHost::TranslateUrl(DWORD, LPWSTR, LPWSTR* out)
{
    *out = nullptr;
    return S_FALSE;
}

STDMETHODIMP WebBrowserHost::FilterDataObject(IDataObject*, IDataObject** out)
{
    *out = nullptr;
    return S_FALSE;
}

STDMETHODIMP WebBrowserHost::ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*)
{
    return m_client && m_client->contextMenuAllowed() ? S_FALSE : S_OK;
}

bool WebBrowserHost::swallowsKey(const MSG* message) const
{
    if (!message || (message->message != WM_KEYDOWN && message->message != WM_SYSKEYDOWN))
        return false;
    const PageLockdown::Key key{int(message->wParam), GetKeyState(VK_CONTROL) < 0, GetKeyState(VK_SHIFT) < 0,
                                GetKeyState(VK_MENU) < 0};
    return PageLockdown::keyUse(key, m_client && m_client->contextMenuAllowed()) == PageLockdown::KeyUse::Swallow;
}

STDMETHODIMP WebBrowserHost::TranslateAccelerator(LPMSG message, WORD)
{
    return swallowsKey(message) ? S_OK : S_FALSE;
}

STDMETHODIMP WebBrowserHost::TranslateAccelerator(LPMSG message, const GUID*, DWORD)
{
    // S_OK: taken by the host, so the control neither opens its dialog nor reloads.
    return swallowsKey(message) ? S_OK : S_FALSE;
}

STDMETHODIMP WebBrowserHost::ShowMessage(HWND, LPOLESTR text, LPOLESTR, DWORD type, LPOLESTR, DWORD, LRESULT* result)
{
    // alert() and confirm() of a page from the network: no box over our window; confirm is answered
    // "Cancel". (prompt() is blocked by the process feature for input prompts.)
    qCInfo(lcWeb) << "dropped a message box of the page:" << fromWide(text).left(200);
    if (result)
        *result = unseenAnswer(type);
    return S_OK;
}

STDMETHODIMP WebBrowserHost::ShowHelp(HWND, LPOLESTR, UINT, DWORD, POINT, IDispatch*)
{
    return S_OK; // shown by us: nothing
}

STDMETHODIMP WebBrowserHost::QueryStatus(const GUID*, ULONG, OLECMD[], OLECMDTEXT*)
{
    return OLECMDERR_E_UNKNOWNGROUP;
}

STDMETHODIMP WebBrowserHost::Exec(const GUID* group, DWORD command, DWORD, VARIANT*, VARIANT* out)
{
    if (group && *group == docHostCommandGroup) {
        switch (command) {
        case OLECMDID_SHOWSCRIPTERROR:
            // No dialog; the page's scripts go on running.
            qCInfo(lcWeb) << "dropped a script error of the page";
            if (out) {
                VariantClear(out);
                V_VT(out) = VT_BOOL;
                V_BOOL(out) = VARIANT_TRUE;
            }
            return S_OK;
        case OLECMDID_SHOWMESSAGE:
        case OLECMDID_SHOWFIND:
        case OLECMDID_SHOWPAGESETUP:
        case OLECMDID_SHOWPRINT:
            qCInfo(lcWeb) << "refused a dialog of the control:" << command;
            return S_OK;
        default:
            return OLECMDERR_E_NOTSUPPORTED;
        }
    }
    if (!group) {
        switch (command) {
        case OLECMDID_PRINT:
        case OLECMDID_PRINTPREVIEW:
        case OLECMDID_PAGESETUP:
        case OLECMDID_PROPERTIES:
        case OLECMDID_PRINT2:
        case OLECMDID_PRINTPREVIEW2:
            qCInfo(lcWeb) << "refused printing or a dialog of the page:" << command;
            return S_OK;
        default:
            return OLECMDERR_E_NOTSUPPORTED;
        }
    }
    return OLECMDERR_E_UNKNOWNGROUP;
}

STDMETHODIMP WebBrowserHost::QueryService(REFGUID service, REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (service == SID_SInternetSecurityManager)
        return m_security.QueryInterface(riid, object);
    return E_NOINTERFACE;
}

STDMETHODIMP WebBrowserHost::Ambient::GetTypeInfoCount(UINT* count)
{
    *count = 0;
    return S_OK;
}

STDMETHODIMP WebBrowserHost::Ambient::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                             UINT*)
{
    if (id != DISPID_AMBIENT_DLCONTROL || !result)
        return DISP_E_MEMBERNOTFOUND;
    // Images, video and sound as usual; no ActiveX downloaded or run, no Java, no binary behaviours,
    // and nothing shown to the user while a page loads.
    V_VT(result) = VT_I4;
    V_I4(result) = DLCTL_DLIMAGES | DLCTL_VIDEOS | DLCTL_BGSOUNDS | DLCTL_NO_JAVA | DLCTL_NO_DLACTIVEXCTLS |
                   DLCTL_NO_RUNACTIVEXCTLS | DLCTL_NO_BEHAVIORS | DLCTL_SILENT;
    return S_OK;
}

STDMETHODIMP WebBrowserHost::SecurityManager::ProcessUrlAction(LPCWSTR url, DWORD action, BYTE* policy, DWORD size,
                                                               BYTE*, DWORD, DWORD, DWORD)
{
    const QString address = fromWide(url);
    const QString scheme = address.left(std::max<qsizetype>(address.indexOf(u':'), 0));
    const PageLockdown::UrlPolicy decided = PageLockdown::urlActionPolicy(scheme, action);
    if (decided == PageLockdown::UrlPolicy::ZoneDefault)
        return INET_E_DEFAULT_ACTION;
    if (!policy || size < sizeof(DWORD))
        return E_INVALIDARG;
    DWORD answer = URLPOLICY_DISALLOW;
    if (decided == PageLockdown::UrlPolicy::AnonymousOnly)
        answer = URLPOLICY_CREDENTIALS_ANONYMOUS_ONLY;
    else if (action >= URLACTION_JAVA_MIN && action <= URLACTION_JAVA_MAX)
        answer = URLPOLICY_JAVA_PROHIBIT;
    *reinterpret_cast<DWORD*>(policy) = answer;
    return decided == PageLockdown::UrlPolicy::AnonymousOnly ? S_OK : S_FALSE;
}

bool WebBrowserHost::isTopLevel(const VARIANT& sender) const
{
    if (V_VT(&sender) != VT_DISPATCH || !V_DISPATCH(&sender))
        return true; // no sender named: the page itself
    return identity(V_DISPATCH(&sender)) == identity(m_browser);
}

void WebBrowserHost::beforeNavigate(DISPPARAMS* parameters)
{
    // (pDisp, URL, Flags, TargetFrameName, PostData, Headers, Cancel)
    // Asked for the page, each of its frames, and (with redirect notification) each redirect.
    const QString address = stringArgument(parameters, 1);
    if (!allows(address)) {
        setCancel(parameters, 6);
        return;
    }
    m_navigationAsked = true;
    if (const VARIANT* sender = argument(parameters, 0); sender && isTopLevel(*sender))
        m_loading = true;
}

bool WebBrowserHost::addressReached(DISPPARAMS* parameters)
{
    // (pDisp, URL): the address the page or a frame ended at, after whatever redirects.
    return keepsAddress(stringArgument(parameters, 1));
}

bool WebBrowserHost::keepsAddress(const QString& address)
{
    if (!m_client || address.isEmpty() || allows(address))
        return true;
    qCWarning(lcWeb) << "a page reached a refused address, shown blank instead:" << address;
    if (m_browser)
        m_browser->Stop();
    navigate(QStringLiteral("about:blank"));
    return false;
}

void WebBrowserHost::newWindow(DISPPARAMS* parameters, bool withAddress)
{
    // NewWindow2 (ppDisp, Cancel); NewWindow3 (ppDisp, Cancel, dwFlags, bstrUrlContext, bstrUrl)
    setCancel(parameters, 1);
    if (m_client)
        m_client->newWindowRefused(withAddress ? stringArgument(parameters, 4) : QString());
}

void WebBrowserHost::loadEnded(DISPPARAMS* parameters, bool ok)
{
    // DocumentComplete (pDisp, URL); NavigateError (pDisp, URL, Frame, StatusCode, Cancel)
    const VARIANT* sender = argument(parameters, 0);
    const bool topLevel = sender && isTopLevel(*sender);
    if (!ok) {
        // No error page of the control's own (a res: address), for the page or any frame: the frame
        // stays as it was.
        setCancel(parameters, 4);
        const VARIANT* status = argument(parameters, 3);
        qCInfo(lcWeb) << (topLevel ? "page not loaded:" : "frame not loaded:") << stringArgument(parameters, 1)
                      << "status" << Qt::hex << (status && V_VT(status) == VT_I4 ? ulong(V_I4(status)) : 0ul);
    }
    if (m_loading && topLevel) {
        m_loading = false;
        m_reloading = false;
        if (m_client)
            m_client->loadEnded(ok);
    }
    // A redirect the control followed without asking (it only moved its address) may end here.
    if (!ok)
        keepsAddress(locationUrl());
}

void WebBrowserHost::downloadBegins()
{
    // A reload (a script's location.reload(), the control's own refresh) fires no BeforeNavigate2
    // and no DocumentComplete for the page: only its download tells it began and ended.
    m_reloading = !m_loading && !m_navigationAsked;
}

void WebBrowserHost::downloadEnds()
{
    m_navigationAsked = false;
    if (!keepsAddress(locationUrl()))
        return;
    if (!std::exchange(m_reloading, false) || m_loading)
        return;
    if (m_client)
        m_client->loadEnded(true);
}

STDMETHODIMP WebBrowserHost::EventSink::GetTypeInfoCount(UINT* count)
{
    *count = 0;
    return S_OK;
}

STDMETHODIMP WebBrowserHost::EventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parameters, VARIANT*,
                                               EXCEPINFO*, UINT*)
{
    // The client may close the host from inside a callback: it stays alive until this call ends.
    m_host->AddRef();
    switch (id) {
    case DISPID_BEFORENAVIGATE2:
        m_host->beforeNavigate(parameters);
        break;
    case DISPID_NEWWINDOW2:
        m_host->newWindow(parameters, false);
        break;
    case DISPID_NEWWINDOW3:
        m_host->newWindow(parameters, true);
        break;
    case DISPID_NAVIGATECOMPLETE2:
        m_host->addressReached(parameters);
        break;
    case DISPID_DOCUMENTCOMPLETE:
        if (m_host->addressReached(parameters)) // else the empty page's load ends it
            m_host->loadEnded(parameters, true);
        break;
    case DISPID_FILEDOWNLOAD:
        // (ActiveDocument, Cancel): the page's own document passes; anything else would offer the
        // user to run or save a file.
        if (!isTrue(argument(parameters, 0))) {
            qCInfo(lcWeb) << "refused a download of the page";
            setCancel(parameters, 1);
        }
        break;
    case DISPID_WINDOWCLOSING:
        // (IsChildWindow, Cancel): a page never closes the control it is shown in.
        qCInfo(lcWeb) << "refused window.close() of the page";
        setCancel(parameters, 1);
        break;
    case DISPID_DOWNLOADBEGIN:
        m_host->downloadBegins();
        break;
    case DISPID_DOWNLOADCOMPLETE:
        m_host->downloadEnds();
        break;
    case DISPID_NAVIGATEERROR:
        m_host->loadEnded(parameters, false);
        break;
    default:
        break;
    }
    m_host->Release();
    return S_OK;
}
