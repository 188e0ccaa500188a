// The TV button and the music and MV windows, driven as a user would drive them.
#include "app/tformmain.h"
#include "app/windowrefs.h"
#include "config/remoteconfiguration.h"
#include "platform/counterbrowser.h"
#include "portals/portalpages.h"
#include "portals/tformmtv.h"
#include "portals/tformmusic.h"
#include "samplesite.h"
#include "testsupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QWebEngineView>

using MessageBoxes::Answer;

class TestPortals : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void pageChoiceAndMiniPageSize();
    void tvButton();
    void musicOpening();
    void closingEitherMiniMusicWindowShowsMain();
    void musicButtons();
    void titleBarCloseAsksAndCancelKeepsWindow();
    void mvOpeningAndReload();
    void alwaysOnTop_data();
    void alwaysOnTop();
    void rightClickMenuOnlyOutsideMusic();

private:
    enum class PageMenu { NotLoaded, None, Shown };
    // Right-clicks the loaded page of a window and tells whether the page opened its context menu.
    PageMenu rightClickPage(PortalWindow* window, WebView* page, int waitMs);
    int counted(const char* path) const;
    QString sitePage(const char* path) const { return QString::fromLatin1(m_site.baseUrl() + path); }

    SampleSite m_site;
    TemporaryRegistry m_registry;
    RecordingLauncher m_browser;
};

int TestPortals::counted(const char* path) const
{
    CounterBrowser::waitForIdle(10000);
    return m_site.countRequests(QStringLiteral("GET ") + QLatin1String(path));
}

void TestPortals::initTestCase()
{
    QVERIFY(m_site.start() > 0);
    qputenv("QUVO_PRODUCT_SERVER", m_site.baseUrl());
    m_registry.set(QStringLiteral("HKEY_CLASSES_ROOT\\HTTP\\Shell\\open\\command"), QString(),
                   QStringLiteral("\"%1\" \"%2\"").arg(m_browser.program(), QStringLiteral("%1")));
}

void TestPortals::init()
{
    RemoteConfig() = {};
    m_site.clearRequestLog();
    m_browser.clear();
    Formmain = new TFormmain;
    // The settings document and the advertisement belong to other tests.
    Formmain->Tmrchkupdate.stop();
    Formmain->TmrShowtime.stop();
    Formmain->show();
    QVERIFY(QTest::qWaitForWindowExposed(Formmain));
}

void TestPortals::cleanup()
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (qobject_cast<PortalWindow*>(window))
            delete window;
    }
    delete Formmain;
    RemoteConfig() = {};
    CounterBrowser::waitForIdle(10000);
}

void TestPortals::pageChoiceAndMiniPageSize()
{
    const QString mini = PortalPages::fengyunMini({1024, 768});
    QVERIFY(mini.startsWith(QStringLiteral("http://")));
    QVERIFY(mini.endsWith(QStringLiteral("/mini/fengyunmini.htm?from=qorvex#width=874&height=568")));

    const QString builtIn = QStringLiteral("http://built.in/");
    for (const QByteArray& off : {QByteArray(), QByteArray("0")}) {
        const auto choice = PortalPages::choose(off, "http://elsewhere/", builtIn);
        QCOMPARE(choice.address, builtIn);
        QVERIFY(choice.builtIn);
    }
    for (const QByteArray& missing : {QByteArray(), QByteArray("0")}) {
        const auto choice = PortalPages::choose("1", missing, builtIn);
        QVERIFY(choice.address.isEmpty());
        QVERIFY(!choice.builtIn);
    }
    // Any switch other than "0" is in force; the address is GBK text of the settings document.
    const auto configured = PortalPages::choose("yes", "http://x/\xd2\xf4\xc0\xd6", builtIn);
    QCOMPARE(configured.address, QStringLiteral("http://x/音乐"));
    QVERIFY(!configured.builtIn);
}

