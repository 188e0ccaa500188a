// Playing a result row on a cloud-play line, and handing rows to Thunder and the clipboard,
// driven through the real windows with a recording program as browser and as Thunder.
#include "app/tformmain.h"
#include "app/windowrefs.h"
#include "config/remoteconfiguration.h"
#include "platform/codepage.h"
#include "platform/counterbrowser.h"
#include "play/cloudplaystate.h"
#include "play/handoff.h"
#include "play/tformselcloud.h"
#include "samplesite.h"
#include "testsupport.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include <functional>
#include <memory>

namespace {

const QString kBrowserKey = QStringLiteral("HKEY_CLASSES_ROOT\\HTTP\\Shell\\open\\command");
const QString kThunderKey =
    QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Thunder Network\\ThunderOem\\thunder_backwnd");

ResultRow makeRow(const QString& title, const QByteArray& address, const QByteArray& key = "HASH0")
{
    return ResultRow{CodePage::toGbk(title), "1.2 GB", address, key};
}

} // namespace

class TestPlay : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void lineBasesAndRemoteLines();
    void launchArgumentsThatCouldBecomeOptionsAreRefused();
    void playCommandNeedsASelectedRow();
    void doubleClickOpensWindowAtCursorAndChosenLinePlays();
    void windowKeepsTheRowAddressOfItsCreation();
    void rememberedLinePlaysAtOnceOnItsBuiltInBase();
    void boxesAreExclusiveAndShownAgain();
    void singleClickModePlaysOnClickAndTwiceOnDoubleClick();
    void addressIsOneUnchangedArgument();
    void closeButtonClosesOnClickEnterAndHover();
    void settingsButtonOpensModalWindowCentredOnMain();
    void thunderHandOff();
    void clipboardCopiesAndTooltips();
    void buttonsShortcutsAndMenuItemsAgree();

private:
    QPoint rowCentre(int row) const;
    void doubleClickRow(int row);
    // Clicks "QV盒子-设置" and runs `body` on the modal window it opens; the window is closed
    // afterwards even when a check in `body` failed.
    void withSettingsWindow(const std::function<void(TFormSelCloud*)>& body);
    void addRows();
    QList<QStringList> waitForLaunches(const RecordingLauncher& launcher, int count) const;
    int counterRequests(const char* page);

    SampleSite m_site;
    TFormmain* m_main = nullptr;
    std::unique_ptr<TemporaryRegistry> m_registry;
    std::unique_ptr<RecordingLauncher> m_browser;
    std::unique_ptr<RecordingLauncher> m_thunder;
    std::unique_ptr<MessageBoxRecorder> m_boxes;
};

void TestPlay::initTestCase()
{
    QVERIFY(m_site.start() > 0);
    qputenv("QUVO_PRODUCT_SERVER", m_site.baseUrl());
}

void TestPlay::init()
{
    m_registry = std::make_unique<TemporaryRegistry>();
    m_browser = std::make_unique<RecordingLauncher>();
    m_thunder = std::make_unique<RecordingLauncher>();
    m_boxes = std::make_unique<MessageBoxRecorder>();
    m_registry->set(kBrowserKey, QString(), QLatin1Char('"') + m_browser->program() + QStringLiteral("\" \"%1\""));
    m_registry->set(kThunderKey, QStringLiteral("Path"), m_thunder->program());
    CloudPlay().reset();
    RemoteConfig() = RemoteConfiguration();
    QCursor::setPos(2, 2); // away from where the close button of a selection window may appear

    m_main = new TFormmain;
    Formmain = m_main;
    m_main->Tmrchkupdate.stop(); // no settings document: these tests set the record themselves
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main));
    CounterBrowser::waitForIdle(5000);
    m_site.clearRequestLog();
}

void TestPlay::cleanup()
{
    delete m_main; // selection windows go with it
    m_boxes.reset();
    m_registry.reset();
    RemoteConfig() = RemoteConfiguration();
}

QPoint TestPlay::rowCentre(int row) const
{
    return m_main->lv1->visualRect(m_main->lv1->model()->index(row, 0)).center();
}

