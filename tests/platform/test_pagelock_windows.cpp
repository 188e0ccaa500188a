// The Windows page control locked down: the host's answers as the control asks for them, the
// process's protocol lock seen through urlmon, and the real control against a local site (Wine has
// no Gecko: pages download but never render, so what a page would do is driven through the host).
#include "localhttpserver.h"
#include "platform/webbrowserhost_win.h"
#include "platform/webengine.h"
#include "platform/webengineloader.h"
#include "platform/webview.h"
#include "testmain.h"
#include "testsupport.h"

#include <QAbstractEventDispatcher>
#include <QDir>
#include <QDirIterator>
#include <QLoggingCategory>
#include <QPointer>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

// clang-format off
#include <windows.h>
#include <shlobj.h>
#include <urlmon.h>
// clang-format on

#include <atomic>
#include <cstring>
#include <vector>

namespace {

class RecordingClient final : public WebBrowserHost::Client {
public:
    bool allowNavigation(const QString& address) override
    {
        const QUrl url(address);
        return url.scheme() == u"http" || url.scheme() == u"https" || address == u"about:blank";
    }
    void newWindowRefused(const QString&) override {}
    void loadEnded(bool ok) override { ends.push_back(ok); }
    bool contextMenuAllowed() const override { return menu; }

    std::vector<bool> ends;
    bool menu = false;
};

// Calls the host's event sink as the control does: arguments given first to last.
HRESULT sendEvent(WebBrowserHost* host, DISPID id, std::vector<VARIANT> arguments)
{
    std::reverse(arguments.begin(), arguments.end()); // the control passes them last first
    DISPPARAMS parameters = {arguments.data(), nullptr, UINT(arguments.size()), 0};
    return host->events()->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &parameters, nullptr, nullptr, nullptr);
}

template <class T> VARIANT variant(VARTYPE type, T value)
{
    VARIANT v;
    V_VT(&v) = type;
    std::memcpy(&V_I8(&v), &value, sizeof value); // every member starts at the same place
    return v;
}

template <class Interface> Interface* ask(WebBrowserHost* host, REFIID id)
{
    void* object = nullptr;
    return SUCCEEDED(static_cast<IOleClientSite*>(host)->QueryInterface(id, &object)) ? static_cast<Interface*>(object)
                                                                                      : nullptr;
}

// Holds Ctrl (or not) in the thread's keyboard state, as GetKeyState reads it.
void holdControl(bool down)
{
    BYTE state[256];
    GetKeyboardState(state);
    state[VK_CONTROL] = down ? 0x80 : 0;
    SetKeyboardState(state);
}

MSG keyDown(HWND window, WPARAM key)
{
    MSG message = {};
    message.hwnd = window;
    message.message = WM_KEYDOWN;
    message.wParam = key;
    return message;
}

HWND innermostWindow(QWidget* view)
{
    HWND window = reinterpret_cast<HWND>(view->winId());
    while (HWND child = GetWindow(window, GW_CHILD))
        window = child;
    return window;
}

} // namespace

class TestPageLock : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { QLoggingCategory::setFilterRules(QStringLiteral("quvo.web.info=true")); }
    void cleanup() { QLoggingCategory::setFilterRules({}); }
    void hostAnswersAsTheControlAsks();
    void processRefusesLocalSchemesThroughUrlmon();
    void redirectsOffTheWebAndAttachmentsGetNowhere();
    void controlShortcutsDroppedAndLoadEndsQueued();
};