void TestPortals::tvButton()
{
    // Switch in force, no address: nothing opens and nothing is counted.
    RemoteConfig().OnlineDef = "1";
    RemoteConfig().OLTvAdr = "0";
    QTest::mouseClick(Formmain->btnTv, Qt::LeftButton);
    QVERIFY(m_browser.launches(500).isEmpty());
    QCOMPARE(counted(PortalPages::tvCounter), 0);

    // A configured page opens as it is, uncounted.
    RemoteConfig().OLTvAdr = "http://tv.example/live";
    QTest::mouseClick(Formmain->btnTv, Qt::LeftButton);
    QTRY_COMPARE(m_browser.launches(0), (QList<QStringList>{{QStringLiteral("http://tv.example/live")}}));
    QCOMPARE(counted(PortalPages::tvCounter), 0);

    // Built in: the mini page sized for this 1280 x 1024 screen, counted once.
    m_browser.clear();
    RemoteConfig().OnlineDef.clear();
    QCOMPARE(QGuiApplication::primaryScreen()->size(), QSize(1280, 1024));
    QTest::mouseClick(Formmain->btnTv, Qt::LeftButton);
    QTRY_COMPARE(m_browser.launches(0).size(), 1);
    const auto launches = m_browser.launches();
    QCOMPARE(launches[0].size(), 1);
    QVERIFY2(launches[0][0].endsWith(QStringLiteral("/mini/fengyunmini.htm?from=qorvex#width=1130&height=824")),
             qPrintable(launches[0][0]));
    QCOMPARE(counted(PortalPages::tvCounter), 1);
}

void TestPortals::musicOpening()
{
    // Built in: mini mode at once (the main window hides), the theme page, one count.
    QTest::mouseClick(Formmain->BtnMusic, Qt::LeftButton);
    QPointer<TFormMusic> builtIn = FormMusic;
    QVERIFY(builtIn && builtIn->isVisible());
    QVERIFY(builtIn->chkhidemain->isChecked());
    QVERIFY(!Formmain->isVisible());
    QCOMPARE(builtIn->wb1->currentAddress(), PortalPages::themeMusic());
    QVERIFY(!builtIn->btnTheMusic->isEnabled());
    QCOMPARE(counted(PortalPages::musicCounter), 1);
    QCOMPARE(builtIn->windowTitle(), QStringLiteral("QV盒子-音乐欣赏  www.qorvex.com"));
    delete builtIn;

    // Configured address: the main window stays, no count.
    Formmain->show();
    RemoteConfig().MusicDef = "1";
    RemoteConfig().MusicAdr = sitePage("/portal/music.htm").toLatin1();
    QTest::mouseClick(Formmain->BtnMusic, Qt::LeftButton);
    QVERIFY(FormMusic != builtIn && FormMusic->isVisible());
    QVERIFY(!FormMusic->chkhidemain->isChecked());
    QVERIFY(Formmain->isVisible());
    QCOMPARE(FormMusic->wb1->currentAddress(), sitePage("/portal/music.htm"));
    QCOMPARE(counted(PortalPages::musicCounter), 1);

    // Switch in force without an address: a blank window.
    RemoteConfig().MusicAdr = "0";
    QTest::mouseClick(Formmain->BtnMusic, Qt::LeftButton);
    QCOMPARE(FormMusic->wb1->navigationCount(), 0);
    QVERIFY(Formmain->isVisible());
    QCOMPARE(counted(PortalPages::musicCounter), 1);
}

