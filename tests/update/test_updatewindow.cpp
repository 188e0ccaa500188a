// The version check and the update window: outcomes, layout, links, leaving.
#include "app/tformmain.h"
#include "config/remoteconfiguration.h"
#include "platform/testhooks.h"
#include "samplesite.h"
#include "services/buildinfo.h"
#include "services/lifecycle.h"
#include "services/windowrefs.h"
#include "testmain.h"
#include "testsupport.h"
#include "update/checkforupdate.h"
#include "update/tformupdate.h"

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
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
    void everythingShownFitsAndTheRestIsOutOfSight();
    void quitCaptionAndMirrorButtons_data();
    void quitCaptionAndMirrorButtons();
    void leavingRules_data();
    void leavingRules();
    void linksOpenInDefaultBrowser();
    void noteTurnsBlueUnderThePointer();

private:
    ProgramWorld m_world{{.settingsDocument = false}};
    QTemporaryDir m_files;
    QString m_picture; // a tall picture that a version read as rich text would show
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
    m_picture = m_files.filePath(QStringLiteral("tall.png"));
    QImage tall(20, 300, QImage::Format_RGB32);
    tall.fill(Qt::red);
    QVERIFY(tall.save(m_picture));
}

void TestUpdateWindow::init()
{
    QVERIFY(m_world.reset());
    m_endCount = 0;
    testHooks().endProgram = [this] { ++m_endCount; };
    m_main = std::make_unique<TFormmain>();
    Formmain = m_main.get();
}

void TestUpdateWindow::cleanup()
{
    m_main.reset();
    testHooks().endProgram = {};
    m_world.finish();
}

void TestUpdateWindow::versionOutcomes_data()
{
    QTest::addColumn<QByteArray>("version");
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("windowOpens");
    QTest::addColumn<bool>("counted");
    QTest::addColumn<bool>("selfUpdate"); // false: a build that its package manager updates
    const QString newer = QStringLiteral("当前版本:%1    服务器有新版本咯!!!").arg(QLatin1String(BuildInfo::version));
    QTest::newRow("same") << QByteArray(BuildInfo::version)
                          << QStringLiteral("当前版本:%1    您的版本已是最新!").arg(QLatin1String(BuildInfo::version))
                          << false << true << true;
    QTest::newRow("higher") << QByteArray("1.0.1.1") << newer << true << false << true;
    QTest::newRow("lower counts as new") << QByteArray("1.0.0.9") << newer << true << false << true;
    QTest::newRow("space before") << " " + QByteArray(BuildInfo::version) << newer << true << false << true;
    QTest::newRow("trailing line break") << QByteArray(BuildInfo::version) + "\r\n" << newer << true << false << true;
    // The settings document's text is shown as it is, never as markup that loads a picture.
    QTest::newRow("markup") << "9<img src=\"" + m_picture.toUtf8() + "\"><b>x</b>" << newer << true << false << true;
    QTest::newRow("none announced") << QByteArray() << QStringLiteral("提示：无法连接服务器!!") << false << false
                                    << true;
    // Without the update window a new version is announced with the update note and nothing is
    // counted; the current one is counted as in every build.
    QTest::newRow("higher, packaged") << QByteArray("1.0.1.1") << newer << false << false << false;
    QTest::newRow("same, packaged")
        << QByteArray(BuildInfo::version)
        << QStringLiteral("当前版本:%1    您的版本已是最新!").arg(QLatin1String(BuildInfo::version)) << false << true
        << false;
}

