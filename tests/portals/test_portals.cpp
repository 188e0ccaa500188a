// The TV button and the music and MV windows, driven as a user would drive them.
#include "app/tformmain.h"
#include "config/remoteconfiguration.h"
#include "platform/webview.h"
#include "platform/processend.h"
#include "portals/portalpages.h"
#include "portals/tformmtv.h"
#include "portals/tformmusic.h"
#include "samplesite.h"
#include "services/windowrefs.h"
#include "testsupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QIcon>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

using MessageBoxes::Answer;

class TestPortals : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void tvButton();
    void musicOpeningAndButtons();
    void closingEitherMiniMusicWindowShowsMain();
    void titleBarCloseAsksAndCancelKeepsWindow();
    void mvMiniModeFollowsItsBox();
    void mvReloadIsBuiltInAfterConfiguredPage();
    void outerSizeAndIcon_data();
    void outerSizeAndIcon();
    void alwaysOnTop_data();
    void alwaysOnTop();
    void rightClickMenuOnlyOutsideMusic();
    void closingWhileThePageLoads();
    void openWindowsEndWithTheProgram(); // last: it runs the application's own event loop

private:
    enum class PageMenu { NotLoaded, None, Shown };
    // Right-clicks the loaded page of a window and tells whether the page opened its context menu.
    PageMenu rightClickPage(PortalWindow* window, WebView* page, int waitMs);
    int counted(const char* path) const
    {
        CounterBrowser::waitForIdle(10000);
        return m_world.site().countRequests(QStringLiteral("GET ") + QLatin1String(path));
    }
    QByteArray sitePage(const char* path) const { return m_world.baseUrl() + path; }

    ProgramWorld m_world{{.settingsDocument = false, .browserRecorded = true}};
};

void TestPortals::init()
{
    QVERIFY(m_world.reset());
    Formmain = new TFormmain;
    Formmain->show();
    QVERIFY(QTest::qWaitForWindowExposed(Formmain));
}

void TestPortals::cleanup()
{
    for (QWidget* window : QApplication::topLevelWidgets())
        if (qobject_cast<PortalWindow*>(window))
            delete window;
    delete Formmain;
    m_world.finish();
}

void TestPortals::tvButton()
{
    QVERIFY(PortalPages::fengyunMini({1024, 768}).endsWith(QStringLiteral("?from=qorvex#width=874&height=568")));
    // Switch in force, no address: nothing opens and nothing is counted.
    remoteConfig().OnlineDef = "1";
    remoteConfig().OLTvAdr = "0";
    QTest::mouseClick(control<QWidget>(Formmain, "btnTv"), Qt::LeftButton);
    QVERIFY(m_world.browser().launches(500).isEmpty());
    QCOMPARE(counted(PortalPages::tvCounter), 0);

    // Built in: the mini page sized for this 1280 x 1024 screen, counted once.
    remoteConfig().OnlineDef.clear();
    QTest::mouseClick(control<QWidget>(Formmain, "btnTv"), Qt::LeftButton);
    QTRY_COMPARE(m_world.browser().launches(0).size(), 1);
    const QStringList opened = m_world.browser().launches().at(0);
    QCOMPARE(opened.size(), 1);
    QVERIFY2(opened[0].endsWith(QStringLiteral("/mini/fengyunmini.htm?from=qorvex#width=1130&height=824")),
             qPrintable(opened[0]));
    QCOMPARE(counted(PortalPages::tvCounter), 1);
}