void TestPlay::doubleClickRow(int row)
{
    // What a real double click delivers to a widget: press, release, double click, release.
    QWidget* viewport = m_main->lv1->viewport();
    const QPoint at = row >= 0 ? rowCentre(row) : QPoint(viewport->width() / 2, viewport->height() - 5);
    QTest::mousePress(viewport, Qt::LeftButton, {}, at);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, at);
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, at);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, at);
    QTest::qWait(20); // the handlers run queued
}

void TestPlay::withSettingsWindow(const std::function<void(TFormSelCloud*)>& body)
{
    bool ran = false;
    QTimer::singleShot(0, this, [&] {
        QPointer<TFormSelCloud> window = FormSelCloud;
        ran = window && window->isModal() && window->isVisible();
        if (ran)
            body(window);
        if (window)
            window->close();
    });
    m_main->btnCloudPlay->click();
    QVERIFY(ran);
}

void TestPlay::addRows()
{
    m_main->addResultRow(makeRow(QStringLiteral("电影一"), "magnet:?xt=urn:btih:AAA&dn=one", "KEY1"));
    m_main->addResultRow(makeRow(QStringLiteral("电影二"), "http://t.example/b.torrent", "KEY2"));
}

QList<QStringList> TestPlay::waitForLaunches(const RecordingLauncher& launcher, int count) const
{
    QElapsedTimer timer;
    timer.start();
    while (launcher.launches(0).size() < count && timer.elapsed() < 5000)
        QTest::qWait(20);
    QTest::qWait(150); // a late, unexpected start would show up here
    return launcher.launches(0);
}

int TestPlay::counterRequests(const char* page)
{
    CounterBrowser::waitForIdle(5000);
    return m_site.countRequests(QStringLiteral("GET ") + QLatin1String(page));
}

void TestPlay::lineBasesAndRemoteLines()
{
    const QByteArray line1 = CloudPlayState::builtInBase(1);
    const QByteArray line2 = CloudPlayState::builtInBase(2);
    QVERIFY(line1.startsWith("http://") && line1.endsWith("/?url="));
    QVERIFY(line2.startsWith("http://") && line2.endsWith("/api.html?url="));

    // Remote lines in force, line 1 withheld: the first choice keeps the still empty base.
    CloudPlayState state;
    RemoteConfiguration config;
    config.CloudDef = "1";
    config.Cldline1 = "0";
    config.Cldline2 = "http://remote2/p?v=";
    QCOMPARE(state.chooseLine(1, config, "ADDR"), QByteArray("ADDR"));
    QCOMPARE(state.chooseLine(2, config, "ADDR"), QByteArray("http://remote2/p?v=ADDR"));
    QCOMPARE(state.chooseLine(1, config, "ADDR"), QByteArray("http://remote2/p?v=ADDR"));
    QVERIFY(state.lineBase(1).isEmpty());

    // Built-in lines: both bases are joined, the chosen one is current.
    config.CloudDef = "0";
    QCOMPARE(state.chooseLine(2, config, "X"), line2 + "X");
    QCOMPARE(state.lineBase(1), line1);
    config.CloudDef.clear();
    QCOMPARE(state.chooseLine(1, config, "X"), line1 + "X");

    // A remembered line plays on its built-in base.
    QByteArray played;
    QVERIFY(!state.directPlay("X", &played));
    state.rememberLine(2);
    QCOMPARE(state.currentPlayBase(), line2);
    QVERIFY(state.directPlay("X", &played));
    QCOMPARE(played, line2 + "X");
    state.forgetLine();
    QVERIFY(state.rememberedLine().isEmpty());
}

void TestPlay::launchArgumentsThatCouldBecomeOptionsAreRefused()
{
    QVERIFY(HandOff::isSafeArgument(QStringLiteral("a\" --evil \"b")));
    QVERIFY(HandOff::isSafeArgument(QString()));
    QVERIFY(!HandOff::isSafeArgument(QStringLiteral("--remote-debugging-port=1")));
    QVERIFY(!HandOff::isSafeArgument(QStringLiteral("a\nb")));
    QVERIFY(!HandOff::isSafeArgument(QStringLiteral("a\rb")));
    QVERIFY(!HandOff::isSafeArgument(QStringLiteral("a") + QChar(0) + QStringLiteral("b")));
}