void TestPageLock::hostAnswersAsTheControlAsks()
{
    QWidget window;
    window.resize(200, 100);
    RecordingClient client;
    WebBrowserHost* host = WebBrowserHost::create(reinterpret_cast<HWND>(window.winId()), &client);
    QVERIFY(host);
    const auto done = qScopeGuard([&] {
        host->close();
        host->Release();
    });

    // alert() and confirm(): no box, confirm answered "Cancel".
    IDocHostShowUI* showUi = ask<IDocHostShowUI>(host, __uuidof(IDocHostShowUI));
    QVERIFY(showUi);
    LRESULT answer = 0;
    wchar_t message[] = L"pay here";
    QTest::ignoreMessage(QtInfoMsg,
                         QRegularExpression(QStringLiteral("dropped a message box of the page: .*pay here")));
    QCOMPARE(showUi->ShowMessage(nullptr, message, nullptr, MB_OKCANCEL, nullptr, 0, &answer), S_OK);
    QCOMPARE(answer, LRESULT(IDCANCEL));
    showUi->Release();

    // Script errors dropped with the scripts running on; print and the control's dialogs refused.
    IOleCommandTarget* commands = ask<IOleCommandTarget>(host, IID_IOleCommandTarget);
    QVERIFY(commands);
    VARIANT goOn;
    VariantInit(&goOn);
    QTest::ignoreMessage(QtInfoMsg, "dropped a script error of the page");
    QCOMPARE(commands->Exec(&docHostCommandGroup, OLECMDID_SHOWSCRIPTERROR, 0, nullptr, &goOn), S_OK);
    QCOMPARE(V_VT(&goOn), VT_BOOL);
    QCOMPARE(V_BOOL(&goOn), VARIANT_TRUE);
    QTest::ignoreMessage(QtInfoMsg, QRegularExpression(QStringLiteral("refused printing")));
    QCOMPARE(commands->Exec(nullptr, OLECMDID_PRINT, 0, nullptr, nullptr), S_OK);
    commands->Release();

    // The page's menu, however asked for: refused unless the view keeps it.
    IDocHostUIHandler* ui = ask<IDocHostUIHandler>(host, IID_IDocHostUIHandler);
    QVERIFY(ui);
    QCOMPARE(ui->ShowContextMenu(CONTEXT_MENU_DEFAULT, nullptr, nullptr, nullptr), S_OK);
    client.menu = true;
    QCOMPARE(ui->ShowContextMenu(CONTEXT_MENU_DEFAULT, nullptr, nullptr, nullptr), S_FALSE);
    client.menu = false;
    // The control's shortcuts taken by the host before the control acts on them; typing passes.
    holdControl(true);
    MSG open = keyDown(nullptr, 'O');
    QCOMPARE(ui->TranslateAccelerator(&open, nullptr, 0), S_OK);
    holdControl(false);
    MSG typed = keyDown(nullptr, 'O');
    QCOMPARE(ui->TranslateAccelerator(&typed, nullptr, 0), S_FALSE);
    ui->Release();

    // Ambient download control: no ActiveX, Java or binary behaviours, silent.
    IDispatch* ambient = ask<IDispatch>(host, IID_IDispatch);
    QVERIFY(ambient);
    VARIANT control;
    VariantInit(&control);
    DISPPARAMS none = {};
    QCOMPARE(
        ambient->Invoke(DISPID_AMBIENT_DLCONTROL, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &control, nullptr, nullptr),
        S_OK);
    const LONG refused =
        DLCTL_NO_RUNACTIVEXCTLS | DLCTL_NO_DLACTIVEXCTLS | DLCTL_NO_JAVA | DLCTL_NO_BEHAVIORS | DLCTL_SILENT;
    QCOMPARE(V_I4(&control) & refused, refused);
    ambient->Release();

    // The security manager the control finds through the site.
    IServiceProvider* services = ask<IServiceProvider>(host, IID_IServiceProvider);
    QVERIFY(services);
    IInternetSecurityManager* security = nullptr;
    QCOMPARE(services->QueryService(SID_SInternetSecurityManager, IID_IInternetSecurityManager,
                                    reinterpret_cast<void**>(&security)),
             S_OK);
    services->Release();
    DWORD policy = URLPOLICY_ALLOW;
    QCOMPARE(security->ProcessUrlAction(L"http://127.0.0.1/a", URLACTION_ACTIVEX_RUN, reinterpret_cast<BYTE*>(&policy),
                                        sizeof policy, nullptr, 0, 0, 0),
             S_FALSE);
    QCOMPARE(policy, DWORD(URLPOLICY_DISALLOW));
    QCOMPARE(security->ProcessUrlAction(L"http://127.0.0.1/a", URLACTION_SCRIPT_RUN, reinterpret_cast<BYTE*>(&policy),
                                        sizeof policy, nullptr, 0, 0, 0),
             INET_E_DEFAULT_ACTION);
    security->Release();

    // Events: a download that is not the page itself, and window.close(), cancelled.
    VARIANT_BOOL cancel = VARIANT_FALSE;
    QTest::ignoreMessage(QtInfoMsg, "refused a download of the page");
    sendEvent(host, DISPID_FILEDOWNLOAD, {variant(VT_BOOL, VARIANT_FALSE), variant(VT_BOOL | VT_BYREF, &cancel)});
    QCOMPARE(cancel, VARIANT_TRUE);
    cancel = VARIANT_FALSE;
    sendEvent(host, DISPID_FILEDOWNLOAD, {variant(VT_BOOL, VARIANT_TRUE), variant(VT_BOOL | VT_BYREF, &cancel)});
    QCOMPARE(cancel, VARIANT_FALSE);
    QTest::ignoreMessage(QtInfoMsg, "refused window.close() of the page");
    sendEvent(host, DISPID_WINDOWCLOSING, {variant(VT_BOOL, VARIANT_FALSE), variant(VT_BOOL | VT_BYREF, &cancel)});
    QCOMPARE(cancel, VARIANT_TRUE);

    // A frame's failed load shows no error page of the control's.
    cancel = VARIANT_FALSE;
    BSTR frameAddress = SysAllocString(L"http://127.0.0.1:9/frame.htm");
    QTest::ignoreMessage(QtInfoMsg, QRegularExpression(QStringLiteral("frame not loaded: .*frame.htm")));
    sendEvent(host, DISPID_NAVIGATEERROR,
              {variant(VT_DISPATCH, ambient), variant(VT_BSTR, frameAddress), variant(VT_BSTR, BSTR()),
               variant(VT_I4, LONG(INET_E_RESOURCE_NOT_FOUND)), variant(VT_BOOL | VT_BYREF, &cancel)});
    QCOMPARE(cancel, VARIANT_TRUE);
    QVERIFY(client.ends.empty()); // a frame ends no page load

    // A reload (no BeforeNavigate2) ends with a load end like any other load.
    sendEvent(host, DISPID_DOWNLOADBEGIN, {});
    sendEvent(host, DISPID_DOWNLOADCOMPLETE, {});
    QCOMPARE(client.ends, std::vector<bool>{true});

    // An address reached after a redirect the control did not ask about: replaced by about:blank.
    BSTR local = SysAllocString(L"file://attacker.example/share/x.png");
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression(QStringLiteral("reached a refused address.*file://attacker.example")));
    sendEvent(host, DISPID_NAVIGATECOMPLETE2,
              {variant(VT_DISPATCH, static_cast<IDispatch*>(nullptr)), variant(VT_BSTR, local)});
    QCOMPARE(host->locationUrl(), QStringLiteral("about:blank"));

    SysFreeString(frameAddress);
    SysFreeString(local);
}

