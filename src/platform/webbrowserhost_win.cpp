#include "platform/webbrowserhost_win.h"

#include "platform/logging.h"

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

} // namespace

WebBrowserHost* WebBrowserHost::create(HWND parent, Client* client)
{
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
    // No script-error dialogs (possible only once activated: E_FAIL without a frame).
    m_browser->put_Silent(VARIANT_TRUE);
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

void WebBrowserHost::resize(QSize devicePixels)
{
    IOleInPlaceObject* inPlace = nullptr;
    if (!m_object || FAILED(m_object->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace))))
        return;
    const RECT area = {0, 0, devicePixels.width(), devicePixels.height()};
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
    info->dwFlags = DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_DISABLE_HELP_MENU;
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

bool WebBrowserHost::isTopLevel(const VARIANT& sender) const
{
    if (V_VT(&sender) != VT_DISPATCH || !V_DISPATCH(&sender))
        return true; // no sender named: the page itself
    return identity(V_DISPATCH(&sender)) == identity(m_browser);
}

void WebBrowserHost::beforeNavigate(DISPPARAMS* parameters)
{
    // (pDisp, URL, Flags, TargetFrameName, PostData, Headers, Cancel)
    const QString address = stringArgument(parameters, 1);
    if (!m_client || !m_client->allowNavigation(address)) {
        setCancel(parameters, 6);
        return;
    }
    if (const VARIANT* sender = argument(parameters, 0); sender && isTopLevel(*sender))
        m_loading = true;
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
    if (!m_loading || !sender || !isTopLevel(*sender))
        return;
    m_loading = false;
    if (!ok) {
        // No error page of the control's own (an address of its own scheme, refused anyway).
        setCancel(parameters, 4);
        const VARIANT* status = argument(parameters, 3);
        qCInfo(lcWeb) << "page not loaded:" << stringArgument(parameters, 1) << "status" << Qt::hex
                      << (status && V_VT(status) == VT_I4 ? ulong(V_I4(status)) : 0ul);
    }
    if (m_client)
        m_client->loadEnded(ok);
}

STDMETHODIMP WebBrowserHost::EventSink::QueryInterface(REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == DIID_DWebBrowserEvents2) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
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
    case DISPID_DOCUMENTCOMPLETE:
        m_host->loadEnded(parameters, true);
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
