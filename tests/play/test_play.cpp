// Playing a result row on a cloud-play line and handing rows to Thunder and the clipboard, driven
// through the real windows with a recording program as browser and as Thunder.
#include "app/tformmain.h"
#include "config/remoteconfiguration.h"
#include "config/settingsview.h"
#include "platform/codepage.h"
#include "play/cloudplaystate.h"
#include "play/magnetlink.h"
#include "play/tformselcloud.h"
#include "samplesite.h"
#include "search/resultmodel.h"
#include "services/windowrefs.h"
#include "testmain.h"
#include "testsupport.h"

#include <QCheckBox>
#include <QClipboard>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include <algorithm>
#include <functional>
#include <memory>

namespace {
const QString kThunderKey =
    QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Thunder Network\\ThunderOem\\thunder_backwnd");
const QByteArray kLine1 = CloudPlayState::builtInBase(1);
const QByteArray kLine2 = CloudPlayState::builtInBase(2);
using Launches = QList<QStringList>;
} // namespace

class TestPlay : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void lineRules();
    void playingFromTheList();
    void lineWindow();
    void launchesAreOneArgumentEach();
    void clipboardAndButtons();
    void magnetLinks_data();
    void magnetLinks();
    void magnetItemsOnTheFilteredList();

private:
    void addRow(const QString& title, const QByteArray& address, const QByteArray& key = "KEY");
    void clickList(int row, bool doubleClick);                                // row -1: below the rows
    void withSettingsWindow(const std::function<void(TFormSelCloud*)>& body); // closes it afterwards
    Launches launches(const RecordingLauncher& launcher, int expected);
    int requests(const char* path);
    int counterRequests(); // requests of counter pages
    QTableView* list() const { return control<QTableView>(m_main, "lv1"); }
    QAction* action(const char* name) const { return control<QAction>(m_main, name); }
    QAbstractButton* button(const char* name) const { return control<QAbstractButton>(m_main, name); }

    ProgramWorld m_world{{.settingsDocument = false, .browserRecorded = true}};
    TFormmain* m_main = nullptr;
    std::unique_ptr<RecordingLauncher> m_thunder;
    std::unique_ptr<MessageBoxRecorder> m_boxes;
};

void TestPlay::init()
{
    QVERIFY(m_world.reset());
    m_thunder = std::make_unique<RecordingLauncher>();
    m_boxes = std::make_unique<MessageBoxRecorder>();
    m_world.registry().set(kThunderKey, QStringLiteral("Path"), m_thunder->program()); // holds a blank
    CloudPlay().reset();
    QCursor::setPos(2, 2); // away from where a close button may appear
    Formmain = m_main = new TFormmain;
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main));
    m_world.site().clearRequestLog(); // the counters of the window's opening are not the tests'
}

void TestPlay::cleanup()
{
    delete m_main;
    m_boxes.reset();
    m_world.finish();
}

void TestPlay::addRow(const QString& title, const QByteArray& address, const QByteArray& key)
{
    qobject_cast<ResultModel*>(list()->model())->addRow(ResultRow{CodePage::toGbk(title), "1 GB", address, key});
}

void TestPlay::clickList(int row, bool doubleClick)
{
    QWidget* viewport = list()->viewport();
    const QPoint at =
        row >= 0 ? list()->visualRect(list()->model()->index(row, 0)).center() : QPoint(20, viewport->height() - 5);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
    if (doubleClick) { // what a widget receives of a real double click: press, release, double click, release
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, at);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, at);
    }
    QCoreApplication::sendPostedEvents(m_main, QEvent::MetaCall); // the handlers run queued
}

void TestPlay::withSettingsWindow(const std::function<void(TFormSelCloud*)>& body)
{
    bool ran = false;
    QTimer::singleShot(0, this, [&] {
        QPointer<TFormSelCloud> window = FormSelCloud;
        if ((ran = window && window->isModal()))
            body(window);
        if (window)
            window->close();
    });
    button("btnCloudPlay")->click();
    QVERIFY(ran);
}