void TestPageLock::processRefusesLocalSchemesThroughUrlmon()
{
    LocalHttpServer site;
    site.server.Get("/plain.txt", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("loopback page", "text/plain");
    });
    site.start();
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); // Qt's thread is one already: S_FALSE
    QVERIFY(WebBrowserHost::lockProcess());

    const auto read = [](const QString& address) -> QByteArray {
        IStream* stream = nullptr;
        const HRESULT result =
            URLOpenBlockingStreamW(nullptr, reinterpret_cast<LPCWSTR>(address.utf16()), &stream, 0, nullptr);
        if (FAILED(result) || !stream)
            return {};
        char buffer[64];
        ULONG got = 0;
        stream->Read(buffer, sizeof buffer, &got);
        stream->Release();
        return QByteArray(buffer, int(got)).append('\0'); // readable also when empty
    };
    // win.ini exists in every prefix: without the lock this reads it.
    for (const char* address : {"file:///C:/windows/win.ini", "res://shdoclc.dll/navcancl.htm",
                                "mk:@MSITStore:C:\\x.chm::/a.htm", "ms-its:C:\\windows\\x.chm::/a.htm"}) {
        QTest::ignoreMessage(QtInfoMsg, QRegularExpression(QStringLiteral("refused a request of the process for")));
        QVERIFY2(read(QString::fromLatin1(address)).isEmpty(), address);
    }
    QVERIFY(read(QString::fromLatin1(site.url("/plain.txt"))).startsWith("loopback page"));
}