void TestPortals::closingEitherMiniMusicWindowShowsMain()
{
    MessageBoxRecorder boxes;
    for (int closing = 0; closing < 2; ++closing) {
        QTest::mouseClick(Formmain->BtnMusic, Qt::LeftButton);
        QPointer<TFormMusic> first = FormMusic;
        Formmain->show(); // Alt+F1 brings it back, and a second window is opened
        QTest::mouseClick(Formmain->BtnMusic, Qt::LeftButton);
        QPointer<TFormMusic> second = FormMusic;
        QVERIFY(first != second);
        QVERIFY(!Formmain->isVisible());

        QPointer<TFormMusic> closed = closing == 0 ? first : second;
        QPointer<TFormMusic> other = closing == 0 ? second : first;
        QTest::mouseClick(closed->btnQuit, Qt::LeftButton);
        QCOMPARE(boxes.lastText(), QStringLiteral("骚年,点<-确定->退出播放,真的要退出吗?"));
        QTRY_VERIFY(closed.isNull());
        QVERIFY(Formmain->isVisible());
        QVERIFY(other && other->isVisible() && other->chkhidemain->isChecked());
        delete other;
    }
    // Unticking the box by hand shows the main window too, ticking hides it.
    QTest::mouseClick(Formmain->BtnMusic, Qt::LeftButton);
    FormMusic->chkhidemain->click();
    QVERIFY(Formmain->isVisible());
    FormMusic->chkhidemain->click();
    QVERIFY(!Formmain->isVisible());
    QVERIFY(FormMusic->isVisible());
}

void TestPortals::musicButtons()
{
    QTest::mouseClick(Formmain->BtnMusic, Qt::LeftButton);
    TFormMusic* music = FormMusic;
    MessageBoxRecorder boxes;

    boxes.answerNext(Answer::Cancel);
    QTest::mouseClick(music->btnKugMusic, Qt::LeftButton);
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.requests()[0].kind, MessageBoxes::Kind::Confirm);
    QCOMPARE(boxes.requests()[0].caption, QStringLiteral("提示"));
    QCOMPARE(boxes.requests()[0].text, QStringLiteral("骚年,点<-确定->将切换到酷狗音乐模式,确定吗？"));
    QCOMPARE(music->wb1->currentAddress(), PortalPages::themeMusic());
    QVERIFY(!music->btnTheMusic->isEnabled());

    QTest::mouseClick(music->btnKugMusic, Qt::LeftButton);
    QCOMPARE(music->wb1->currentAddress(), QStringLiteral("http://web.kugou.com/index.html?"));
    QVERIFY(music->btnTheMusic->isEnabled());
    QCOMPARE(counted(PortalPages::musicCounter), 1); // the opening only

    boxes.answerNext(Answer::Cancel);
    QTest::mouseClick(music->btnTheMusic, Qt::LeftButton);
    QCOMPARE(boxes.lastText(), QStringLiteral("骚年,点<-确定->将切换到主题音乐模式,确定吗？"));
    QVERIFY(music->wb1->currentAddress().contains(QStringLiteral("kugou")));
    QCOMPARE(counted(PortalPages::musicCounter), 1);

    // The theme page is the built-in one even when the window opened a configured page.
    RemoteConfig().MusicDef = "1";
    RemoteConfig().MusicAdr = sitePage("/portal/music.htm").toLatin1();
    QTest::mouseClick(music->btnTheMusic, Qt::LeftButton);
    QCOMPARE(music->wb1->currentAddress(), PortalPages::themeMusic());
    QVERIFY(music->btnTheMusic->isEnabled());
    QCOMPARE(counted(PortalPages::musicCounter), 2);
}