void TestUpdateWindow::versionOutcomes()
{
    QFETCH(QByteArray, version);
    QFETCH(QString, status);
    QFETCH(bool, windowOpens);
    QFETCH(bool, counted);
    QFETCH(bool, selfUpdate);
    remoteConfig().Version = version;
    m_world.site().clearRequestLog();
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
    hooks.selfUpdate = selfUpdate;
    MessageBoxRecorder boxes;
    const QPointer<TFormupdate> window = qobject_cast<TFormupdate*>(CheckForUpdate(hooks));

    QCOMPARE(shown, QStringList{status});
    QVERIFY(toldBeforeTheWindow);
    QCOMPARE(!window.isNull(), windowOpens);
    QCOMPARE(Formupdate.data(), window.data());
    if (windowOpens) {
        // Modal over the main window, and shown without waiting for it to close.
        QVERIFY(window->isModal() && window->isVisible());
        QCOMPARE(QApplication::activeModalWidget(), window.data());
        QCOMPARE(control<QLabel>(window, "lblupnote")->text(),
                 QStringLiteral("版本") + QString::fromLatin1(version) + QStringLiteral("  更新说明"));
        QVERIFY2(control<QLabel>(window, "lblupnote")->sizeHint().height() < 40, "a picture in the version line");
        // A completed update is counted through the main window's general counter browser.
        Q_EMIT window->useCounted("/update/update.php");
        window->close();
        QVERIFY(!window->isVisible());
    }
    QVERIFY(CounterBrowser::waitForIdle(5000));
    QCOMPARE(m_world.site().countRequests(QStringLiteral("GET /update/StNum.php")), counted ? 1 : 0);
    QCOMPARE(wbTjStNum.requestCount(), counted ? 1 : 0);
    QCOMPARE(m_world.site().countRequests(QStringLiteral("GET /update/update.php")), windowOpens ? 1 : 0);
    QCOMPARE(wbAllNum.requestCount(), windowOpens ? 1 : 0);
    const bool announced = !selfUpdate && !counted && !version.isEmpty();
    QCOMPARE(boxes.count(), announced ? 1 : 0);
    if (announced) {
        const TFormupdate updateWindow;
        const QString note = control<QLabel>(&updateWindow, "lblupdateNote")->text();
        QCOMPARE(boxes.texts().first(),
                 QStringLiteral("版本") + QString::fromLatin1(version) + QStringLiteral("  更新说明\n") + note +
                     QStringLiteral("本程序由系统的软件包管理器安装,新版本请通过软件包管理器更新。"));
        QCOMPARE(boxes.requests().first().kind, MessageBoxes::Kind::Plain);
    }
}

void TestUpdateWindow::everythingShownFitsAndTheRestIsOutOfSight()
{
    remoteConfig().FrcUp = "0"; // the longer caption of the leave button
    remoteConfig().updateline1 = remoteConfig().updateline2 = remoteConfig().updateline3 = "http://mirror/";
    TFormupdate window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.minimumSize(), window.maximumSize()); // a fixed border
    QVERIFY(window.windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(!control<QLabel>(&window, "imgUpdatePic")->pixmap().isNull());

    // Every text the user is shown is whole: wrapped lines within their label's height, single lines
    // within their control's width.
    const auto* updateNote = control<QLabel>(&window, "lblupdateNote");
    QString note = updateNote->text();
    while (note.endsWith(QLatin1Char('\n'))) // a closing line break shows nothing
        note.chop(1);
    const QRect noteRect = updateNote->contentsRect();
    QVERIFY(updateNote->fontMetrics().boundingRect(noteRect, Qt::TextWordWrap, note).height() <= noteRect.height());
    const auto fitsInWidth = [](const QWidget* widget, const QString& text, int margin) {
        return widget->fontMetrics().horizontalAdvance(text) + margin <= widget->width();
    };
    for (const char* name : {"BtnBypass1", "BtnBypass2", "BtnBypass3", "ButtonDown", "btnHomepage", "BtnQuit"}) {
        const auto* button = control<QPushButton>(&window, name);
        QVERIFY2(button->isVisible() && fitsInWidth(button, button->text(), 4), name);
    }
    const auto* panel = control<QStatusBar>(&window, "StatusBar1")->findChild<QLabel*>();
    QVERIFY(panel && fitsInWidth(panel, panel->text(), 0));
    window.showReleaseNote(QStringLiteral("1.0.10.100"));
    const auto* versionLine = control<QLabel>(&window, "lblupnote");
    QVERIFY(versionLine->text().contains(QStringLiteral("1.0.10.100")));
    QVERIFY(fitsInWidth(versionLine, versionLine->text(), 0));

    // The visible controls lie in the client area; the download's own ones out of sight below it.
    for (const char* name : {"imgUpdatePic", "lblupnote", "lblupdateNote", "BtnBypass1", "BtnBypass3", "lblSchedule",
                             "ProgressBar1", "ButtonDown", "btnHomepage", "BtnQuit", "StatusBar1"}) {
        const QRect place = control<QWidget>(&window, name)->geometry();
        QVERIFY2(window.rect().intersects(place) && place.bottom() <= window.height(), name);
    }
    for (const char* name : {"Edit1", "Edit2", "ListBox1", "Button2", "lblDownAddress", "lblThreads", "lblConnection"})
        QVERIFY2(!window.rect().intersects(control<QWidget>(&window, name)->geometry()), name);
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
    remoteConfig().FrcUp = frcUp;
    remoteConfig().updateline1 = lines[0];
    remoteConfig().updateline2 = lines[1];
    remoteConfig().updateline3 = lines[2];
    TFormupdate window;
    window.show();
    const auto mirror = [&](const TFormupdate& in, int number) {
        return control<QPushButton>(&in, QStringLiteral("BtnBypass%1").arg(number).toLatin1().constData());
    };
    QCOMPARE(control<QPushButton>(&window, "BtnQuit")->text(), quitCaption);
    QCOMPARE(
        (QList<bool>{mirror(window, 1)->isVisible(), mirror(window, 2)->isVisible(), mirror(window, 3)->isVisible()}),
        shown);
    // Each mirror keeps its own place whichever others are shown: where it stands with all three.
    remoteConfig().updateline1 = remoteConfig().updateline2 = remoteConfig().updateline3 = "http://mirror/";
    TFormupdate allShown;
    allShown.show();
    for (int number = 1; number <= 3; ++number)
        QCOMPARE(mirror(window, number)->geometry(), mirror(allShown, number)->geometry());
}