Launches TestPlay::launches(const RecordingLauncher& launcher, int expected)
{
    static_cast<void>(
        QTest::qWaitFor([&] { return launcher.launches(0).size() >= expected; }, 5000)); // compared by the caller
    QTest::qWait(150); // room for an unexpected further start
    return launcher.launches(0);
}

int TestPlay::requests(const char* path)
{
    CounterBrowser::waitForIdle(5000);
    return m_world.site().countRequests(QStringLiteral("GET ") + QLatin1String(path));
}

int TestPlay::counterRequests()
{
    CounterBrowser::waitForIdle(5000);
    const QStringList log = m_world.site().requestLog();
    return int(std::count_if(log.begin(), log.end(),
                             [](const QString& line) { return line.endsWith(QLatin1String(".php")); }));
}

void TestPlay::lineRules()
{
    QVERIFY(kLine1.startsWith("http://") && kLine1.endsWith("/?url="));
    QVERIFY(kLine2.startsWith("http://") && kLine2.endsWith("/api.html?url="));
    // Remote lines in force but line 1 withheld: the base stays what it was, empty at first.
    CloudPlayState state;
    RemoteConfiguration config;
    config.CloudDef = "1";
    config.Cldline1 = "0";
    config.Cldline2 = "http://r2/?v=";
    const SettingsView settings(config);
    QCOMPARE(state.chooseLine(1, settings, "A"), QByteArray("A"));
    QCOMPARE(state.chooseLine(2, settings, "A"), QByteArray("http://r2/?v=A"));
    QCOMPARE(state.chooseLine(1, settings, "A"), QByteArray("http://r2/?v=A"));
    config.CloudDef = "0";
    QCOMPARE(state.chooseLine(2, settings, "A"), kLine2 + "A");
    QCOMPARE(state.lineBase(1), kLine1);
}

void TestPlay::playingFromTheList()
{
    action("actCloudPlay")->trigger();
    QVERIFY(FormSelCloud.isNull());
    addRow(QStringLiteral("一"), "magnet:?xt=urn:btih:AAA&dn=one");
    addRow(QStringLiteral("二"), "http://t.example/b.torrent");

    // A double click opens a line window at the pointer; line 1 plays the row and counts once.
    const QPoint cursor(600, 400);
    QCursor::setPos(cursor);
    clickList(0, true);
    QPointer<TFormSelCloud> window = FormSelCloud;
    QVERIFY(window && window->isVisible() && !window->isModal());
    QCOMPARE(window->pos(), cursor - QPoint(232, 122));
    QTest::mouseClick(control<QLabel>(window, "lbl2"), Qt::LeftButton);
    QCOMPARE(launches(m_world.browser(), 1),
             Launches{{QString::fromLatin1(kLine1 + "magnet:?xt=urn:btih:AAA&dn=one")}});
    QTRY_VERIFY(window.isNull());
    QCOMPARE(requests("/update/CldNum1.php"), 1);

    // A remembered line 2 plays at once on its built-in base, remote line or not, and counts nothing.
    remoteConfig().CloudDef = "1";
    remoteConfig().Cldline2 = "http://remote/?go=";
    CloudPlay().rememberLine(2);
    m_world.browser().clear();
    m_world.site().clearRequestLog();
    clickList(1, true);
    QVERIFY(FormSelCloud.isNull());
    const QString played2 = QString::fromLatin1(kLine2 + "http://t.example/b.torrent");
    QCOMPARE(launches(m_world.browser(), 1), Launches{{played2}});
    QCOMPARE(counterRequests(), 0);

    // Single-click mode: a double click plays twice; a click below the rows finds nothing selected.
    CloudPlay().setSingleClickPlay(true);
    m_world.browser().clear();
    clickList(1, true);
    QCOMPARE(launches(m_world.browser(), 2), (Launches{{played2}, {played2}}));
    QVERIFY(m_boxes->texts().size() == 1);
    clickList(-1, false);
    QVERIFY(list()->selectionModel()->selectedRows().isEmpty());
    QCOMPARE(m_boxes->texts(), QStringList(2, QStringLiteral("请先选择一项内容!")));
}

