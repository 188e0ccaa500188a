// The version check and the update window: outcomes, layout, links, leaving.
#include "app/lifecycle.h"
#include "app/tformmain.h"
#include "app/windowrefs.h"
#include "config/remoteconfiguration.h"
#include "samplesite.h"
#include "testsupport.h"
#include "update/checkforupdate.h"
#include "update/tformupdate.h"

#include <QMouseEvent>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <memory>

class TestUpdateWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void versionOutcomes_data();
    void versionOutcomes();
    void windowControlsAndTexts();
    void quitCaptionAndMirrorButtons_data();
    void quitCaptionAndMirrorButtons();
    void leavingRules_data();
    void leavingRules();
    void linksOpenInDefaultBrowser();
    void noteTurnsBlueUnderThePointer();

private:
    SampleSite m_site;
    std::unique_ptr<TFormmain> m_main;
    int m_endCount = 0;
};

namespace {
void sendMouse(QWidget* widget, QEvent::Type type, QPoint at)
{
    QMouseEvent event(type, at, widget->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}
} // namespace

void TestUpdateWindow::initTestCase()
{
    QVERIFY(m_site.start() > 0);
    qputenv("QUVO_PRODUCT_SERVER", m_site.baseUrl());
    // The tests run the check themselves: the main window's own fetch finds no settings document.
    m_site.setSwitch(QStringLiteral("settings"), QStringLiteral("none"));
}

void TestUpdateWindow::init()
{
    RemoteConfig() = RemoteConfiguration{};
    m_endCount = 0;
    setEndProgramHandlerForTesting([this] { ++m_endCount; });
    m_main = std::make_unique<TFormmain>();
    Formmain = m_main.get();
}

void TestUpdateWindow::cleanup()
{
    m_main.reset();
    setEndProgramHandlerForTesting({});
    RemoteConfig() = RemoteConfiguration{};
}

void TestUpdateWindow::versionOutcomes_data()
{
    QTest::addColumn<QByteArray>("version");
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("windowOpens");
    QTest::addColumn<bool>("counted");
    const QString newer = QStringLiteral("当前版本:1.0.1.0    服务器有新版本咯!!!");
    QTest::newRow("same") << QByteArray("1.0.1.0") << QStringLiteral("当前版本:1.0.1.0    您的版本已是最新!") << false
                          << true;
    QTest::newRow("higher") << QByteArray("1.0.1.1") << newer << true << false;
    QTest::newRow("lower counts as new") << QByteArray("1.0.0.9") << newer << true << false;
    QTest::newRow("space before") << QByteArray(" 1.0.1.0") << newer << true << false;
    QTest::newRow("trailing line break") << QByteArray("1.0.1.0\r\n") << newer << true << false;
    QTest::newRow("none announced") << QByteArray() << QStringLiteral("提示：无法连接服务器!!") << false << false;
}

void TestUpdateWindow::versionOutcomes()
{
    QFETCH(QByteArray, version);
    QFETCH(QString, status);
    QFETCH(bool, windowOpens);
    QFETCH(bool, counted);
    RemoteConfig().Version = version;
    m_site.clearRequestLog();
    Formupdate = nullptr;

    CounterBrowser wbTjStNum(QStringLiteral("wbTjStNum"));
    CounterBrowser wbAllNum(QStringLiteral("wbAllNum"));
    QStringList shown;
    bool toldBeforeTheWindow = false;
    UpdateCheckHooks hooks;
    hooks.parent = m_main.get();
    hooks.showVersionStatus = [&](const QString& text) {
        shown << text;
        toldBeforeTheWindow = Formupdate.isNull();
    };
    hooks.countCheck = [&](const QByteArray& path) { wbTjStNum.navigate(path); };
    hooks.countUse = [&](const QByteArray& path) { wbAllNum.navigate(path); };
    const QPointer<TFormupdate> window = qobject_cast<TFormupdate*>(CheckForUpdate(hooks));

    QCOMPARE(shown, QStringList{status});
    QVERIFY(toldBeforeTheWindow);
    QCOMPARE(!window.isNull(), windowOpens);
    QCOMPARE(Formupdate.data(), window.data());
    if (windowOpens) {
        // Modal over the main window, and shown without waiting for it to close.
        QVERIFY(window->isModal() && window->isVisible());
        QCOMPARE(QApplication::activeModalWidget(), window.data());
        QCOMPARE(window->lblupnote->text(),
                 QStringLiteral("版本") + QString::fromLatin1(version) + QStringLiteral("  更新说明"));
        // A completed update is counted through the main window's general counter browser.
        Q_EMIT window->useCounted("/update/update.php");
        window->close();
        QVERIFY(!window->isVisible());
    }
    QVERIFY(CounterBrowser::waitForIdle(5000));
    QCOMPARE(m_site.countRequests(QStringLiteral("GET /update/StNum.php")), counted ? 1 : 0);
    QCOMPARE(wbTjStNum.requestCount(), counted ? 1 : 0);
    QCOMPARE(m_site.countRequests(QStringLiteral("GET /update/update.php")), windowOpens ? 1 : 0);
    QCOMPARE(wbAllNum.requestCount(), windowOpens ? 1 : 0);
}

void TestUpdateWindow::windowControlsAndTexts()
{
    TFormupdate window;
    QCOMPARE(window.windowTitle(), QStringLiteral("Quvo盒子提示您,服务器已有新版本啦!  http://www.qorvex.com"));
    QCOMPARE(window.size(), QSize(415, 253));
    QVERIFY(window.windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(
        window.lblupdateNote->text(),
        QStringLiteral("        建议您到官方查看最新更新日志与动态,如遇更新不成功,可能是因为同时下载人数过多或服务器"
                       "负载压力过大,建议您打开我们的主页或选择分流下载站进行下载!\n"));
    QVERIFY(!window.imgUpdatePic->pixmap().isNull());
    const auto* panel = window.StatusBar1->findChild<QLabel*>();
    QVERIFY(panel);
    QCOMPARE(panel->text(), QStringLiteral("QV盒子升级程序! http://www.qorvex.com 欢迎大家下载更新!"));

    // The download's controls lie out of sight below the client area.
    QCOMPARE(window.Edit1->text(), QString::fromLatin1(m_site.baseUrl() + "/update/qorvex.rar"));
    QCOMPARE(window.Edit2->text(), QStringLiteral("5"));
    for (QWidget* hidden :
         std::initializer_list<QWidget*>{window.Edit1, window.Edit2, window.ListBox1, window.Button2,
                                         window.lblDownAddress, window.lblThreads, window.lblConnection})
        QVERIFY2(hidden->geometry().top() >= 253, qPrintable(hidden->objectName()));
}

void TestUpdateWindow::quitCaptionAndMirrorButtons_data()
{
    QTest::addColumn<QByteArray>("frcUp");
    QTest::addColumn<QList<QByteArray>>("lines");
    QTest::addColumn<QString>("quitCaption");
    QTest::addColumn<QList<bool>>("shown");
    QTest::newRow("voluntary, middle mirror off")
        << QByteArray("0") << QList<QByteArray>{"http://a/1", "0", "http://c/3"} << QStringLiteral("下次再说!")
        << QList<bool>{true, false, true};
    QTest::newRow("forced, no mirrors") << QByteArray("1") << QList<QByteArray>{"", "", "0"} << QStringLiteral("退 出")
                                        << QList<bool>{false, false, false};
    QTest::newRow("flag empty keeps the caption") << QByteArray() << QList<QByteArray>{"", "http://b/2", ""}
                                                  << QStringLiteral("退 出") << QList<bool>{false, true, false};
    QTest::newRow("flag 00 is not 0") << QByteArray("00") << QList<QByteArray>{"x", "x", "x"} << QStringLiteral("退 出")
                                      << QList<bool>{true, true, true};
}

void TestUpdateWindow::quitCaptionAndMirrorButtons()
{
    QFETCH(QByteArray, frcUp);
    QFETCH(QList<QByteArray>, lines);
    QFETCH(QString, quitCaption);
    QFETCH(QList<bool>, shown);
    RemoteConfig().FrcUp = frcUp;
    RemoteConfig().updateline1 = lines[0];
    RemoteConfig().updateline2 = lines[1];
    RemoteConfig().updateline3 = lines[2];
    TFormupdate window;
    window.show();
    QCOMPARE(window.BtnQuit->text(), quitCaption);
    QCOMPARE(
        (QList<bool>{window.BtnBypass1->isVisible(), window.BtnBypass2->isVisible(), window.BtnBypass3->isVisible()}),
        shown);
    // Each mirror keeps its own place whichever others are shown.
    QCOMPARE(window.BtnBypass3->pos(), QPoint(315, 90));
}

void TestUpdateWindow::leavingRules_data()
{
    QTest::addColumn<QByteArray>("frcUp");
    QTest::addColumn<bool>("downloaded");
    QTest::addColumn<bool>("closeBox");
    QTest::addColumn<bool>("ends");
    QTest::newRow("voluntary") << QByteArray("0") << false << false << false;
    QTest::newRow("flag empty") << QByteArray() << false << false << false;
    QTest::newRow("forced, before any download") << QByteArray("1") << false << false << true;
    QTest::newRow("voluntary after a download") << QByteArray("0") << true << false << true;
    QTest::newRow("flag empty after a download") << QByteArray() << true << false << true;
    QTest::newRow("close box when forced") << QByteArray("1") << false << true << false;
}

void TestUpdateWindow::leavingRules()
{
    QFETCH(QByteArray, frcUp);
    QFETCH(bool, downloaded);
    QFETCH(bool, closeBox);
    QFETCH(bool, ends);
    RemoteConfig().FrcUp = frcUp;
    RemoteConfig().Version = "1.0.2.0";
    UpdateCheckHooks hooks;
    hooks.parent = m_main.get();
    auto* window = qobject_cast<TFormupdate*>(CheckForUpdate(hooks));
    QVERIFY(window && window->isModal() && window->isVisible());
    window->downloadCompleted = downloaded;
    if (closeBox)
        window->close();
    else
        QTest::mouseClick(window->BtnQuit, Qt::LeftButton);
    if (ends) {
        QVERIFY(window->isVisible()); // the program would end here; let the test go on
        window->close();
    }
    QCOMPARE(m_endCount, ends ? 1 : 0);
    QVERIFY(Formupdate == window && !window->isVisible()); // hidden, not destroyed
}

void TestUpdateWindow::linksOpenInDefaultBrowser()
{
    TemporaryRegistry registry;
    RecordingLauncher browser;
    registry.set(QStringLiteral("HKEY_CLASSES_ROOT\\HTTP\\Shell\\open\\command"), QString(),
                 QStringLiteral("\"%1\" %1").arg(browser.program()));
    RemoteConfig().updateline1 = "http://mirror.one/get?a=1";
    RemoteConfig().updateline3 = "http://mirror.three/";
    TFormupdate window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    const QString home = QString::fromLatin1(m_site.baseUrl() + "/");
    const auto launched = [&] {
        const QList<QStringList> launches = browser.launches();
        browser.clear();
        return launches;
    };
    QTest::mouseClick(window.btnHomepage, Qt::LeftButton);
    QCOMPARE(launched(), QList<QStringList>{{home}});
    QTest::mouseClick(window.imgUpdatePic, Qt::LeftButton);
    QCOMPARE(launched(), QList<QStringList>{{home}});
    QTest::mouseClick(window.lblupdateNote, Qt::LeftButton);
    QCOMPARE(launched(), QList<QStringList>{{home}});
    QTest::mouseClick(window.BtnBypass1, Qt::LeftButton);
    QCOMPARE(launched(), QList<QStringList>{{QStringLiteral("http://mirror.one/get?a=1")}});
    QTest::mouseClick(window.BtnBypass3, Qt::LeftButton);
    QCOMPARE(launched(), QList<QStringList>{{QStringLiteral("http://mirror.three/")}});
    // A press that is released outside the picture is no click.
    sendMouse(window.imgUpdatePic, QEvent::MouseButtonPress, {10, 10});
    sendMouse(window.imgUpdatePic, QEvent::MouseButtonRelease, {300, 10});
    QVERIFY(browser.launches(300).isEmpty());
}

void TestUpdateWindow::noteTurnsBlueUnderThePointer()
{
    TFormupdate window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const auto noteColor = [&] { return window.lblupdateNote->palette().color(QPalette::WindowText); };
    sendMouse(window.lblupdateNote, QEvent::MouseMove, {20, 20});
    QCOMPARE(noteColor(), QColor(0, 0, 255));
    // A move over another control that ignores moves is not the window's free area.
    sendMouse(window.lblSchedule, QEvent::MouseMove, {5, 5});
    QCOMPARE(noteColor(), QColor(0, 0, 255));
    sendMouse(&window, QEvent::MouseMove, {405, 100}); // free area right of the note
    QCOMPARE(noteColor(), QColor(0, 0, 0));
}

QTEST_MAIN(TestUpdateWindow)
#include "test_updatewindow.moc"