void TestPlay::playCommandNeedsASelectedRow()
{
    m_main->actCloudPlay->trigger();
    QCOMPARE(m_boxes->texts(), QStringList{QStringLiteral("请先选择一项内容!")});
    QVERIFY(FormSelCloud.isNull());

    // A double click below the last row leaves nothing selected, even after a row was.
    addRows();
    m_main->lv1->selectRow(0);
    m_boxes->clear();
    doubleClickRow(-1);
    QVERIFY(!m_main->selectedRow());
    QCOMPARE(m_boxes->texts(), QStringList{QStringLiteral("请先选择一项内容!")});
    QVERIFY(FormSelCloud.isNull());
}

void TestPlay::doubleClickOpensWindowAtCursorAndChosenLinePlays()
{
    addRows();
    const QPoint cursor(600, 400);
    QCursor::setPos(cursor);
    doubleClickRow(1);
    QPointer<TFormSelCloud> window = FormSelCloud;
    QVERIFY(window);
    QVERIFY(window->isVisible() && !window->isModal());
    QCOMPARE(window->pos(), cursor - QPoint(232, 122));
    QCOMPARE(window->windowRowAddress(), QByteArray("http://t.example/b.torrent"));

    QTest::mouseClick(window->lbl2, Qt::LeftButton);
    QCOMPARE(waitForLaunches(*m_browser, 1),
             QList<QStringList>{{QString::fromLatin1(CloudPlayState::builtInBase(1) + "http://t.example/b.torrent")}});
    QTRY_VERIFY(window.isNull());
    QCOMPARE(counterRequests("/update/CldNum1.php"), 1);
    QCOMPARE(counterRequests("/update/CldNum2.php"), 0);
    QVERIFY(m_boxes->texts().isEmpty());

    // The other line's picture and a remote line 2.
    RemoteConfig().CloudDef = "1";
    RemoteConfig().Cldline2 = "http://remote-two/?go=";
    m_browser->clear();
    doubleClickRow(0);
    QVERIFY(FormSelCloud);
    QTest::mouseClick(FormSelCloud->imgLine1, Qt::LeftButton);
    QCOMPARE(waitForLaunches(*m_browser, 1),
             QList<QStringList>{{QStringLiteral("http://remote-two/?go=magnet:?xt=urn:btih:AAA&dn=one")}});
    QCOMPARE(counterRequests("/update/CldNum2.php"), 1);
}

void TestPlay::windowKeepsTheRowAddressOfItsCreation()
{
    addRows();
    withSettingsWindow([&](TFormSelCloud* dialog) {
        QPointer<TFormSelCloud> window = dialog;
        QVERIFY(window->windowRowAddress().isEmpty());
        // Nothing selected now: the window says so and stays.
        QTest::mouseClick(window->lbl3, Qt::LeftButton);
        QCOMPARE(m_boxes->texts(), QStringList{QStringLiteral("您还没有在列表里选择需要播放的电影!")});
        QVERIFY(window->isVisible());
        // Selected later: the base alone is opened, the row's address was not captured.
        m_main->lv1->selectRow(0);
        QTest::mouseClick(window->lbl3, Qt::LeftButton);
        QVERIFY(window.isNull() || !window->isVisible());
    });
    QCOMPARE(waitForLaunches(*m_browser, 1), QList<QStringList>{{QString::fromLatin1(CloudPlayState::builtInBase(2))}});
    QCOMPARE(counterRequests("/update/CldNum2.php"), 1);
}

void TestPlay::rememberedLinePlaysAtOnceOnItsBuiltInBase()
{
    addRows();
    RemoteConfig().CloudDef = "1";
    RemoteConfig().Cldline2 = "http://remote-two/?go=";
    CloudPlay().rememberLine(2);
    doubleClickRow(1);
    QVERIFY(FormSelCloud.isNull());
    QCOMPARE(waitForLaunches(*m_browser, 1),
             QList<QStringList>{{QString::fromLatin1(CloudPlayState::builtInBase(2) + "http://t.example/b.torrent")}});
    QCOMPARE(m_site.requestLog(), QStringList());
}