void TestPageLock::redirectsOffTheWebAndAttachmentsGetNowhere()
{
    std::atomic<int> attachments = 0;
    std::atomic<int> redirects = 0;
    LocalHttpServer site;
    site.server.Get("/to-file", [&](const httplib::Request&, httplib::Response& response) {
        ++redirects;
        response.set_redirect("file:///C:/windows/win.ini");
    });
    site.server.Get("/to-scheme", [&](const httplib::Request&, httplib::Response& response) {
        ++redirects;
        response.set_redirect("quvo-test://run/this");
    });
    site.server.Get("/setup.exe", [&](const httplib::Request&, httplib::Response& response) {
        ++attachments;
        response.set_header("Content-Disposition", "attachment; filename=\"quvo-attached.exe\"");
        response.set_content(std::string("MZ") + std::string(4096, '\x90'), "application/octet-stream");
    });
    site.start();

    const auto ourWindows = [] {
        int count = 0;
        EnumWindows(
            [](HWND window, LPARAM counter) -> BOOL {
                DWORD process = 0;
                GetWindowThreadProcessId(window, &process);
                if (process == GetCurrentProcessId() && IsWindowVisible(window))
                    ++*reinterpret_cast<int*>(counter);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&count));
        return count;
    };

    WebView page;
    page.resize(300, 200);
    page.show();
    QSignalSpy ended(&page, &WebView::loadFinished);
    const int windowsBefore = ourWindows();

    // A page that redirects off the web: the load ends, and neither a window nor a file comes of it.
    // Wine's control reports the 302 itself as a failed load and never follows it, so the address checks a
    // followed redirect meets are driven through the host's interfaces in hostAnswersAsTheControlAsks.
    page.navigate(QString::fromLatin1(site.url("/to-file")));
    QTRY_COMPARE_WITH_TIMEOUT(redirects.load(), 1, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(ended.count() >= 1, 20000);
    page.navigate(QString::fromLatin1(site.url("/to-scheme")));
    QTRY_COMPARE_WITH_TIMEOUT(redirects.load(), 2, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(ended.count() >= 2, 20000);

    // An attachment: fetched by the control, but no file and no window come of it.
    page.navigate(QString::fromLatin1(site.url("/setup.exe")));
    QTRY_COMPARE_WITH_TIMEOUT(attachments.load(), 1, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(ended.count() >= 3, 20000);
    QCOMPARE(ourWindows(), windowsBefore);
    PWSTR profile = nullptr;
    QVERIFY(SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Profile, 0, nullptr, &profile)));
    const QString home = QString::fromWCharArray(profile);
    CoTaskMemFree(profile);
    QDirIterator files(home, {QStringLiteral("quvo-attached*")}, QDir::Files, QDirIterator::Subdirectories);
    QVERIFY2(!files.hasNext(), qPrintable(files.hasNext() ? files.next() : QString()));
}

void TestPageLock::controlShortcutsDroppedAndLoadEndsQueued()
{
    LocalHttpServer site;
    site.server.Get("/page.htm", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("<html><body>x</body></html>", "text/html");
    });
    site.start();
    auto* page = new WebView;
    page->setRightClickBlocked(true);
    page->resize(300, 200);
    page->show();
    QPointer<WebView> alive(page);
    // A slot that closes the view as its load ends (Wine's control ends every load with an error).
    connect(page, &WebView::loadFinished, page, [page] { delete page; });
    page->navigate(QString::fromLatin1(site.url("/page.htm")));
    QVERIFY(page->engineView());

    // Keys aimed at the control, handed to the program's native filter as the system delivers them.
    const HWND control = innermostWindow(page->engineView());
    QVERIFY(control != reinterpret_cast<HWND>(page->engineView()->winId()));
    const auto filtered = [control](WPARAM key, bool ctrl) {
        holdControl(ctrl);
        MSG message = keyDown(control, key);
        qintptr result = 0;
        const bool dropped =
            QAbstractEventDispatcher::instance()->filterNativeEvent("windows_generic_MSG", &message, &result);
        holdControl(false);
        return dropped;
    };
    QVERIFY(filtered('O', true)); // Open dialog
    QVERIFY(filtered('P', true)); // print
    QVERIFY(filtered(VK_F5, false));
    QVERIFY(filtered(VK_APPS, false)); // the page's menu, refused in this view
    QTRY_VERIFY_WITH_TIMEOUT(alive.isNull(), 20000);
}

QUVO_TEST_MAIN(TestPageLock)
#include "test_pagelock_windows.moc"