void TestPortals::musicOpeningAndButtons()
{
    // Built in: mini mode at once (the main window hides), the theme page, one count.
    QTest::mouseClick(control<QWidget>(Formmain, "BtnMusic"), Qt::LeftButton);
    TFormMusic* music = FormMusic;
    QVERIFY(music->isVisible() && control<QCheckBox>(music, "chkhidemain")->isChecked() && !Formmain->isVisible());
    QCOMPARE(counted(PortalPages::musicCounter), 1);

    // "酷狗音乐": Cancel changes nothing; OK enables "主题音乐", uncounted.
    MessageBoxRecorder boxes;
    boxes.answerNext(Answer::Cancel);
    QTest::mouseClick(control<QPushButton>(music, "btnKugMusic"), Qt::LeftButton);
    QCOMPARE(boxes.lastText(), QStringLiteral("骚年,点<-确定->将切换到酷狗音乐模式,确定吗？"));
    QVERIFY(!control<QPushButton>(music, "btnTheMusic")->isEnabled());
    QTest::mouseClick(control<QPushButton>(music, "btnKugMusic"), Qt::LeftButton);
    QVERIFY(control<WebView>(music, "wb1")->currentAddress().contains(QStringLiteral("index.html?")));
    QVERIFY(control<QPushButton>(music, "btnTheMusic")->isEnabled());
    QTest::mouseClick(control<QPushButton>(music, "btnTheMusic"), Qt::LeftButton);
    QCOMPARE(boxes.lastText(), QStringLiteral("骚年,点<-确定->将切换到主题音乐模式,确定吗？"));
    QCOMPARE(control<WebView>(music, "wb1")->currentAddress(), PortalPages::themeMusic());
    QCOMPARE(counted(PortalPages::musicCounter), 2);

    // A configured page (GBK text of the settings document): the main window stays, no count.
    Formmain->show();
    remoteConfig().MusicDef = "1";
    remoteConfig().MusicAdr = sitePage("/portal/music.htm?\xd2\xf4\xc0\xd6");
    QTest::mouseClick(control<QWidget>(Formmain, "BtnMusic"), Qt::LeftButton);
    QVERIFY(FormMusic != music && !control<QCheckBox>(FormMusic, "chkhidemain")->isChecked() && Formmain->isVisible());
    QCOMPARE(control<WebView>(FormMusic, "wb1")->currentAddress(),
             QString::fromLatin1(sitePage("/portal/music.htm?")) + "音乐");
    QCOMPARE(counted(PortalPages::musicCounter), 2);
}

void TestPortals::closingEitherMiniMusicWindowShowsMain()
{
    MessageBoxRecorder boxes;
    for (int closing = 0; closing < 2; ++closing) {
        QTest::mouseClick(control<QWidget>(Formmain, "BtnMusic"), Qt::LeftButton);
        QPointer<TFormMusic> first = FormMusic;
        Formmain->show(); // Alt+F1 brings it back, and a second window is opened
        QTest::mouseClick(control<QWidget>(Formmain, "BtnMusic"), Qt::LeftButton);
        QPointer<TFormMusic> second = FormMusic;
        QVERIFY(first != second && !Formmain->isVisible());

        QPointer<TFormMusic> closed = closing == 0 ? first : second;
        QPointer<TFormMusic> other = closing == 0 ? second : first;
        QTest::mouseClick(control<QPushButton>(closed, "btnQuit"), Qt::LeftButton);
        QCOMPARE(boxes.lastText(), QStringLiteral("骚年,点<-确定->退出播放,真的要退出吗?"));
        QTRY_VERIFY(closed.isNull());
        QVERIFY(Formmain->isVisible());
        QVERIFY(other && other->isVisible() && control<QCheckBox>(other, "chkhidemain")->isChecked());
        delete other;
    }
}

void TestPortals::titleBarCloseAsksAndCancelKeepsWindow()
{
    QTest::mouseClick(control<QWidget>(Formmain, "BtnMusic"), Qt::LeftButton);
    QPointer<TFormMusic> music = FormMusic;
    QVERIFY(QTest::qWaitForWindowExposed(music));
    MessageBoxRecorder boxes;
    boxes.answerNext(Answer::Cancel);
    QVERIFY(!music->close());
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.requests()[0].kind, MessageBoxes::Kind::Confirm);
    QCOMPARE(boxes.requests()[0].caption, QStringLiteral("提示"));
    QCOMPARE(boxes.lastText(), QStringLiteral("骚年,点<-确定->退出播放,真的要退出吗?"));
    QTest::qWait(50); // room for a closing step, which must not come
    QVERIFY(music && music->isVisible() && control<QCheckBox>(music, "chkhidemain")->isChecked() &&
            !Formmain->isVisible());

    // OK runs the closing steps after one question: main window back, window destroyed.
    QVERIFY(music->close());
    QCOMPARE(boxes.count(), 2);
    QTRY_VERIFY(music.isNull());
    QVERIFY(Formmain->isVisible());
}