void TestPlay::boxesAreExclusiveAndShownAgain()
{
    addRows();
    m_main->lv1->selectRow(0);
    m_main->actCloudPlay->trigger();
    QPointer<TFormSelCloud> window = FormSelCloud;
    QVERIFY(window);
    QVERIFY(!window->chkSelLoveLines1->isChecked() && !window->chkSelLoveLines2->isChecked());
    QTest::mouseClick(window->chkSelLoveLines2, Qt::LeftButton);
    QCOMPARE(CloudPlay().rememberedLine(), QByteArray("2"));
    QTest::mouseClick(window->chkSelLoveLines1, Qt::LeftButton);
    QCOMPARE(CloudPlay().rememberedLine(), QByteArray("1"));
    QVERIFY(window->chkSelLoveLines1->isChecked() && !window->chkSelLoveLines2->isChecked());
    QCOMPARE(CloudPlay().currentPlayBase(), CloudPlayState::builtInBase(1));
    window->BtnClose->click();
    QTRY_VERIFY(window.isNull());
    QVERIFY(m_browser->launches(300).isEmpty()); // ticking a box opens nothing

    // The settings button shows the remembered line; unticking forgets it.
    withSettingsWindow([](TFormSelCloud* window) {
        QVERIFY(window->chkSelLoveLines1->isChecked() && !window->chkSelLoveLines2->isChecked());
        QTest::mouseClick(window->chkSelLoveLines1, Qt::LeftButton);
    });
    QVERIFY(CloudPlay().rememberedLine().isEmpty());
}

void TestPlay::singleClickModePlaysOnClickAndTwiceOnDoubleClick()
{
    addRows();
    m_main->lv1->selectRow(0);
    withSettingsWindow([](TFormSelCloud* window) {
        QVERIFY(window->RgClickItem1->isChecked());
        QTest::mouseClick(window->RgClickItem0, Qt::LeftButton);
        QTest::mouseClick(window->chkSelLoveLines1, Qt::LeftButton);
    });
    QVERIFY(CloudPlay().singleClickPlay());

    doubleClickRow(1);
    const QString played = QString::fromLatin1(CloudPlayState::builtInBase(1) + "http://t.example/b.torrent");
    QCOMPARE(waitForLaunches(*m_browser, 2), (QList<QStringList>{{played}, {played}}));

    // A click below the rows selects nothing and says so.
    m_boxes->clear();
    QTest::mouseClick(m_main->lv1->viewport(), Qt::LeftButton, {}, QPoint(20, m_main->lv1->viewport()->height() - 5));
    QTest::qWait(20);
    QCOMPARE(m_boxes->texts(), QStringList{QStringLiteral("请先选择一项内容!")});

    // Back in double-click mode a click plays nothing and a double click plays once.
    withSettingsWindow([](TFormSelCloud* window) {
        QVERIFY(window->RgClickItem0->isChecked());
        QTest::mouseClick(window->RgClickItem1, Qt::LeftButton);
    });
    QVERIFY(!CloudPlay().singleClickPlay());
    m_browser->clear();
    QTest::mouseClick(m_main->lv1->viewport(), Qt::LeftButton, {}, rowCentre(0));
    doubleClickRow(1);
    QCOMPARE(waitForLaunches(*m_browser, 1), QList<QStringList>{{played}});
}

void TestPlay::addressIsOneUnchangedArgument()
{
    const QByteArray hostile = "http://x/a b?c=\"1\"&d='2' --new-window \"$(id)\"";
    m_main->addResultRow(makeRow(QStringLiteral("a"), hostile));
    m_main->addResultRow(makeRow(QStringLiteral("b"), "http://x/\nrm -rf /"));
    m_main->addResultRow(makeRow(QStringLiteral("c"), "--remote-debugging-port=9"));
    CloudPlay().rememberLine(1);
    m_main->lv1->selectRow(0);
    m_main->actCloudPlay->trigger();
    QCOMPARE(waitForLaunches(*m_browser, 1),
             QList<QStringList>{{QString::fromLatin1(CloudPlayState::builtInBase(1) + hostile)}});

    // A line break is never launched; neither is an address that would read as an option, which
    // happens when a remote line leaves the play base empty.
    m_browser->clear();
    m_main->lv1->selectRow(1);
    m_main->actCloudPlay->trigger();
    CloudPlay().forgetLine();
    CloudPlay().reset();
    RemoteConfig().CloudDef = "1";
    m_main->lv1->selectRow(2);
    m_main->actCloudPlay->trigger();
    QVERIFY(FormSelCloud);
    QTest::mouseClick(FormSelCloud->lbl4, Qt::LeftButton);
    QVERIFY(m_browser->launches(500).isEmpty());
    QCOMPARE(counterRequests("/update/CldNum1.php"), 1); // the choice itself still counts
}