void TestPlay::lineWindow()
{
    addRow(QStringLiteral("一"), "ADDR");
    // Opened with nothing selected: it captured no address, and asks for a row when nothing is selected.
    withSettingsWindow([&](TFormSelCloud* window) {
        QVERIFY((window->frameGeometry().center() - m_main->frameGeometry().center()).manhattanLength() <= 2);
        QVERIFY(!control<QLabel>(window, "imgLine1")->pixmap().isNull() &&
                !control<QLabel>(window, "imgLine2")->pixmap().isNull());
        QTest::mouseClick(control<QLabel>(window, "lbl3"), Qt::LeftButton);
        QCOMPARE(m_boxes->texts(), QStringList{QStringLiteral("您还没有在列表里选择需要播放的电影!")});
        QVERIFY(window->isVisible());
        list()->selectRow(0);
        QTest::mouseClick(control<QLabel>(window, "imgLine1"), Qt::LeftButton);
    });
    QCOMPARE(launches(m_world.browser(), 1), Launches{{QString::fromLatin1(kLine2)}});
    QCOMPARE(requests("/update/CldNum2.php"), 1);

    // The boxes exclude each other, are shown again, and set the play mode's partner state.
    withSettingsWindow([](TFormSelCloud* window) {
        QTest::mouseClick(control<QCheckBox>(window, "chkSelLoveLines2"), Qt::LeftButton);
        QTest::mouseClick(control<QCheckBox>(window, "chkSelLoveLines1"), Qt::LeftButton);
        QVERIFY(!control<QCheckBox>(window, "chkSelLoveLines2")->isChecked());
        QTest::mouseClick(control<QRadioButton>(window, "RgClickItem0"), Qt::LeftButton);
    });
    QCOMPARE(CloudPlay().rememberedLine(), QByteArray("1"));
    QVERIFY(CloudPlay().singleClickPlay());
    withSettingsWindow([](TFormSelCloud* window) {
        QVERIFY(control<QCheckBox>(window, "chkSelLoveLines1")->isChecked() &&
                control<QRadioButton>(window, "RgClickItem0")->isChecked());
        QTest::mouseClick(control<QCheckBox>(window, "chkSelLoveLines1"), Qt::LeftButton);
    });
    QVERIFY(CloudPlay().rememberedLine().isEmpty());

    // The close button closes on a click, on Enter and when the pointer passes over it.
    for (int way = 0; way < 3; ++way) {
        action("actCloudPlay")->trigger();
        QPointer<TFormSelCloud> window = FormSelCloud;
        QVERIFY(window && QTest::qWaitForWindowExposed(window));
        if (way == 0)
            QTest::mouseClick(control<QPushButton>(window, "BtnClose"), Qt::LeftButton);
        else if (way == 1)
            QTest::keyClick(window, Qt::Key_Return);
        else
            QTest::mouseMove(control<QPushButton>(window, "BtnClose"));
        QTRY_VERIFY2(window.isNull(), qPrintable(QString::number(way)));
        QCursor::setPos(2, 2);
    }
    QCOMPARE(m_world.browser().launches(0).size(), 1);
}