void TestPortals::mvMiniModeFollowsItsBox()
{
    QTest::mouseClick(control<QWidget>(Formmain, "btn6"), Qt::LeftButton);
    QPointer<TFormMtv> mv = FormMtv;
    QVERIFY(QTest::qWaitForWindowExposed(mv));
    QCheckBox* miniMode = control<QCheckBox>(mv, "chkhidemain");
    QVERIFY(Formmain->isVisible()); // the MV window never starts in mini mode
    miniMode->click();
    QVERIFY(!Formmain->isVisible() && mv->isVisible());
    miniMode->click();
    QVERIFY(Formmain->isVisible());

    // Closed in mini mode after the main window has gone: nothing is left to show, nothing breaks.
    miniMode->click();
    delete Formmain;
    MessageBoxRecorder boxes;
    QTest::mouseClick(control<QPushButton>(mv, "btnexit"), Qt::LeftButton);
    QCOMPARE(boxes.lastText(), QStringLiteral("骚年,点<-确定->退出MV页面,真的要退出吗?"));
    QTRY_VERIFY(mv.isNull());
}

void TestPortals::mvReloadIsBuiltInAfterConfiguredPage()
{
    remoteConfig().MtvDef = "1";
    remoteConfig().MtvAdr = "0"; // a blank window, uncounted
    QTest::mouseClick(control<QWidget>(Formmain, "btn6"), Qt::LeftButton);
    QCOMPARE(control<WebView>(FormMtv, "wb1")->navigationCount(), 0);
    QCOMPARE(counted(PortalPages::mvCounter), 0);

    remoteConfig().MtvAdr = sitePage("/portal/mv.htm");
    QTest::mouseClick(control<QWidget>(Formmain, "btn6"), Qt::LeftButton);
    TFormMtv* mv = FormMtv;
    QCOMPARE(control<WebView>(mv, "wb1")->currentAddress().toLatin1(), sitePage("/portal/mv.htm"));
    QCOMPARE(counted(PortalPages::mvCounter), 1);

    MessageBoxRecorder boxes;
    QTest::mouseClick(control<QPushButton>(mv, "btn1"), Qt::LeftButton);
    QCOMPARE(boxes.lastText(), QStringLiteral("骚年,点<-确定->将会使播放内容重新加载,你确定要这样做吗？"));
    QCOMPARE(control<WebView>(mv, "wb1")->currentAddress(), QStringLiteral("www.yinyuetai.com"));
    QCOMPARE(counted(PortalPages::mvCounter), 2);
}

namespace {
// Counts the times a window is hidden (a re-created native window hides first: a flicker).
class HideCounter final : public QObject {
public:
    int hides = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        hides += event->type() == QEvent::Hide;
        return false;
    }
};
} // namespace

void TestPortals::outerSizeAndIcon_data()
{
    QTest::addColumn<bool>("music");
    QTest::addColumn<QSize>("outer");
    QTest::newRow("music") << true << QSize(922, 611);
    QTest::newRow("mv") << false << QSize(919, 607);
}

// The window's size is its outer one, frame and title bar included; the title bar shows the program's icon.
void TestPortals::outerSizeAndIcon()
{
    QFETCH(bool, music);
    QFETCH(QSize, outer);
    QTest::mouseClick(music ? control<QWidget>(Formmain, "BtnMusic") : control<QWidget>(Formmain, "btn6"),
                      Qt::LeftButton);
    PortalWindow* window = music ? static_cast<PortalWindow*>(FormMusic) : FormMtv;
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QTRY_COMPARE(window->frameGeometry().size(), outer);
    const QImage programIcon = QIcon(QStringLiteral(":/shell/quvo.png")).pixmap(32).toImage();
    QVERIFY(!programIcon.isNull());
    QCOMPARE(window->windowIcon().pixmap(32).toImage(), programIcon);
    // Centred as a whole.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY2((window->frameGeometry().center() - screen.center()).manhattanLength() <= 40,
             qPrintable(QStringLiteral("%1,%2").arg(window->frameGeometry().x()).arg(window->frameGeometry().y())));
}