void TestPortals::titleBarCloseAsksAndCancelKeepsWindow()
{
    QTest::mouseClick(Formmain->BtnMusic, Qt::LeftButton);
    QPointer<TFormMusic> music = FormMusic;
    QVERIFY(QTest::qWaitForWindowExposed(music));
    MessageBoxRecorder boxes;

    boxes.answerNext(Answer::Cancel);
    QVERIFY(!music->close());
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.requests()[0].kind, MessageBoxes::Kind::Confirm);
    QCOMPARE(boxes.requests()[0].caption, QStringLiteral("提示"));
    QCOMPARE(boxes.lastText(), QStringLiteral("骚年,点<-确定->退出播放,真的要退出吗?"));
    QTest::qWait(50);
    QVERIFY(music && music->isVisible());
    QVERIFY(music->chkhidemain->isChecked());
    QVERIFY(!Formmain->isVisible());

    // "退出" answered with Cancel changes nothing either.
    boxes.answerNext(Answer::Cancel);
    QTest::mouseClick(music->btnQuit, Qt::LeftButton);
    QVERIFY(music && music->isVisible());

    // The title-bar close answered with OK runs the closing steps: one question, main window back.
    QVERIFY(music->close());
    QCOMPARE(boxes.count(), 3);
    QTRY_VERIFY(music.isNull());
    QVERIFY(Formmain->isVisible());

    // The MV window asks its own question.
    QTest::mouseClick(Formmain->btn6, Qt::LeftButton);
    QPointer<TFormMtv> mv = FormMtv;
    boxes.answerNext(Answer::Cancel);
    QVERIFY(!mv->close());
    QCOMPARE(boxes.lastText(), QStringLiteral("骚年,点<-确定->退出MV页面,真的要退出吗?"));
    QVERIFY(mv && mv->isVisible());
    QTest::mouseClick(mv->btnexit, Qt::LeftButton);
    QCOMPARE(boxes.count(), 5);
    QTRY_VERIFY(mv.isNull());
}

void TestPortals::mvOpeningAndReload()
{
    // Switch in force without an address: a blank window, no count.
    RemoteConfig().MtvDef = "1";
    RemoteConfig().MtvAdr = "0";
    QTest::mouseClick(Formmain->btn6, Qt::LeftButton);
    QCOMPARE(FormMtv->wb1->navigationCount(), 0);
    QCOMPARE(counted(PortalPages::mvCounter), 0);
    QCOMPARE(FormMtv->windowTitle(), QStringLiteral("QV盒子-MTV欣赏 www.qorvex.com"));
    QVERIFY(!FormMtv->chkhidemain->isChecked());
    delete FormMtv;

    // A configured page is counted; "重新加载" goes to the built-in site, not back to it.
    RemoteConfig().MtvAdr = sitePage("/portal/mv.htm").toLatin1();
    QTest::mouseClick(Formmain->btn6, Qt::LeftButton);
    TFormMtv* mv = FormMtv;
    QCOMPARE(mv->wb1->currentAddress(), sitePage("/portal/mv.htm"));
    QCOMPARE(counted(PortalPages::mvCounter), 1);
    QVERIFY(Formmain->isVisible());

    MessageBoxRecorder boxes;
    boxes.answerNext(Answer::Cancel);
    QTest::mouseClick(mv->btn1, Qt::LeftButton);
    QCOMPARE(boxes.lastText(), QStringLiteral("骚年,点<-确定->将会使播放内容重新加载,你确定要这样做吗？"));
    QCOMPARE(mv->wb1->currentAddress(), sitePage("/portal/mv.htm"));
    QCOMPARE(counted(PortalPages::mvCounter), 1);

    QTest::mouseClick(mv->btn1, Qt::LeftButton);
    QCOMPARE(mv->wb1->currentAddress(), QStringLiteral("www.yinyuetai.com"));
    QCOMPARE(counted(PortalPages::mvCounter), 2);

    // Built in: the MV home page, counted, no mini mode.
    RemoteConfig().MtvDef = "0";
    QTest::mouseClick(Formmain->btn6, Qt::LeftButton);
    QVERIFY(FormMtv != mv);
    QCOMPARE(FormMtv->wb1->currentAddress(), PortalPages::mvHome());
    QCOMPARE(counted(PortalPages::mvCounter), 3);
    QVERIFY(Formmain->isVisible());
}