void TestUpdateWindow::leavingRules_data()
{
    // Leaving after a completed download is tested with a real download beside the download's tests.
    QTest::addColumn<QByteArray>("frcUp");
    QTest::addColumn<bool>("closeBox");
    QTest::addColumn<bool>("ends");
    QTest::newRow("voluntary") << QByteArray("0") << false << false;
    QTest::newRow("flag empty") << QByteArray() << false << false;
    QTest::newRow("forced, before any download") << QByteArray("1") << false << true;
    QTest::newRow("close box when forced") << QByteArray("1") << true << false;
}

void TestUpdateWindow::leavingRules()
{
    QFETCH(QByteArray, frcUp);
    QFETCH(bool, closeBox);
    QFETCH(bool, ends);
    remoteConfig().FrcUp = frcUp;
    remoteConfig().Version = "1.0.2.0";
    UpdateCheckHooks hooks;
    hooks.parent = m_main.get();
    auto* window = qobject_cast<TFormupdate*>(CheckForUpdate(hooks));
    QVERIFY(window && window->isModal() && window->isVisible());
    if (closeBox)
        window->close();
    else
        QTest::mouseClick(control<QPushButton>(window, "BtnQuit"), Qt::LeftButton);
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
                 QStringLiteral("\"%1\" %2").arg(browser.program(), QStringLiteral("%1")));
    remoteConfig().updateline1 = "http://mirror.one/get?a=1";
    remoteConfig().updateline3 = "http://mirror.three/";
    TFormupdate window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    const QString home = QString::fromLatin1(m_world.baseUrl() + "/");
    const auto launched = [&] {
        const QList<QStringList> launches = browser.launches();
        browser.clear();
        return launches;
    };
    QTest::mouseClick(control<QPushButton>(&window, "btnHomepage"), Qt::LeftButton);
    QCOMPARE(launched(), QList<QStringList>{{home}});
    QTest::mouseClick(control<QLabel>(&window, "imgUpdatePic"), Qt::LeftButton);
    QCOMPARE(launched(), QList<QStringList>{{home}});
    QTest::mouseClick(control<QLabel>(&window, "lblupdateNote"), Qt::LeftButton);
    QCOMPARE(launched(), QList<QStringList>{{home}});
    QTest::mouseClick(control<QPushButton>(&window, "BtnBypass1"), Qt::LeftButton);
    QCOMPARE(launched(), QList<QStringList>{{QStringLiteral("http://mirror.one/get?a=1")}});
    QTest::mouseClick(control<QPushButton>(&window, "BtnBypass3"), Qt::LeftButton);
    QCOMPARE(launched(), QList<QStringList>{{QStringLiteral("http://mirror.three/")}});
    // A press that is released outside the picture is no click, nor is one of the right button.
    sendMouse(control<QLabel>(&window, "imgUpdatePic"), QEvent::MouseButtonPress, {10, 10});
    sendMouse(control<QLabel>(&window, "imgUpdatePic"), QEvent::MouseButtonRelease, {300, 10});
    QTest::mouseClick(control<QLabel>(&window, "lblupdateNote"), Qt::RightButton);
    QVERIFY(browser.launches(300).isEmpty());
}

void TestUpdateWindow::noteTurnsBlueUnderThePointer()
{
    TFormupdate window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const auto noteColor = [&] {
        return control<QLabel>(&window, "lblupdateNote")->palette().color(QPalette::WindowText);
    };
    sendMouse(control<QLabel>(&window, "lblupdateNote"), QEvent::MouseMove, {20, 20});
    QCOMPARE(noteColor(), QColor(0, 0, 255));
    // A move over another control that ignores moves is not the window's free area.
    sendMouse(control<QLabel>(&window, "lblSchedule"), QEvent::MouseMove, {5, 5});
    QCOMPARE(noteColor(), QColor(0, 0, 255));
    sendMouse(&window, QEvent::MouseMove, {405, 100}); // free area right of the note
    QCOMPARE(noteColor(), QColor(0, 0, 0));
}

QUVO_TEST_MAIN(TestUpdateWindow)
#include "test_updatewindow.moc"