void TestPortals::alwaysOnTop_data()
{
    QTest::addColumn<bool>("music");
    QTest::addColumn<int>("interval");
    QTest::newRow("music") << true << 1000;
    QTest::newRow("mv") << false << 500;
}

void TestPortals::alwaysOnTop()
{
    QFETCH(bool, music);
    QFETCH(int, interval);
    QTest::mouseClick(music ? control<QWidget>(Formmain, "BtnMusic") : control<QWidget>(Formmain, "btn6"),
                      Qt::LeftButton);
    PortalWindow* window = music ? static_cast<PortalWindow*>(FormMusic) : FormMtv;
    QCheckBox* box = control<QCheckBox>(window, "chkontop");
    QVERIFY(QTest::qWaitForWindowExposed(window));
    HideCounter hides;
    window->installEventFilter(&hides);
    Formmain->show(); // another window has the focus when the box is ticked
    Formmain->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(Formmain.data()));

    QElapsedTimer sinceTick;
    sinceTick.start();
    box->click();
    QVERIFY(!window->isTopmost());
    QTRY_VERIFY_WITH_TIMEOUT(window->isTopmost(), 10 * interval);
    QVERIFY2(sinceTick.elapsed() >= interval * 9 / 10, qPrintable(QString::number(sinceTick.elapsed())));
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(window));

    // It stays on top tick after tick; unticking drops it at once and for good (the timer's own
    // period is what is waited for).
    QTest::qWait(interval + 100);
    QVERIFY(window->isTopmost());
    box->click();
    QVERIFY(!window->isTopmost());
    QTest::qWait(interval + 100);
    QVERIFY(!window->isTopmost());
    QVERIFY(window->isVisible());
    QCOMPARE(hides.hides, 0);
}

TestPortals::PageMenu TestPortals::rightClickPage(PortalWindow* window, WebView* page, int waitMs)
{
    QSignalSpy loaded(page, &WebView::loadFinished);
    if (!QTest::qWaitForWindowExposed(window) || !loaded.wait(20000) || !loaded.at(0).at(0).toBool())
        return PageMenu::NotLoaded;
    QTest::qWait(300); // the first frame
    QWidget* surface = page->engineView()->focusProxy() ? page->engineView()->focusProxy() : page->engineView();
    QTest::mouseClick(surface, Qt::RightButton, {}, surface->rect().center());
    QWidget* menu = nullptr;
    const auto menuShown = [&menu] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (qobject_cast<QMenu*>(top) && top->isVisible())
                menu = top;
        return menu != nullptr;
    };
    if (!QTest::qWaitFor(menuShown, waitMs))
        return PageMenu::None;
    menu->close();
    return PageMenu::Shown;
}