void TestPlay::launchesAreOneArgumentEach()
{
    const QByteArray hostile = "http://x/a b?c=\"1\"&d='2' --new-window \"$(id)\"";
    addRow(QStringLiteral("a"), hostile, "a --evil b");
    addRow(QStringLiteral("b"), "http://x/\nrm", "line\nbreak");
    addRow(QStringLiteral("c"), "--remote-debugging-port=9", "-evil");
    addRow(QStringLiteral("d"), "file:///etc/passwd", "file:///etc/passwd");
    addRow(QStringLiteral("e"), "Documents/secret.html", "/home/u/.ssh/id_rsa");
    addRow(QStringLiteral("f"), "view-source:file:///etc/passwd", "~/x.torrent");
    // Refused first (a line break; an option, a local file, a relative path or another scheme once
    // a remote line leaves the base empty; a key that is a path): only the last start may reach
    // each recording program.
    remoteConfig().CloudDef = "1";
    for (int row : {5, 4, 3, 2}) {
        list()->selectRow(row);
        action("actCloudPlay")->trigger();
        QTest::mouseClick(control<QLabel>(FormSelCloud, "lbl4"), Qt::LeftButton);
    }
    CloudPlay().rememberLine(1);
    for (int row : {5, 4, 3, 2, 1, 0}) {
        list()->selectRow(row);
        if (row < 2)
            action("actCloudPlay")->trigger();
        action("ThunderDown")->trigger();
    }
    // The row's quotes and blanks leave percent-encoded, the query's own "&" and "=" as they were.
    QCOMPARE(launches(m_world.browser(), 1),
             Launches{{QString::fromLatin1(kLine1 + "http://x/a%20b?c=%221%22&d='2'%20--new-window%20%22$(id)%22")}});
    QCOMPARE(launches(*m_thunder, 1), Launches{thunderRecord(QStringLiteral("a --evil b"))});

    // No Thunder: a message, and the clipboard stays as it was.
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    m_world.registry().set(kThunderKey, QStringLiteral("Path"), QString());
    action("ThunderDown")->trigger();
    QCOMPARE(m_boxes->texts(), QStringList{QStringLiteral("说好的迅雷呢?")});
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
}

void TestPlay::clipboardAndButtons()
{
    struct Way {
        QAction* item;
        QAbstractButton* button;
        Qt::Key key;
    };
    const Way ways[] = {{action("ThunderDown"), button("btnXunleiDown"), Qt::Key_T},
                        {action("PopCopyCaption"), button("btnCopyCap"), Qt::Key_R},
                        {action("mniPopCopyAdd"), button("btnCopyAdd"), Qt::Key_S}};
    m_main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_main));
    // No row: menu item, button and Alt key say the same (the key clicks with a short animation).
    for (const Way& way : ways) {
        m_boxes->clear();
        way.item->trigger();
        way.button->click();
        QTest::keyClick(m_main, way.key, Qt::AltModifier);
        QTRY_COMPARE(m_boxes->count(), 3);
        QCOMPARE(m_boxes->texts(), QStringList(3, m_boxes->texts().first()));
    }
    QCOMPARE(m_boxes->texts().first(), QStringLiteral("请先选中要复制的电影!"));

    addRow(QStringLiteral("流浪地球 2019"), "magnet:?xt=urn:btih:FFF", "KEY");
    addRow(QStringLiteral("empty"), "");
    list()->selectRow(0);
    QTest::keyClick(m_main, Qt::Key_R, Qt::AltModifier);
    QTRY_COMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("流浪地球 2019"));
    QCOMPARE(list()->toolTip(), QStringLiteral("复制标题成功"));
    button("btnCopyAdd")->click();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("magnet:?xt=urn:btih:FFF"));
    const QPoint onRow = list()->visualRect(list()->model()->index(0, 0)).center();
    QHelpEvent help(QEvent::ToolTip, onRow, list()->viewport()->mapToGlobal(onRow));
    QApplication::sendEvent(list()->viewport(), &help);
    QTRY_COMPARE(QToolTip::text(), QStringLiteral("复制地址成功"));
    QTest::keyClick(m_main, Qt::Key_T, Qt::AltModifier);
    button("btnXunleiDown")->click();
    QCOMPARE(launches(*m_thunder, 2),
             (Launches{thunderRecord(QStringLiteral("KEY")), thunderRecord(QStringLiteral("KEY"))}));
#ifdef Q_OS_WIN
    // Thunder's command line: the registry value as read, one blank, the key in double quotes; started
    // hidden (SW_HIDE). Wine puts quotes round a program path with a blank that it had to search for, so
    // the program's end may carry one there.
    const QList<QStringList> starts = m_thunder->starts();
    QCOMPARE(starts.size(), 2);
    for (const QStringList& start : starts) {
        QVERIFY2(start[0].endsWith(QStringLiteral("launcher.exe \"KEY\"")) ||
                     start[0].endsWith(QStringLiteral("launcher.exe\" \"KEY\"")),
                 qPrintable(start[0]));
        QCOMPARE(start[1], QStringLiteral("0"));
    }
