#pragma once

// clang-format off: windows.h comes before the OLE headers
#include <exdisp.h>
#include <exdispid.h>
#include <mshtmdid.h>
#include <mshtmhst.h>
#include <ole2.h>
#include <oleidl.h>
#include <servprov.h>
#include <urlmon.h>
#include <windows.h>
// clang-format on

#include <QSize>
#include <QString>

#include <atomic>
#include <initializer_list>

// CGID_DocHostCommandHandler: the command group of script errors and the control's dialogs (mingw-w64's
// libuuid lacks it).
inline constexpr GUID docHostCommandGroup = {
    0xf38bc242, 0xb950, 0x11d1, {0x89, 0x18, 0x00, 0xc0, 0x4f, 0xc2, 0xc8, 0x36}};

// The system's WebBrowser control (CLSID_WebBrowser) hosted in a native window: a small OLE
// container of our own. One object is the control's client site (IOleClientSite, in-place site and
// frame, IDocHostUIHandler, IDocHostShowUI, IOleCommandTarget, IServiceProvider) and, through
// members, its DWebBrowserEvents2 sink, its ambient properties and its security manager. It is
// reference counted like any COM object: the control may hold it a while after close(), so
// everything it tells its client goes through close()'s cut-off.
//
// The pages come from the network and are not trusted. Each layer below holds on its own: every
// navigation asked (redirects and frames too) and the address re-checked once reached; no download,
// no box, no print, no script-error dialog, no window.close(); ActiveX, Java and binary behaviours
// off (ambient download control and the security manager); the control's own menu refused where the
// view refuses right clicks, and its shortcuts that open dialogs or reload swallowed. The process-wide
// part (schemes refused at the protocol layer, Internet Explorer's feature controls) is lockProcess().
// COM's interfaces have no virtual destructor by design: an object ends in its own Release (here
// `delete this` on the final class), never by a delete through an interface pointer.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class WebBrowserHost final : public IOleClientSite,
                             public IOleInPlaceSite,
                             public IOleInPlaceFrame,
                             public IDocHostUIHandler,
                             public IDocHostShowUI,
                             public IOleCommandTarget,
                             public IServiceProvider {
public:
    // Whoever shows the control: asked about every navigation, told when a load ends.
    class Client {
    public:
        virtual ~Client() = default;
        // A navigation of the page or of one of its frames is about to start; false cancels it.
        virtual bool allowNavigation(const QString& address) = 0;
        // The page asked for a new window (always refused); address may be empty.
        virtual void newWindowRefused(const QString& address) = 0;
        // The page's load ended (DocumentComplete or a reload's end: true; NavigateError: false).
        virtual void loadEnded(bool ok) = 0;
        // Whether the view keeps the page's own context menu (else it is refused however asked).
        virtual bool contextMenuAllowed() const = 0;
    };

    // Before the first control: refuses every request of the process for a scheme off the web (see
    // PageLockdown::lockedSchemes) at the protocol layer, so that a page's images, scripts, frames
    // and redirects are refused as well as its navigations, and switches on Internet Explorer's
    // process features for untrusted pages. Once per process; failures are logged. False when the
    // scheme lock could not be installed.
    static bool lockProcess();

    // Creates the control in-place active inside parent; null (logged) when the system has none or
    // the calling thread is no single-threaded apartment.
    // The caller owns the one reference returned and calls close() before it releases it.
    static WebBrowserHost* create(HWND parent, Client* client);

    HRESULT navigate(const QString& address);
    // Sizes the control to the parent window's client area (device pixels, read from the window).
    void fitToParent();
    // Offers a key message to the control (Tab, Ctrl+C, arrows); true when it used the key.
    bool translateAccelerator(MSG* message);
    // Whether the key message is one of the control's own shortcuts that a page never gets (it would
    // open a dialog or window, reload, or show the refused menu); PageLockdown::keyUse decides.
    bool swallowsKey(const MSG* message) const;
    // The control's own window (null before in-place activation).
    HWND controlWindow() const;
    // The address the control shows or is loading (empty before the first navigation).
    QString locationUrl() const;
    // The DWebBrowserEvents2 sink the control calls (tests drive it as the control would).
    IDispatch* events() { return &m_sink; }
    // Orderly teardown: unadvise, stop, deactivate, close, drop the client site, release. The
    // client is never called after this, also when a request is still in flight.
    void close();

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IOleClientSite
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP GetContainer(IOleContainer** container) override;
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
    // IOleWindow (of the in-place site and the frame)
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                  LPRECT clip, LPOLEINPLACEFRAMEINFO info) override;
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
    STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
    STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
    STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }
    // IOleInPlaceUIWindow, IOleInPlaceFrame: no menus, tool bars or status bar
    STDMETHODIMP GetBorder(LPRECT) override { return E_NOTIMPL; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG message, WORD) override;
    // IDocHostUIHandler
    // The page's own menu, asked for by mouse, Apps key, Shift+F10 or touch: S_OK (shown by us, so
    // nothing) where the view refuses right clicks.
    STDMETHODIMP ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override;
    STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override;
    STDMETHODIMP ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                        IOleInPlaceUIWindow*) override
    {
        return S_OK;
    }
    STDMETHODIMP HideUI() override { return S_OK; }
    STDMETHODIMP UpdateUI() override { return S_OK; }
    STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG message, const GUID*, DWORD) override;
    STDMETHODIMP GetOptionKeyPath(LPOLESTR* key, DWORD) override;
    STDMETHODIMP GetDropTarget(IDropTarget*, IDropTarget**) override { return E_NOTIMPL; }
    STDMETHODIMP GetExternal(IDispatch** external) override;
    STDMETHODIMP TranslateUrl(DWORD, LPWSTR, LPWSTR* out) override;
    STDMETHODIMP FilterDataObject(IDataObject*, IDataObject** out) override;
    // IDocHostShowUI: alert, confirm and the control's message and help boxes
    STDMETHODIMP ShowMessage(HWND, LPOLESTR text, LPOLESTR, DWORD type, LPOLESTR, DWORD, LRESULT* result) override;
    STDMETHODIMP ShowHelp(HWND, LPOLESTR, UINT, DWORD, POINT, IDispatch*) override;
    // IOleCommandTarget: script errors, print and the control's other dialogs
    STDMETHODIMP QueryStatus(const GUID*, ULONG, OLECMD[], OLECMDTEXT*) override;
    STDMETHODIMP Exec(const GUID* group, DWORD command, DWORD, VARIANT*, VARIANT* out) override;
    // IServiceProvider: the security manager
    STDMETHODIMP QueryService(REFGUID service, REFIID riid, void** object) override;