void TestPortals::rightClickMenuOnlyOutsideMusic()
{
#ifdef Q_OS_WIN
    // Nothing renders under Wine, so no menu can be seen: a right click is posted to the control's
    // windows as the system posts it, and it reaches them in the MV window only. Both pages were
    // asked for by the control itself.
    struct Case {
        const char* button;
        const char* path;
        int clicksReaching;
    };
    remoteConfig().MtvDef = "1";
    remoteConfig().MtvAdr = sitePage("/portal/mv.htm");
    remoteConfig().MusicDef = "1";
    remoteConfig().MusicAdr = sitePage("/portal/music.htm");
    for (const Case& each : {Case{"btn6", "/portal/mv.htm", 2}, Case{"BtnMusic", "/portal/music.htm", 0}}) {
        QTest::mouseClick(control<QWidget>(Formmain, each.button), Qt::LeftButton);
        PortalWindow* window = each.clicksReaching ? static_cast<PortalWindow*>(FormMtv) : FormMusic;
        QVERIFY(QTest::qWaitForWindowExposed(window));
        const QString request = QStringLiteral("GET ") + QLatin1String(each.path);
        QTRY_COMPARE_WITH_TIMEOUT(m_world.site().countRequests(request), 1, 20000);
        QVERIFY2(m_world.site().userAgentOf(request).contains(QStringLiteral("Trident/")),
                 qPrintable(m_world.site().userAgentOf(request)));
        QCOMPARE(nativeRightClicksReaching(control<WebView>(window, "wb1")->engineView()), each.clicksReaching);
    }
    return;
#endif
    remoteConfig().MtvDef = "1";
    remoteConfig().MtvAdr = sitePage("/portal/mv.htm");
    QTest::mouseClick(control<QWidget>(Formmain, "btn6"), Qt::LeftButton);
    QElapsedTimer mvTimer;
    mvTimer.start();
    QCOMPARE(rightClickPage(FormMtv, control<WebView>(FormMtv, "wb1"), 15000), PageMenu::Shown);
    const int mvTook = int(mvTimer.elapsed());

    remoteConfig().MusicDef = "1";
    remoteConfig().MusicAdr = sitePage("/portal/music.htm");
    QTest::mouseClick(control<QWidget>(Formmain, "BtnMusic"), Qt::LeftButton);
    QCOMPARE(rightClickPage(FormMusic, control<WebView>(FormMusic, "wb1"), 3000 + 2 * mvTook), PageMenu::None);
}

void TestPortals::closingWhileThePageLoads()
{
    // The page's server takes the request and never answers: the window closes in the middle of it.
    SilentServer silent;
    remoteConfig().MusicDef = "1";
    remoteConfig().MusicAdr = silent.baseUrl() + "/portal/music.htm";
    QTest::mouseClick(control<QWidget>(Formmain, "BtnMusic"), Qt::LeftButton);
    QPointer<TFormMusic> loading = FormMusic;
    QVERIFY(QTest::qWaitForWindowExposed(loading));
    QTRY_VERIFY_WITH_TIMEOUT(silent.connections() >= 1, 20000);
    MessageBoxRecorder boxes;
    QTest::mouseClick(control<QPushButton>(loading, "btnQuit"), Qt::LeftButton);
    QTRY_VERIFY(loading.isNull());

    // Whatever the abandoned request does later touches nothing of the closed window: the next
    // window loads its page.
    remoteConfig().MusicAdr = sitePage("/portal/music.htm");
    QTest::mouseClick(control<QWidget>(Formmain, "BtnMusic"), Qt::LeftButton);
    QVERIFY(QTest::qWaitForWindowExposed(FormMusic));
    QTRY_COMPARE_WITH_TIMEOUT(m_world.site().countRequests(QStringLiteral("GET /portal/music.htm")), 1, 20000);
}

void TestPortals::openWindowsEndWithTheProgram()
{
    QTest::mouseClick(control<QWidget>(Formmain, "BtnMusic"), Qt::LeftButton);
    QTest::mouseClick(control<QWidget>(Formmain, "btn6"), Qt::LeftButton);
    QPointer<TFormMusic> music = FormMusic;
    QPointer<TFormMtv> mv = FormMtv;
    MessageBoxRecorder boxes;
    // The program's end as the main window's quit brings it about: the message loop stops.
    QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(music.isNull() && mv.isNull());
    QCOMPARE(boxes.count(), 0); // no question on the way out
}

int main(int argc, char* argv[])
{
    // The built-in pages live on outside hosts; a test never looks them up.
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
            qgetenv("QTWEBENGINE_CHROMIUM_FLAGS") + " \"--host-resolver-rules=MAP * ~NOTFOUND, EXCLUDE 127.0.0.1\"");
    const int failures = [&] {
        QApplication app(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false); // as the program runs
        TestPortals test;
        return QTest::qExec(&test, argc, argv);
    }();
    return ProcessEnd::afterShutdown(failures);
}

#include "test_portals.moc"