namespace {
// Counts the times a window is hidden (a re-created native window hides first).
class HideCounter final : public QObject {
public:
    int hides = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Hide)
            ++hides;
        return false;
    }
};
} // namespace

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
    QTest::mouseClick(music ? Formmain->BtnMusic : Formmain->btn6, Qt::LeftButton);
    PortalWindow* window = music ? static_cast<PortalWindow*>(FormMusic) : FormMtv;
    QCheckBox* box = music ? FormMusic->chkontop : FormMtv->chkontop;
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QCOMPARE(window->TmrFmMdiTop.interval(), interval);
    QVERIFY(!window->TmrFmMdiTop.isActive());
    HideCounter hides;
    window->installEventFilter(&hides);

    // Another window has the focus when the box is ticked.
    Formmain->show();
    Formmain->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(Formmain.data()));

    QElapsedTimer sinceTick;
    sinceTick.start();
    box->click();
    QVERIFY(window->TmrFmMdiTop.isActive());
    QVERIFY(!window->isTopmost());
    QTRY_VERIFY_WITH_TIMEOUT(window->isTopmost(), 10 * interval);
    QVERIFY2(sinceTick.elapsed() >= interval * 9 / 10, qPrintable(QString::number(sinceTick.elapsed())));
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(window));
    QVERIFY(window->isVisible());
    QCOMPARE(hides.hides, 0); // held on top without a flicker

    // It stays on top tick after tick; unticking drops it at once and stops the timer.
    QTest::qWait(interval + 100);
    QVERIFY(window->isTopmost());
    box->click();
    QVERIFY(!window->isTopmost());
    QVERIFY(!window->TmrFmMdiTop.isActive());
    QTest::qWait(interval + 100);
    QVERIFY(!window->isTopmost());
    QCOMPARE(hides.hides, 0);
}

TestPortals::PageMenu TestPortals::rightClickPage(PortalWindow* window, WebView* page, int waitMs)
{
    if (!QTest::qWaitForWindowExposed(window))
        return PageMenu::NotLoaded;
    QWebEngineView* view = page->engineView();
    QSignalSpy loaded(view, &QWebEngineView::loadFinished);
    if (!loaded.wait(20000) || !loaded.at(0).at(0).toBool())
        return PageMenu::NotLoaded;
    QTest::qWait(300); // the first frame
    QWidget* surface = view->focusProxy() ? view->focusProxy() : view;
    QTest::mouseClick(surface, Qt::RightButton, {}, surface->rect().center());
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < waitMs) {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (qobject_cast<QMenu*>(top) && top->isVisible()) {
                top->close();
                return PageMenu::Shown;
            }
        }
        QTest::qWait(50);
    }
    return PageMenu::None;
}

void TestPortals::rightClickMenuOnlyOutsideMusic()
{
    RemoteConfig().MtvDef = "1";
    RemoteConfig().MtvAdr = sitePage("/portal/mv.htm").toLatin1();
    QTest::mouseClick(Formmain->btn6, Qt::LeftButton);
    QElapsedTimer mvTimer;
    mvTimer.start();
    QCOMPARE(rightClickPage(FormMtv, FormMtv->wb1, 15000), PageMenu::Shown);
    const int mvTook = int(mvTimer.elapsed());
    delete FormMtv;

    RemoteConfig().MusicDef = "1";
    RemoteConfig().MusicAdr = sitePage("/portal/music.htm").toLatin1();
    QTest::mouseClick(Formmain->BtnMusic, Qt::LeftButton);
    QCOMPARE(rightClickPage(FormMusic, FormMusic->wb1, 3000 + 2 * mvTook), PageMenu::None);
}

int main(int argc, char* argv[])
{
    // The built-in pages live on outside hosts; a test never looks them up.
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
            qgetenv("QTWEBENGINE_CHROMIUM_FLAGS") + " \"--host-resolver-rules=MAP * ~NOTFOUND, EXCLUDE 127.0.0.1\"");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false); // as the program runs
    TestPortals test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_portals.moc"
