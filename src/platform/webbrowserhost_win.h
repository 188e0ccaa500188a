#pragma once

// clang-format off: windows.h comes before the OLE headers
#include <exdisp.h>
#include <exdispid.h>
#include <mshtmhst.h>
#include <ole2.h>
#include <oleidl.h>
#include <windows.h>
// clang-format on

#include <QSize>
#include <QString>

#include <atomic>

// The system's WebBrowser control (CLSID_WebBrowser) hosted in a native window: a small OLE
// container of our own. One object is the control's client site (IOleClientSite, in-place site and
// frame, IDocHostUIHandler) and, through a member, its DWebBrowserEvents2 sink. It is reference
// counted like any COM object: the control may hold it a while after close(), so everything it
// tells its client goes through close()'s cut-off.
// COM's interfaces have no virtual destructor by design: an object ends in its own Release (here
// `delete this` on the final class), never by a delete through an interface pointer.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class WebBrowserHost final : public IOleClientSite,
                             public IOleInPlaceSite,
                             public IOleInPlaceFrame,
                             public IDocHostUIHandler {
public:
    // Whoever shows the control: asked about every navigation, told when a load ends.
    class Client {
    public:
        virtual ~Client() = default;
        // A navigation of the page or of one of its frames is about to start; false cancels it.
        virtual bool allowNavigation(const QString& address) = 0;
        // The page asked for a new window (always refused); address may be empty.
        virtual void newWindowRefused(const QString& address) = 0;
        // The page's load ended (DocumentComplete: true; NavigateError: false).
        virtual void loadEnded(bool ok) = 0;
    };

    // Creates the control in-place active inside parent; null (logged) when the system has none.
    // The caller owns the one reference returned and calls close() before it releases it.
    static WebBrowserHost* create(HWND parent, Client* client);

    HRESULT navigate(const QString& address);
    void resize(QSize devicePixels);
    // Offers a key message to the control (Tab, Ctrl+C, arrows); true when it used the key.
    bool translateAccelerator(MSG* message);
    // The control's own window (null before in-place activation).
    HWND controlWindow() const;
    // The address the control shows or is loading (empty before the first navigation).
    QString locationUrl() const;
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
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }
    // IDocHostUIHandler
    // The page's own menu (the music window and the strip stop right clicks before they get here).
    STDMETHODIMP ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override { return S_FALSE; }
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
    STDMETHODIMP TranslateAccelerator(LPMSG, const GUID*, DWORD) override { return S_FALSE; }
    STDMETHODIMP GetOptionKeyPath(LPOLESTR* key, DWORD) override;
    STDMETHODIMP GetDropTarget(IDropTarget*, IDropTarget**) override { return E_NOTIMPL; }
    STDMETHODIMP GetExternal(IDispatch** external) override;
    STDMETHODIMP TranslateUrl(DWORD, LPWSTR, LPWSTR* out) override;
    STDMETHODIMP FilterDataObject(IDataObject*, IDataObject** out) override;

private:
    // DWebBrowserEvents2 (a dispinterface: only Invoke matters). Lives inside the host and counts
    // its references there.
    class EventSink final : public IDispatch {
    public:
        explicit EventSink(WebBrowserHost* host) : m_host(host) {}
        STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
        STDMETHODIMP_(ULONG) AddRef() override { return m_host->AddRef(); }
        STDMETHODIMP_(ULONG) Release() override { return m_host->Release(); }
        STDMETHODIMP GetTypeInfoCount(UINT* count) override;
        STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
        STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
        STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parameters, VARIANT*, EXCEPINFO*,
                            UINT*) override;

    private:
        WebBrowserHost* m_host;
    };

    WebBrowserHost(HWND parent, Client* client) : m_parent(parent), m_client(client), m_sink(this) {}
    ~WebBrowserHost() = default;
    bool start();
    // Whether the event is about the page itself rather than one of its frames.
    bool isTopLevel(const VARIANT& sender) const;
    void beforeNavigate(DISPPARAMS* parameters);
    void newWindow(DISPPARAMS* parameters, bool withAddress);
    void loadEnded(DISPPARAMS* parameters, bool ok);

    std::atomic<ULONG> m_refs = 1;
    HWND m_parent;
    Client* m_client; // null once closed
    EventSink m_sink;
    IOleObject* m_object = nullptr;
    IWebBrowser2* m_browser = nullptr;
    IConnectionPoint* m_events = nullptr;
    DWORD m_cookie = 0;
    bool m_loading = false; // a page load has started and not yet ended
};
#pragma GCC diagnostic pop