#endif

    list()->selectRow(1);
    action("mniPopCopyAdd")->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), QString());
    QCOMPARE(list()->toolTip(), QStringLiteral("复制地址成功"));
    QCOMPARE(m_boxes->count(), 3);
}

void TestPlay::magnetLinks_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QByteArray>("address");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QString>("link"); // empty: none

    const QByteArray hex = "0123456789ABCDEF0123456789abcdef01234567";
    const QByteArray base32 = "MFRGGZDFMZTWQ2LKNNWG23TPOBYXE43U";
    const QString xt = QStringLiteral("magnet:?xt=urn:btih:");
    const QString tracker = QStringLiteral("&tr=http%3A%2F%2Ftracker.example.org%3A2710%2Fannounce");
    const QByteArray udp = "udp%3A%2F%2Fopen.demo%3A80";
    // As the row cutter leaves a sample site's address: cut before "Fannounce&".
    const QByteArray cut = "magnet:?xt=urn:btih:" + hex + "&dn=x&tr=http%3A%2F%2Ftracker.example.org%3A2710%2";

    QTest::newRow("the cut tracker restored") << "Iron Man" << cut << hex << xt + hex + "&dn=Iron%20Man" + tracker;
    QTest::newRow("base-32 key") << "a" << QByteArray() << base32 << xt + base32 + "&dn=a";
    QTest::newRow("& # + and blanks in the title")
        << " A&amp;B #1 + C " << cut << hex << xt + hex + "&dn=A%26B%20%231%20%2B%20C" + tracker;
    QTest::newRow("GBK-only characters, UTF-8 encoded")
        << QStringLiteral("鋼鐵俠·电影") << QByteArray() << hex
        << xt + hex + "&dn=%E9%8B%BC%E9%90%B5%E4%BF%A0%C2%B7%E7%94%B5%E5%BD%B1";
    QTest::newRow("every tracker, whole trackers kept, others dropped")
        << "t"
        << "magnet:?xt=urn:btih:" + hex + "&amp;tr=" + udp + "&tr=javascript%3Aalert(1)&tr=%2F%2Fno-scheme&tr=" + udp +
               "&tr=http%3A%2F%2Fb.demo%2"
        << hex << xt + hex + "&dn=t&tr=udp%3A%2F%2Fopen.demo%3A80&tr=http%3A%2F%2Fb.demo%2Fannounce";
    QTest::newRow("an address that is no magnet link gives no tracker")
        << "t" << QByteArray("http://x/?tr=http%3A%2F%2Fa.demo%2F") << hex << xt + hex + "&dn=t";
    QTest::newRow("an empty title gives no name") << "" << QByteArray() << hex << xt + hex;
    QTest::newRow("key too short") << "t" << cut << hex.left(39) << QString();
    QTest::newRow("key too long") << "t" << cut << hex + "0" << QString();
    QTest::newRow("40 characters, not hexadecimal") << "t" << cut << QByteArray(40, 'g') << QString();
    QTest::newRow("32 characters, not base-32")
        << "t" << cut << QByteArray("MFRGGZDFMZTWQ2LKNNWG23TPOBYXE438") << QString();
    QTest::newRow("key with a quote") << "t" << cut << QByteArray("a\" --evil \"b") << QString();
    QTest::newRow("empty key") << "t" << cut << QByteArray() << QString();
}

void TestPlay::magnetLinks()
{
    QFETCH(QString, title);
    QFETCH(QByteArray, address);
    QFETCH(QByteArray, key);
    QFETCH(QString, link);
    const Expected<QString> built = MagnetLink::build(ResultRow{CodePage::toGbk(title), "1 GB", address, key});
    QCOMPARE(built.ok(), !link.isEmpty());
    if (built.ok())
        QCOMPARE(built.value(), link);
    else
        QVERIFY(!built.error().isEmpty());
}