void TestPlay::closeButtonClosesOnClickEnterAndHover()
{
    addRows();
    m_main->lv1->selectRow(0);
    for (int way = 0; way < 3; ++way) {
        m_main->actCloudPlay->trigger();
        QPointer<TFormSelCloud> window = FormSelCloud;
        QVERIFY(window);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        if (way == 0)
            QTest::mouseClick(window->BtnClose, Qt::LeftButton);
        else if (way == 1)
            QTest::keyClick(window, Qt::Key_Return);
        else
            QTest::mouseMove(window->BtnClose);
        QTRY_VERIFY2(window.isNull(), qPrintable(QStringLiteral("way %1").arg(way)));
        QCursor::setPos(2, 2);
    }
    QVERIFY(m_browser->launches(200).isEmpty());
}

void TestPlay::settingsButtonOpensModalWindowCentredOnMain()
{
    withSettingsWindow([&](TFormSelCloud* window) {
        QCOMPARE(window->windowTitle(), QStringLiteral("讯雷云点播线路选择"));
        QCOMPARE(window->size(), QSize(456, 260));
        QCOMPARE(window->minimumSize(), window->maximumSize());
        QVERIFY(window->windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(!(window->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY((window->frameGeometry().center() - m_main->frameGeometry().center()).manhattanLength() <= 2);
        QCOMPARE(window->BtnClose->text(), QStringLiteral("关   闭 "));
        QVERIFY(window->BtnClose->isDefault());
        QCOMPARE(window->BtnClose->geometry(), QRect(97, 208, 256, 40));
        QCOMPARE(window->imgLine2->geometry(), QRect(31, 21, 170, 123));
        QCOMPARE(window->imgLine1->geometry(), QRect(255, 21, 170, 123));
        QVERIFY(!window->imgLine1->pixmap().isNull() && !window->imgLine2->pixmap().isNull());
        QCOMPARE(window->lbl2->font().pixelSize(), 35);
        QVERIFY(window->lbl1->font().bold());
        QCOMPARE(window->palette().color(window->backgroundRole()), QColor(128, 128, 0));
        QCOMPARE(window->chkSelLoveLines2->toolTip(),
                 QStringLiteral("选择您常用的线路,保存后下次可直接默认使用您偏好的线路!"));
        QCOMPARE(window->lbl3->toolTip(), QStringLiteral("请不要同时打开多条相同线路,以保证服务器负载稳定性!"));
    });
}

void TestPlay::thunderHandOff()
{
    QApplication::clipboard()->setText(QStringLiteral("before"));
    m_main->ThunderDown->trigger();
    QCOMPARE(m_boxes->lastText(), QStringLiteral("骚年,请先选择好电影名再点我好么?!"));

    m_main->addResultRow(makeRow(QStringLiteral("a"), "A", "a\" --evil \"b"));
    m_main->addResultRow(makeRow(QStringLiteral("b"), "B", "line\nbreak"));
    m_main->addResultRow(makeRow(QStringLiteral("c"), "C", "-evil"));
    m_main->addResultRow(makeRow(QStringLiteral("d"), "D", "ABC123"));

    // Refused keys first; only the last start may reach the recording program.
    for (int row : {1, 2, 3}) {
        m_main->lv1->selectRow(row);
        m_main->ThunderDown->trigger();
    }
    QCOMPARE(waitForLaunches(*m_thunder, 1), QList<QStringList>{{QStringLiteral("ABC123")}});
    m_thunder->clear();
    m_main->lv1->selectRow(0);
    m_main->ThunderDown->trigger();
    QCOMPARE(waitForLaunches(*m_thunder, 1), QList<QStringList>{{QStringLiteral("a\" --evil \"b")}});
    QCOMPARE(m_boxes->count(), 1);

    // No Thunder installed.
    m_registry->set(kThunderKey, QStringLiteral("Path"), QString());
    m_main->ThunderDown->trigger();
    QCOMPARE(m_boxes->lastText(), QStringLiteral("说好的迅雷呢?"));
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("before"));
    QVERIFY(m_browser->launches(0).isEmpty());
}

void TestPlay::clipboardCopiesAndTooltips()
{
    m_main->PopCopyCaption->trigger();
    m_main->mniPopCopyAdd->trigger();
    QCOMPARE(m_boxes->texts(),
             (QStringList{QStringLiteral("请先选择要复制的电影名!"), QStringLiteral("请先选中要复制的电影!")}));
    QVERIFY(m_main->lv1->toolTip().isEmpty());

    m_main->addResultRow(makeRow(QStringLiteral("流浪地球 2019"), "magnet:?xt=urn:btih:FFF"));
    m_main->addResultRow(makeRow(QStringLiteral("empty"), ""));
    m_main->lv1->selectRow(0);
    m_main->PopCopyCaption->trigger();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("流浪地球 2019"));
    QCOMPARE(m_main->lv1->toolTip(), QStringLiteral("复制标题成功"));
    m_main->mniPopCopyAdd->trigger();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("magnet:?xt=urn:btih:FFF"));
    QCOMPARE(m_main->lv1->toolTip(), QStringLiteral("复制地址成功"));

    // The tooltip shows when the pointer rests on a row.
    QWidget* viewport = m_main->lv1->viewport();
    QHelpEvent help(QEvent::ToolTip, rowCentre(0), viewport->mapToGlobal(rowCentre(0)));
    QApplication::sendEvent(viewport, &help);
    QTRY_COMPARE(QToolTip::text(), QStringLiteral("复制地址成功"));

    m_main->lv1->selectRow(1);
    m_main->PopCopyCaption->trigger();
    m_main->mniPopCopyAdd->trigger();
    QCOMPARE(QApplication::clipboard()->text(), QString());
    QCOMPARE(m_main->lv1->toolTip(), QStringLiteral("复制地址成功"));
    QCOMPARE(m_boxes->count(), 2);
}