private:
    // An inner interface of the host: counts its references there, and answers QueryInterface for
    // itself only (the control asks each for what it is).
    template <class Interface> class Inner : public Interface {
    public:
        explicit Inner(WebBrowserHost* host) : m_host(host) {}
        STDMETHODIMP_(ULONG) AddRef() override { return m_host->AddRef(); }
        STDMETHODIMP_(ULONG) Release() override { return m_host->Release(); }

    protected:
        HRESULT answer(REFIID riid, std::initializer_list<IID> ids, void** object)
        {
            if (!object)
                return E_POINTER;
            *object = nullptr;
            for (const IID& id : ids) {
                if (riid == id) {
                    *object = static_cast<Interface*>(this);
                    AddRef();
                    return S_OK;
                }
            }
            return E_NOINTERFACE;
        }
        WebBrowserHost* m_host;
    };

    // The client site's ambient properties (an IDispatch of its own, as the control asks the site
    // for one): download control.
    class Ambient final : public Inner<IDispatch> {
    public:
        using Inner::Inner;
        STDMETHODIMP QueryInterface(REFIID riid, void** object) override
        {
            return answer(riid, {IID_IUnknown, IID_IDispatch}, object);
        }
        STDMETHODIMP GetTypeInfoCount(UINT* count) override;
        STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
        STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
        STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) override;
    };

    // The control's security manager: answers URL actions by PageLockdown::urlActionPolicy and
    // leaves zones to the system.
    class SecurityManager final : public Inner<IInternetSecurityManager> {
    public:
        using Inner::Inner;
        STDMETHODIMP QueryInterface(REFIID riid, void** object) override
        {
            return answer(riid, {IID_IUnknown, IID_IInternetSecurityManager}, object);
        }
        STDMETHODIMP SetSecuritySite(IInternetSecurityMgrSite*) override { return INET_E_DEFAULT_ACTION; }
        STDMETHODIMP GetSecuritySite(IInternetSecurityMgrSite**) override { return INET_E_DEFAULT_ACTION; }
        STDMETHODIMP MapUrlToZone(LPCWSTR, DWORD*, DWORD) override { return INET_E_DEFAULT_ACTION; }
        STDMETHODIMP GetSecurityId(LPCWSTR, BYTE*, DWORD*, DWORD_PTR) override { return INET_E_DEFAULT_ACTION; }
        STDMETHODIMP ProcessUrlAction(LPCWSTR url, DWORD action, BYTE* policy, DWORD size, BYTE*, DWORD, DWORD,
                                      DWORD) override;
        STDMETHODIMP QueryCustomPolicy(LPCWSTR, REFGUID, BYTE**, DWORD*, BYTE*, DWORD, DWORD) override
        {
            return INET_E_DEFAULT_ACTION;
        }
        STDMETHODIMP SetZoneMapping(DWORD, LPCWSTR, DWORD) override { return INET_E_DEFAULT_ACTION; }
        STDMETHODIMP GetZoneMappings(DWORD, IEnumString**, DWORD) override { return INET_E_DEFAULT_ACTION; }
    };

    // DWebBrowserEvents2 (a dispinterface: only Invoke matters). Lives inside the host and counts
    // its references there.
    class EventSink final : public Inner<IDispatch> {
    public:
        using Inner::Inner;
        STDMETHODIMP QueryInterface(REFIID riid, void** object) override
        {
            return answer(riid, {IID_IUnknown, IID_IDispatch, DIID_DWebBrowserEvents2}, object);
        }
        STDMETHODIMP GetTypeInfoCount(UINT* count) override;
        STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
        STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
        STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parameters, VARIANT*, EXCEPINFO*,
                            UINT*) override;
    };

    WebBrowserHost(HWND parent, Client* client)
        : m_parent(parent), m_client(client), m_sink(this), m_ambient(this), m_security(this)
    {
    }
    ~WebBrowserHost() = default;
    bool start();
    // Whether the event is about the page itself rather than one of its frames.
    bool isTopLevel(const VARIANT& sender) const;
    bool allows(const QString& address) const { return m_client && m_client->allowNavigation(address); }
    void beforeNavigate(DISPPARAMS* parameters);
    // NavigateComplete2 and DocumentComplete: the address reached, asked again (a redirect, a frame).
    // False when it was refused: the page is stopped and replaced by about:blank.
    bool addressReached(DISPPARAMS* parameters);
    // Whether the page may stay at the address; if not it is stopped, replaced and logged.
    bool keepsAddress(const QString& address);
    void newWindow(DISPPARAMS* parameters, bool withAddress);
    void loadEnded(DISPPARAMS* parameters, bool ok);
    void downloadBegins();
    void downloadEnds();

    std::atomic<ULONG> m_refs = 1;
    HWND m_parent;
    Client* m_client; // null once closed
    EventSink m_sink;
    Ambient m_ambient;
    SecurityManager m_security;
    IOleObject* m_object = nullptr;
    IWebBrowser2* m_browser = nullptr;
    IConnectionPoint* m_events = nullptr;
    DWORD m_cookie = 0;
    bool m_loading = false;         // a page load has started and not yet ended
    bool m_navigationAsked = false; // BeforeNavigate2 came since the last download ended
    bool m_reloading = false;       // a download began without a navigation: a reload
};
#pragma GCC diagnostic pop