void TestPlay::magnetItemsOnTheFilteredList()
{
    const QByteArray keys[] = {"1111111111111111111111111111111111111111", "NOT-A-KEY",
                               "3333333333333333333333333333333333333333", "4444444444444444444444444444444444444444"};
    addRow(QStringLiteral("Iron Man 1"), "", keys[0]);
    addRow(QStringLiteral("Iron Man 2"), "", keys[1]);
    addRow(QStringLiteral("Iron Sky"), "", keys[2]);
    auto menuItems = [&]() -> QStringList { // what the list's menu offers, as the user opens it
        emit list()->customContextMenuRequested(QPoint(5, 5));
        QMenu* menu = qobject_cast<QMenu*>(action("mniCopyMagnet")->associatedObjects().constFirst());
        if (!menu || !QTest::qWaitFor([menu] { return menu->isVisible(); }))
            return {QStringLiteral("no menu")};
        QStringList items;
        for (const QAction* item : menu->actions())
            items << (item->isSeparator() ? QStringLiteral("-") : item->text() + (item->isEnabled() ? "" : " (grey)"));
        menu->close();
        return items.mid(items.indexOf(QStringLiteral("-")));
    };
    QCOMPARE(menuItems(),
             (QStringList{"-", "(&M)复制磁力链接 (grey)", "(&L)复制全部磁力链接", "(&O)用默认下载工具打开 (grey)",
                          "(&F)筛选结果", "(&W)搜索网站…", "(&H)清除搜索记录"}));

    // Ctrl+F, a word and an exclusion; a row arriving while the filter is on is filtered too.
    m_main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_main));
    QTest::keyClick(m_main, Qt::Key_F, Qt::ControlModifier);
    auto* words = control<QLineEdit>(m_main, "EdtFilter");
    QTRY_VERIFY(words->isVisible() && words->hasFocus());
    QTest::keyClicks(words, QStringLiteral("iron -sky"));
    addRow(QStringLiteral("Iron Man 3"), "", keys[3]);
    QCOMPARE(list()->model()->rowCount(), 3);
    list()->selectRow(1);
    QCOMPARE(menuItems().mid(1, 3),
             (QStringList{"(&M)复制磁力链接 (grey)", "(&L)复制全部磁力链接", "(&O)用默认下载工具打开 (grey)"}));

    // Sorting orders what is shown, and copying every link takes the shown rows in that order,
    // through the system's clipboard; the row without a key has none.
    list()->horizontalHeader()->sectionClicked(0); // ascending
    list()->horizontalHeader()->sectionClicked(0); // descending
    action("mniCopyAllMagnets")->trigger();
    const QString xt = QStringLiteral("magnet:?xt=urn:btih:");
    QTRY_COMPARE(QGuiApplication::clipboard()->text(),
                 xt + keys[3] + "&dn=Iron%20Man%203\n" + xt + keys[0] + "&dn=Iron%20Man%201");
    list()->selectRow(0);
    QCOMPARE(menuItems().at(1), QStringLiteral("(&M)复制磁力链接"));
    action("mniCopyMagnet")->trigger();
    QTRY_COMPARE(QGuiApplication::clipboard()->text(), xt + keys[3] + "&dn=Iron%20Man%203");
    QCOMPARE(list()->toolTip(), QStringLiteral("复制磁力链接成功"));
    // Thunder takes the selected row of what is shown.
    action("ThunderDown")->trigger();
    QCOMPARE(launches(*m_thunder, 1), Launches{{QString::fromLatin1(keys[3])}});

    // Esc in the filter row shows every row again.
    QTest::keyClick(words, Qt::Key_Escape);
    QTRY_VERIFY(!words->isVisible());
    QCOMPARE(list()->model()->rowCount(), 4);
    action("mniCopyAllMagnets")->trigger();
    QTRY_COMPARE(QGuiApplication::clipboard()->text().count(QLatin1Char('\n')), 2);
}

QUVO_TEST_MAIN(TestPlay)
#include "test_play.moc"