void TestPlay::buttonsShortcutsAndMenuItemsAgree()
{
    struct Command {
        QAction* item;
        QPushButton* button;
        Qt::Key key;
    };
    const Command commands[] = {{m_main->ThunderDown, m_main->btnXunleiDown, Qt::Key_T},
                                {m_main->PopCopyCaption, m_main->btnCopyCap, Qt::Key_R},
                                {m_main->mniPopCopyAdd, m_main->btnCopyAdd, Qt::Key_S}};
    m_main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_main));

    // Without a row: one message per way, the same for all three ways. (A mnemonic clicks its
    // button with a short press animation, hence the waits.)
    for (const Command& command : commands) {
        m_boxes->clear();
        command.item->trigger();
        command.button->click();
        QTest::keyClick(m_main, command.key, Qt::AltModifier);
        QTRY_COMPARE(m_boxes->count(), 3);
        QCOMPARE(m_boxes->texts().at(1), m_boxes->texts().at(0));
        QCOMPARE(m_boxes->texts().at(2), m_boxes->texts().at(0));
    }

    m_main->addResultRow(makeRow(QStringLiteral("标题"), "addr", "KEY"));
    m_main->lv1->selectRow(0);
    m_boxes->clear();
    QTest::keyClick(m_main, Qt::Key_R, Qt::AltModifier);
    QTRY_COMPARE(QApplication::clipboard()->text(), QStringLiteral("标题"));
    QTest::keyClick(m_main, Qt::Key_S, Qt::AltModifier);
    QTRY_COMPARE(QApplication::clipboard()->text(), QStringLiteral("addr"));
    m_main->btnCopyCap->click();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("标题"));
    QTest::keyClick(m_main, Qt::Key_T, Qt::AltModifier);
    m_main->btnXunleiDown->click();
    QCOMPARE(waitForLaunches(*m_thunder, 2), (QList<QStringList>{{QStringLiteral("KEY")}, {QStringLiteral("KEY")}}));
    QVERIFY(m_boxes->texts().isEmpty());
}

QTEST_MAIN(TestPlay)
#include "test_play.moc"
