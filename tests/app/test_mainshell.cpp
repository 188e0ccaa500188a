// The main window's shell: default-browser opener, link buttons with their counter requests,
// quit confirmation, advertisement strip, microblog picture, opening animation; the program's
// command line and its guard for errors no handler caught; and the table of what a user sees in every window.
#include "app/guardedapplication.h"
#include "app/programcommandline.h"
#include "app/qrcodepicture.h"
#include "app/tformdeclare.h"
#include "app/tformmain.h"
#include "config/remoteconfiguration.h"
#include "localhttpserver.h"
#include "platform/codepage.h"
#include "platform/counterbrowser.h"
#include "platform/processend.h"
#include "platform/testhooks.h"
#include "platform/webview.h"
#include "play/tformselcloud.h"
#include "portals/tformmtv.h"
#include "portals/tformmusic.h"
#include "samplesite.h"
#include "services/buildinfo.h"
#include "services/defaultbrowser.h"
#include "services/lifecycle.h"
#include "services/sites.h"
#include "testsupport.h"
#include "update/tformupdate.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLoggingCategory>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QSettings>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QUrl>

#include <qrencode.h>

#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>

namespace {
const QString kBrowserKey = QStringLiteral("HKEY_CLASSES_ROOT\\HTTP\\Shell\\open\\command");
// An address with what could end it inside a command line, and the form in which it leaves.
const QString kOddAddress = QStringLiteral("http://127.0.0.1/a b?x=1&y=\"2\";echo 影片");
const QString kOddSent = QStringLiteral("http://127.0.0.1/a%20b?x=1&y=%222%22;echo%20%E5%BD%B1%E7%89%87");

// Counts right-button presses and context-menu requests that reach a widget.
class RightClickSpy final : public QObject {
public:
    int rightClicks = 0;
    int leftClicks = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonPress) {
            const auto button = static_cast<QMouseEvent*>(event)->button();
            rightClicks += button == Qt::RightButton;
            leftClicks += button == Qt::LeftButton;
        } else if (event->type() == QEvent::ContextMenu) {
            ++rightClicks;
        }
        return false;
    }
};

void rightClick(QWidget* widget)
{
    const QPoint at = widget->rect().center();
    QTest::mousePress(widget, Qt::RightButton, {}, at);
    QTest::mouseRelease(widget, Qt::RightButton, {}, at);
    QContextMenuEvent request(QContextMenuEvent::Mouse, at, widget->mapToGlobal(at));
    QApplication::sendEvent(widget, &request);
}

#ifdef Q_OS_WIN
// Values written into the real registry for one test, each put back as it was afterwards.
class SystemRegistryValues final {
public:
    SystemRegistryValues() = default;
    SystemRegistryValues(const SystemRegistryValues&) = delete;
    SystemRegistryValues& operator=(const SystemRegistryValues&) = delete;
    ~SystemRegistryValues()
    {
        for (auto saved = m_saved.crbegin(); saved != m_saved.crend(); ++saved) {
            QSettings key(saved->key, QSettings::NativeFormat);
            if (saved->value.isValid())
                key.setValue(saved->name, saved->value);
            else
                key.remove(saved->name);
        }
    }
    void set(const QString& key, const QString& valueName, const QString& value)
    {
        QSettings settings(key, QSettings::NativeFormat);
        const QString name = valueName.isEmpty() ? QStringLiteral(".") : valueName;
        m_saved.append({key, name, settings.value(name)});
        settings.setValue(name, value);
        settings.sync();
        QCOMPARE(settings.status(), QSettings::NoError);
    }

private:
    struct Saved {
        QString key;
        QString name;
        QVariant value;
    };
    QList<Saved> m_saved;
};

const QString kSystemHttpKey = QStringLiteral("HKEY_CLASSES_ROOT\\http\\shell\\open\\command");
const QString kUserChoiceKey = QStringLiteral(
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\Shell\\Associations\\UrlAssociations\\http\\UserChoice");
const QString kTestProgIdKey = QStringLiteral("HKEY_CLASSES_ROOT\\QuvoTestHTML\\shell\\open\\command");
#endif

// A control of the main window, found by its name.
QWidget* part(const TFormmain& window, const char* name)
{
    return control<QWidget>(&window, name);
}

WebView* adverPage(const TFormmain& window)
{
    return control<WebView>(&window, "wbAdver");
}

// The advertisement's display timer, a named part of the window like its controls.
QTimer* showTimer(const TFormmain& window)
{
    return control<QTimer>(&window, "TmrShowtime");
}

// Stands in for the desktop's opener of the schemes it is named for, and records what it was given.
class OpenerRecorder final : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl& address) { opened << address; }
};

void moveOver(QWidget* widget, QPoint at = {-1, -1})
{
    if (at == QPoint(-1, -1))
        at = widget->rect().center();
    QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}
} // namespace

class TestMainShell : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void browserCommandSplitting_data();
    void browserCommandSplitting();
    void browserCommandParsing_data();
    void browserCommandParsing();
#ifndef Q_OS_WIN
    void noBrowserCommandUsesXdgOpen();
#endif
    void linkButtonsWithoutSettings();
    void switchedPages_data();
    void switchedPages();
    void quitConfirmationOnEveryWayOfClosing_data();
    void quitConfirmationOnEveryWayOfClosing();
    void advertisementStep_data();
    void advertisementStep();
    void advertisementStripNeverGrowsTheWindow();
    void advertisementHidesAfterItsDisplayTime();
    void advertisementCloseButtonAndRightClicks();
    void advertisementPageGoesToWebPagesOnly_data();
    void advertisementPageGoesToWebPagesOnly();
    void weiboPictureFollowsThePointer();
    void weiboPictureIsTheMicroblogCode();
    void uncaughtErrorIsShownAndTheProgramGoesOn_data();
    void uncaughtErrorIsShownAndTheProgramGoesOn();
    void programCommandLine_data();
    void programCommandLine();
    void resultColumnsKeepTheirWidths();
    void everyWindowAsTheLayoutTableSays();

private:
    std::unique_ptr<TFormmain> makeWindow();
    QStringList counterRequests() const;

    ProgramWorld m_world{{.settingsDocument = false, .searchOnSite = true, .browserRecorded = true}};
#ifdef Q_OS_WIN
    std::unique_ptr<SystemRegistryValues> m_systemRegistry;
#endif
    int m_ends = 0;
};

void TestMainShell::init()
{
    QVERIFY(m_world.reset());
#ifdef Q_OS_WIN
    // The system's own opener of http addresses starts the recorder too.
    m_systemRegistry = std::make_unique<SystemRegistryValues>();
    m_systemRegistry->set(kSystemHttpKey, QString(),
                          QLatin1Char('"') + m_world.browser().program() + QStringLiteral("\" \"%1\""));
#endif
    m_ends = 0;
    testHooks().endProgram = [this] { ++m_ends; };
    CounterBrowser::waitForIdle(5000);
    m_world.site().clearRequestLog(); // what counters an earlier test left on their way
}

void TestMainShell::cleanup()
{
    testHooks().endProgram = {};
#ifdef Q_OS_WIN
    m_systemRegistry.reset();
#endif
    m_world.finish();
}

std::unique_ptr<TFormmain> TestMainShell::makeWindow()
{
    auto window = std::make_unique<TFormmain>();
    window->show();
    return window;
}

QStringList TestMainShell::counterRequests() const
{
    CounterBrowser::waitForIdle(5000);
    QStringList counters;
    for (const QString& line : m_world.site().requestLog()) {
        if (line.endsWith(QStringLiteral(".php")))
            counters.append(line);
    }
    return counters;
}

void TestMainShell::browserCommandSplitting_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("program"); // empty: none
    QTest::addColumn<QStringList>("arguments");
    const QStringList address{QStringLiteral("%1")};
    QTest::newRow("quoted, with arguments")
        << QStringLiteral("\"C:\\B b\\b.exe\" -osint -url \"%1\"") << QStringLiteral("C:\\B b\\b.exe")
        << QStringList{QStringLiteral("-osint"), QStringLiteral("-url"), address[0]};
    QTest::newRow("unquoted short names") << QStringLiteral("C:\\PROGRA~1\\MOZILL~1\\firefox.exe -osint -url \"%1\"")
                                          << QStringLiteral("C:\\PROGRA~1\\MOZILL~1\\firefox.exe")
                                          << QStringList{QStringLiteral("-osint"), QStringLiteral("-url"), address[0]};
    QTest::newRow("unquoted, blanks before .exe")
        << QStringLiteral("C:\\Program Files\\Web Browser.EXE --new-window %1")
        << QStringLiteral("C:\\Program Files\\Web Browser.EXE")
        << QStringList{QStringLiteral("--new-window"), address[0]};
    QTest::newRow("unquoted, .exe inside a folder name")
        << QStringLiteral("C:\\a.exe.d\\b.exe %1") << QStringLiteral("C:\\a.exe.d\\b.exe") << address;
    QTest::newRow("unquoted, no .exe: up to the first blank")
        << QStringLiteral("browser --url=%1") << QStringLiteral("browser") << QStringList{QStringLiteral("--url=%1")};
    QTest::newRow("long-name placeholder") << QStringLiteral("\"b.exe\" \"%L\"") << QStringLiteral("b.exe") << address;
    QTest::newRow("no placeholder: the address goes last")
        << QStringLiteral("\"b.exe\" -nohome") << QStringLiteral("b.exe")
        << QStringList{QStringLiteral("-nohome"), address[0]};
    QTest::newRow("program alone") << QStringLiteral("  b.exe  ") << QStringLiteral("b.exe") << address;
    QTest::newRow("one quote") << QStringLiteral("\"C:\\b.exe %1") << QString() << QStringList();
    QTest::newRow("empty quotes") << QStringLiteral("\"\" %1") << QString() << QStringList();
    QTest::newRow("empty") << QString() << QString() << QStringList();
    // Where the system's splitting and Qt's differ: Windows keeps the empty title of "start", takes
    // 2n backslashes before a quote for n, and 2n+1 for n and a literal quote.
    const auto bySystem = [](QStringList windows, QStringList elsewhere) {
#ifdef Q_OS_WIN
        static_cast<void>(elsewhere);
        return windows;
#else
        static_cast<void>(windows);
        return elsewhere;
#endif
    };
    QTest::newRow("an empty argument") << QStringLiteral("cmd /c start \"\" \"%1\"") << QStringLiteral("cmd")
                                       << bySystem(
                                              {QStringLiteral("/c"), QStringLiteral("start"), QString(), address[0]},
                                              {QStringLiteral("/c"), QStringLiteral("start"), address[0]});
    QTest::newRow("backslashes before a closing quote")
        << QStringLiteral("\"b.exe\" -profile \"C:\\P q\\\\\" %1") << QStringLiteral("b.exe")
        << bySystem({QStringLiteral("-profile"), QStringLiteral("C:\\P q\\"), address[0]},
                    {QStringLiteral("-profile"), QStringLiteral("C:\\P q\\\\"), address[0]});
    QTest::newRow("an escaped quote") << QStringLiteral("\"b.exe\" -title=a\\\"b %1") << QStringLiteral("b.exe")
                                      << bySystem({QStringLiteral("-title=a\"b"), address[0]},
                                                  {QStringLiteral("-title=a\\b %1")});
}

void TestMainShell::browserCommandSplitting()
{
    QFETCH(QString, command);
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    const BrowserCommand parsed = parseBrowserCommand(command);
    QCOMPARE(parsed.program, program);
    QCOMPARE(parsed.arguments, arguments);
}

void TestMainShell::browserCommandParsing_data()
{
    // Where the command is written: "classic" the HTTP key of the registry stand-in; on Windows
    // "choice" the ProgId the user chose (UserChoice) and "protocol" the system's http class, both in
    // the real registry.
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("commandPattern"); // %P stands for the recorder's path
    QTest::addColumn<QString>("address");
    QTest::addColumn<QStringList>("launched"); // the recorder's arguments, %A for the address; empty: none
    // The address reaches the browser whole, as one argument, percent-encoded (kOddSent).
    const QString odd = kOddAddress;
    const QString classic = QStringLiteral("classic");
    const QStringList address{QStringLiteral("%A")};
#ifdef Q_OS_WIN
    // The command's own arguments come along; an unusable command leaves the address to the system's
    // opener (here the recorder too, with the address as the system passes it).
    const QStringList withOwnArguments{QStringLiteral("-osint"), QStringLiteral("-url"), QStringLiteral("%A")};
    const QStringList unquoted = address;
    const QStringList unusable = address;
    const QString unusableAddress = odd; // the system pastes it into the handler's "%1"
#else
    // Linux: the quoted program with the address alone; anything else starts nothing.
    const QStringList withOwnArguments = address;
    const QStringList unquoted;
    const QStringList unusable;
    const QString unusableAddress = odd;
#endif
    QTest::newRow("quoted program with its own arguments")
        << classic << QStringLiteral("\"%P\" -osint -url \"%1\"") << odd << withOwnArguments;
    QTest::newRow("quoted program alone") << classic << QStringLiteral("\"%P\"") << odd << address;
    QTest::newRow("no quotes") << classic << QStringLiteral("%P %1") << odd << unquoted;
    QTest::newRow("one quote") << classic << QStringLiteral("\"%P %1") << unusableAddress << unusable;
    QTest::newRow("empty") << classic << QString() << unusableAddress << unusable;
#ifdef Q_OS_WIN
    const QString choice = QStringLiteral("choice");
    QTest::newRow("user's choice, quoted")
        << choice << QStringLiteral("\"%P\" -osint -url \"%1\"") << odd << withOwnArguments;
    QTest::newRow("user's choice, unquoted")
        << choice << QStringLiteral("%P -osint -url \"%1\"") << odd << withOwnArguments;
    QTest::newRow("user's choice, environment strings")
        << choice << QStringLiteral("\"%QUVO_TEST_BROWSER%\" --single-argument %1") << odd
        << QStringList{QStringLiteral("--single-argument"), QStringLiteral("%A")};
    // A handler the system starts itself (DelegateExecute): the system's opener.
    QTest::newRow("user's choice without a command") << choice << QString() << odd << address;
    // A command interpreter would run what follows an address's "&": the system's opener instead.
    QTest::newRow("user's choice, cmd") << choice << QStringLiteral("cmd /c start \"\" \"%1\"") << odd << address;
    QTest::newRow("user's choice, a batch script") << choice << QStringLiteral("\"C:\\quvo test\\open.bat\" %1")
                                                   << QStringLiteral("http://127.0.0.1/a?b=1") << address;
    QTest::newRow("the system's http class") << QStringLiteral("protocol") << QStringLiteral("\"%P\" -nohome") << odd
                                             << QStringList{QStringLiteral("-nohome"), QStringLiteral("%A")};
#endif
}

void TestMainShell::browserCommandParsing()
{
    QFETCH(QString, source);
    QFETCH(QString, commandPattern);
    QFETCH(QString, address);
    QFETCH(QStringList, launched);
    QString command = commandPattern;
    command.replace(QStringLiteral("%P"), QDir::toNativeSeparators(m_world.browser().program()));
    if (source == QLatin1String("classic")) {
        m_world.registry().set(kBrowserKey, QString(), command);
    } else {
#ifdef Q_OS_WIN
        // The real registry, where the http class (the classic key) names the recorder with the
        // address alone: the user's choice goes before it.
        m_world.dropRegistry();
        if (source == QLatin1String("choice")) {
            m_systemRegistry->set(kUserChoiceKey, QStringLiteral("ProgId"), QStringLiteral("QuvoTestHTML"));
            if (command.isEmpty())
                m_systemRegistry->set(kTestProgIdKey, QStringLiteral("DelegateExecute"),
                                      QStringLiteral("{00000000-0000-0000-0000-00000000d0d0}"));
            else
                m_systemRegistry->set(kTestProgIdKey, QString(), command);
        } else {
            m_systemRegistry->set(kSystemHttpKey, QString(), command);
        }
        qputenv("QUVO_TEST_BROWSER", QDir::toNativeSeparators(m_world.browser().program()).toUtf8());
#endif
    }

    OpenInDefaultBrowser(address);
    QStringList expected = launched;
    expected.replaceInStrings(QStringLiteral("%A"), address == kOddAddress ? kOddSent : address);
    const QList<QStringList> launches = m_world.browser().launches(launched.isEmpty() ? 700 : 5000);
    QCOMPARE(launches, launched.isEmpty() ? QList<QStringList>() : QList<QStringList>{expected});
}

// Without a browser command the address goes to xdg-open (found on PATH); a bare host such as the
// home page's gets a scheme, or xdg-open would take it for a file name. Play addresses with a
// scheme of their own keep it.
#ifndef Q_OS_WIN
void TestMainShell::noBrowserCommandUsesXdgOpen()
{
    m_world.emptyRegistry(); // no browser command
    QTemporaryDir bin;
    QVERIFY(QFile::link(m_world.browser().program(), bin.filePath(QStringLiteral("xdg-open"))));
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin.path()) + ':' + path);

    const QStringList kept = {QStringLiteral("http://127.0.0.1/a?b=1"), QStringLiteral("magnet:?xt=urn:btih:AAA&dn=a"),
                              QStringLiteral("thunder://QUFodHRwOi8veC9hLnJhcg=="),
                              QStringLiteral("ed2k://%7Cfile%7Ca.rar%7C1%7CABC%7C/")}; // "|" leaves encoded
    OpenInDefaultBrowser(QStringLiteral("www.qorvex.com"));
    for (const QString& address : kept)
        OpenInDefaultBrowser(address, AddressPolicy::Kind::Play);
    QTRY_COMPARE_WITH_TIMEOUT(m_world.browser().launches().size(), 1 + kept.size(), 5000);
    qputenv("PATH", path);

    const QList<QStringList> launches = m_world.browser().launches();
    QVERIFY(launches.contains(QStringList{QStringLiteral("http://www.qorvex.com")}));
    for (const QString& address : kept)
        QVERIFY2(launches.contains(QStringList{address}), qPrintable(address));
}
#endif

void TestMainShell::linkButtonsWithoutSettings()
{
    auto window = makeWindow();
    QTest::mouseClick(part(*window, "btn3"), Qt::LeftButton);
    QTest::mouseClick(part(*window, "BtnFeedback"), Qt::LeftButton);
    QTest::mouseClick(part(*window, "btnweibo"), Qt::LeftButton);

    QTRY_COMPARE_WITH_TIMEOUT(m_world.browser().launches().size(), 3, 5000);
    const QList<QStringList> launches = m_world.browser().launches();
    // Each recorder start appends on its own; the order between them is not the point here.
    QVERIFY(launches.contains(QStringList{QStringLiteral("http://www.qorvex.com")})); // a scheme on every path
    QVERIFY(
        launches.contains(QStringList{QStringLiteral("http://www.qorvex.com/%E5%BB%BA%E8%AE%AE%E5%8F%8D%E9%A6%88/")}));
    QVERIFY(launches.contains(QStringList{Sites::microblogAddress()}));

    QCOMPARE(counterRequests(),
             (QStringList{QStringLiteral("GET /update/HomePG.php"), QStringLiteral("GET /update/Feedbk.php"),
                          QStringLiteral("GET /update/WeiBo.php")}));
}

void TestMainShell::switchedPages_data()
{
    QTest::addColumn<QByteArray>("switchValue");
    QTest::addColumn<QByteArray>("address");
    QTest::addColumn<bool>("microblog");
    QTest::addColumn<QString>("opened"); // empty: no browser starts
    QTest::addColumn<bool>("counted");

    const QByteArray gbkAddress = CodePage::toGbk(QStringLiteral("http://127.0.0.1/反馈"));
    QTest::newRow("feedback switch 1, address 0") << QByteArray("1") << QByteArray("0") << false << QString() << false;
    QTest::newRow("feedback switch 1, address GBK")
        << QByteArray("1") << gbkAddress << false << QStringLiteral("http://127.0.0.1/%E5%8F%8D%E9%A6%88") << true;
    QTest::newRow("feedback switch 0 ignores the address")
        << QByteArray("0") << QByteArray("http://127.0.0.1/f") << false
        << QStringLiteral("http://www.qorvex.com/%E5%BB%BA%E8%AE%AE%E5%8F%8D%E9%A6%88/") << true;
    QTest::newRow("microblog switch 2, address set")
        << QByteArray("2") << QByteArray("http://127.0.0.1/w") << true << QStringLiteral("http://127.0.0.1/w") << true;
    QTest::newRow("microblog switch empty")
        << QByteArray() << QByteArray("http://127.0.0.1/w") << true << Sites::microblogAddress() << true;
    // The document travels over plain HTTP: an address that would be an option of the browser, or a
    // local file, starts nothing (like an unusable browser command, the counter still counts).
    QTest::newRow("feedback address is an option")
        << QByteArray("1") << QByteArray("--renderer-cmd-prefix=xterm") << false << QString() << true;
    QTest::newRow("microblog address is a local file")
        << QByteArray("1") << QByteArray("file:///etc/passwd") << true << QString() << true;
    QTest::newRow("feedback address is a relative path")
        << QByteArray("1") << QByteArray("Documents/secret.html") << false << QString() << true;
    QTest::newRow("feedback address shows a local file's source")
        << QByteArray("1") << QByteArray("view-source:file:///etc/passwd") << false << QString() << true;
    QTest::newRow("microblog address is a bare host name") << QByteArray("1") << QByteArray("weibo.com/qorvex") << true
                                                           << QStringLiteral("http://weibo.com/qorvex") << true;
}

void TestMainShell::switchedPages()
{
    QFETCH(QByteArray, switchValue);
    QFETCH(QByteArray, address);
    QFETCH(bool, microblog);
    QFETCH(QString, opened);
    QFETCH(bool, counted);
    RemoteConfiguration& config = remoteConfig();
    (microblog ? config.AttentionDef : config.FeedbackDef) = switchValue;
    (microblog ? config.AttentionAdr : config.FeedAdr) = address;

    auto window = makeWindow();
    QTest::mouseClick(microblog ? part(*window, "btnweibo") : part(*window, "BtnFeedback"), Qt::LeftButton);

    const QList<QStringList> launches = m_world.browser().launches(opened.isEmpty() ? 700 : 3000);
    const QString counter =
        microblog ? QStringLiteral("GET /update/WeiBo.php") : QStringLiteral("GET /update/Feedbk.php");
    QCOMPARE(launches, opened.isEmpty() ? QList<QStringList>() : QList<QStringList>{QStringList{opened}});
    QCOMPARE(counterRequests(), counted ? QStringList{counter} : QStringList());
}

void TestMainShell::quitConfirmationOnEveryWayOfClosing_data()
{
    QTest::addColumn<QString>("way");
    QTest::addColumn<bool>("ok");
    for (const char* way : {"button", "title bar", "Alt+F4"}) {
        QTest::newRow(qPrintable(QStringLiteral("%1, Cancel").arg(QLatin1String(way))))
            << QString::fromLatin1(way) << false;
        QTest::newRow(qPrintable(QStringLiteral("%1, OK").arg(QLatin1String(way)))) << QString::fromLatin1(way) << true;
    }
}

void TestMainShell::quitConfirmationOnEveryWayOfClosing()
{
    QFETCH(QString, way);
    QFETCH(bool, ok);
    MessageBoxRecorder boxes;
    boxes.answerNext(ok ? MessageBoxes::Answer::Ok : MessageBoxes::Answer::Cancel);
    auto window = makeWindow();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));

    if (way == QLatin1String("button")) {
        QTest::mouseClick(part(*window, "btnActQuit"), Qt::LeftButton);
    } else if (way == QLatin1String("title bar")) {
        window->close();
    } else {
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QTest::keyClick(window.get(), Qt::Key_F4, Qt::AltModifier);
    }

    QCOMPARE(boxes.count(), 1);
    const MessageBoxes::Request& box = boxes.requests()[0];
    QCOMPARE(box.kind, MessageBoxes::Kind::Confirm);
    QCOMPARE(box.caption, QStringLiteral("提示"));
    QCOMPARE(box.text, QStringLiteral("555~~~ 真的不撸一发再走吗?!"));
    QCOMPARE(m_ends, ok ? 1 : 0);
    // The window is not closed by itself: on OK the whole program ends around it.
    QVERIFY(window->isVisible());
}

void TestMainShell::advertisementStep_data()
{
    QTest::addColumn<QByteArray>("adverDef");
    QTest::addColumn<QByteArray>("height");
    QTest::addColumn<QByteArray>("showtime");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<int>("expectedHeight");
    QTest::addColumn<bool>("timerActive");
    QTest::addColumn<int>("interval");
    QTest::addColumn<bool>("restarted"); // the period counts from the step, not from the window's creation
    QTest::addColumn<QString>("logged"); // what quvo.config says of a malformed value

    QTest::newRow("switch missing") << QByteArray() << QByteArray("40") << QByteArray("10000") << false << 22 << true
                                    << 50000 << false << QString();
    QTest::newRow("switch 0") << QByteArray("0") << QByteArray("40") << QByteArray("10000") << false << 22 << true
                              << 50000 << false << QString();
    QTest::newRow("10000") << QByteArray("1") << QByteArray("40") << QByteArray("10000") << true << 40 << true << 10000
                           << true << QString();
    QTest::newRow("0 keeps the strip") << QByteArray("1") << QByteArray() << QByteArray("0") << true << 22 << false << 0
                                       << false << QString();
    QTest::newRow("empty display time") << QByteArray("1") << QByteArray("0") << QByteArray() << true << 22 << true
                                        << 50000 << false << QString();
    QTest::newRow("non-numeric display time")
        << QByteArray("1") << QByteArray() << QByteArray("10s") << true << 22 << true << 50000 << false
        << QStringLiteral("AdShowtime is not a count of milliseconds");
    QTest::newRow("non-numeric height ends the step")
        << QByteArray("1") << QByteArray("tall") << QByteArray("10000") << true << 22 << true << 50000 << false
        << QStringLiteral("AdpnlHeight is not a height in pixels");
    QTest::newRow("negative display time")
        << QByteArray("1") << QByteArray() << QByteArray("-5") << true << 22 << true << 50000 << false
        << QStringLiteral("AdShowtime is not a count of milliseconds");
}

void TestMainShell::advertisementStep()
{
    QFETCH(QByteArray, adverDef);
    QFETCH(QByteArray, height);
    QFETCH(QByteArray, showtime);
    QFETCH(bool, shown);
    QFETCH(int, expectedHeight);
    QFETCH(bool, timerActive);
    QFETCH(int, interval);
    QFETCH(bool, restarted);
    QFETCH(QString, logged);

    RemoteConfiguration& config = remoteConfig();
    config.AdverDef = adverDef;
    config.AdWebAdr = m_world.baseUrl() + "/update/Advert.php";
    config.AdpnlHeight = height;
    config.AdShowtime = showtime;

    auto window = makeWindow();
    QVERIFY(showTimer(*window)->isActive()); // runs from creation
    QCOMPARE(showTimer(*window)->interval(), 50000);
    // Precise timing (a coarse timer may be off by 5%) so the test can tell a restart from none.
    showTimer(*window)->setTimerType(Qt::PreciseTimer);
    showTimer(*window)->start();
    QTest::qWait(600); // the timer's own period is what is checked: a restart begins it again
    QLoggingCategory::setFilterRules(QStringLiteral("quvo.config.info=true"));
    if (!logged.isEmpty())
        QTest::ignoreMessage(QtInfoMsg, QRegularExpression(QLatin1Char('^') + logged));
    window->showAdvertisement();
    QLoggingCategory::setFilterRules(QString());

    QCOMPARE(!part(*window, "pnlAdver")->isHidden(), shown);
    QCOMPARE(adverPage(*window)->currentAddress(), shown ? QString::fromLatin1(config.AdWebAdr) : QString());
    QTRY_COMPARE(part(*window, "pnlAdver")->height(), expectedHeight);
    QCOMPARE(showTimer(*window)->isActive(), timerActive);
    if (timerActive) {
        QCOMPARE(showTimer(*window)->interval(), interval);
        const int remaining = showTimer(*window)->remainingTime();
        if (restarted)
            QVERIFY2(remaining > interval - 300, qPrintable(QString::number(remaining)));
        else
            QVERIFY2(remaining < interval - 400, qPrintable(QString::number(remaining)));
    }
}

void TestMainShell::advertisementStripNeverGrowsTheWindow()
{
    remoteConfig().AdverDef = "1";
    remoteConfig().AdWebAdr = m_world.baseUrl() + "/update/Advert.php";
    remoteConfig().AdpnlHeight = "2000";
    auto window = makeWindow();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    const QSize size = window->size();
    const int minimum = window->minimumHeight();

    // The strip takes all it may: the list keeps exactly its 100 px, the window stays as it was.
    window->showAdvertisement();
    QTRY_COMPARE(control<QTableView>(window.get(), "lv1")->height(), 100);
    QVERIFY(part(*window, "pnlAdver")->height() > 300);
    QCOMPARE(window->size(), size);
    QCOMPARE(window->minimumHeight(), minimum);

    // The strip follows the window's height, down to nothing at the window's smallest.
    window->resize(size.width(), 450);
    QTRY_COMPARE(control<QTableView>(window.get(), "lv1")->height(), 100);
    window->resize(size.width(), minimum);
    QTRY_COMPARE(part(*window, "pnlAdver")->height(), 0);
    QCOMPARE(window->minimumHeight(), minimum);
}

void TestMainShell::advertisementHidesAfterItsDisplayTime()
{
    remoteConfig().AdverDef = "1";
    remoteConfig().AdWebAdr = m_world.baseUrl() + "/update/Advert.php";
    remoteConfig().AdShowtime = "400";
    auto window = makeWindow();
    window->showAdvertisement();
    QVERIFY(!part(*window, "pnlAdver")->isHidden());
    QTRY_VERIFY_WITH_TIMEOUT(part(*window, "pnlAdver")->isHidden(), 3000);
    QCOMPARE(adverPage(*window)->currentAddress(), QStringLiteral("about:blank"));
    QVERIFY(!showTimer(*window)->isActive());

    // Without an advertisement the hidden strip is blanked too, without starting the engine.
    remoteConfig() = RemoteConfiguration{};
    auto plain = makeWindow();
    plain->showAdvertisement();
    showTimer(*plain)->start(50);
    QTRY_VERIFY(!showTimer(*plain)->isActive());
    QCOMPARE(adverPage(*plain)->currentAddress(), QStringLiteral("about:blank"));
    QVERIFY(!adverPage(*plain)->engineView());
}

void TestMainShell::advertisementCloseButtonAndRightClicks()
{
    remoteConfig().AdverDef = "1";
    remoteConfig().AdWebAdr = m_world.baseUrl() + "/update/Advert.php";
    remoteConfig().AdShowtime = "0";
    auto window = makeWindow();
    window->showAdvertisement();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));

#ifdef Q_OS_WIN
    // The system's control asked for the page itself; its windows are not Qt widgets, and a right
    // click posted to them never reaches them.
    const QString request = QStringLiteral("GET /update/Advert.php");
    QTRY_VERIFY_WITH_TIMEOUT(m_world.site().countRequests(request) >= 1, 20000);
    QVERIFY2(m_world.site().userAgentOf(request).contains(QStringLiteral("Trident/")),
             qPrintable(m_world.site().userAgentOf(request)));
    QCOMPARE(nativeRightClicksReaching(adverPage(*window)->engineView()), 0);
#else
    // The page's own widget appears once the engine renders.
    QTRY_VERIFY_WITH_TIMEOUT(adverPage(*window)->engineView() && adverPage(*window)->engineView()->focusProxy(), 20000);
    QWidget* page = adverPage(*window)->engineView()->focusProxy();
    RightClickSpy pageSpy;
    page->installEventFilter(&pageSpy);
    rightClick(page);
    QCOMPARE(pageSpy.rightClicks, 0);
#endif

    RightClickSpy buttonSpy, outsideSpy;
    part(*window, "btnAdClose")->installEventFilter(&buttonSpy);
    part(*window, "BtnSearch")->installEventFilter(&outsideSpy);
    rightClick(part(*window, "btnAdClose"));
    rightClick(part(*window, "BtnSearch"));
    QCOMPARE(buttonSpy.rightClicks, 0);
    QCOMPARE(outsideSpy.rightClicks, 2); // outside the strip nothing is held back
    QVERIFY(!part(*window, "pnlAdver")->isHidden());

    // Left clicks pass; "关闭" hides the strip but leaves the page and the timer alone.
    showTimer(*window)->start(50000);
    QTest::mouseClick(part(*window, "btnAdClose"), Qt::LeftButton);
    QCOMPARE(buttonSpy.leftClicks, 1);
    QVERIFY(part(*window, "pnlAdver")->isHidden());
    QCOMPARE(adverPage(*window)->currentAddress(), QString::fromLatin1(remoteConfig().AdWebAdr));
    QVERIFY(showTimer(*window)->isActive());
}

void TestMainShell::advertisementPageGoesToWebPagesOnly_data()
{
    // The advertisement page (/ad.htm) tries to leave the view; a refused try goes nowhere, and the
    // page then moves on to /after.htm by itself, which shows the try is over.
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<bool>("click"); // a user's click in the middle of the page starts the try
    QTest::addColumn<QString>("landed");
    const QByteArray moveOn = "<script>function moveOn() { setTimeout(() => location.href = '/after.htm', 400); }";
    const QByteArray link = "<a style='position:fixed;inset:0' ";
    const QByteArray tryLink = moveOn + "</script>" + link + "onclick='moveOn()' ";
    QTest::newRow("clicked link, other scheme")
        << tryLink + "href='quvotest://clicked'>x</a>" << true << QStringLiteral("/after.htm");
    QTest::newRow("clicked link, new window, other scheme")
        << tryLink + "target='_blank' href='quvotest://new-window'>x</a>" << true << QStringLiteral("/after.htm");
    QTest::newRow("clicked link, local file")
        << tryLink + "href='file:///etc/hostname'>x</a>" << true << QStringLiteral("/after.htm");
    QTest::newRow("script") << moveOn + "location.href = 'quvotest://script'; moveOn();</script>" << false
                            << QStringLiteral("/after.htm");
    QTest::newRow("form") << "<form action='quvotest://form'></form>" + moveOn +
                                 "document.forms[0].submit(); moveOn();</script>"
                          << false << QStringLiteral("/after.htm");
    QTest::newRow("window.open, other scheme")
        << moveOn + "window.open('quvotest://opened'); moveOn();</script>" << false << QStringLiteral("/after.htm");
    QTest::newRow("302 to another scheme")
        << moveOn + "location.href = '/go?to=quvotest://redirected'; moveOn();</script>" << false
        << QStringLiteral("/after.htm");
    // In a frame: the engine shows its own error page for this one, where no script runs.
    QTest::newRow("302 to a local file") << "<iframe src='/go?to=file:///etc/hostname'></iframe>" + moveOn +
                                                "moveOn();</script>"
                                         << false << QStringLiteral("/after.htm");
    // Web pages load, in the same view.
    QTest::newRow("clicked link, web page")
        << link + "href='/landed.htm'>x</a>" << true << QStringLiteral("/landed.htm");
    QTest::newRow("window.open, web page")
        << QByteArray("<script>window.open('/landed.htm')</script>") << false << QStringLiteral("/landed.htm");
    QTest::newRow("302 to a web page") << QByteArray("<script>location.href = '/go?to=/landed.htm'</script>") << false
                                       << QStringLiteral("/landed.htm");
}

void TestMainShell::advertisementPageGoesToWebPagesOnly()
{
#ifdef Q_OS_WIN
    QSKIP("needs the page's own widget, and Windows has no browser module yet");
#endif
    QFETCH(QByteArray, page);
    QFETCH(bool, click);
    QFETCH(QString, landed);
    LocalHttpServer local;
    std::mutex mutex;
    QStringList requested;
    local.server.Get("/ad.htm", [&](const httplib::Request&, httplib::Response& response) {
        response.set_content(page.toStdString(), "text/html");
    });
    local.server.Get("/go", [](const httplib::Request& request, httplib::Response& response) {
        response.set_redirect(request.get_param_value("to"), 302);
    });
    local.server.Get(R"(/(landed|after)\.htm)", [&](const httplib::Request& request, httplib::Response& response) {
        const std::lock_guard lock(mutex);
        requested << QString::fromStdString(request.path);
        response.set_content("<p>here</p>", "text/html");
    });
    local.start();

    // The desktop's opener: a recorder for the schemes tried, and xdg-open for any other one.
    OpenerRecorder opener;
    for (const QString& scheme : {QStringLiteral("quvotest"), QStringLiteral("file")})
        QDesktopServices::setUrlHandler(scheme, &opener, "open");
    QTemporaryDir bin;
    QVERIFY(QFile::link(m_world.browser().program(), bin.filePath(QStringLiteral("xdg-open"))));
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin.path()) + ':' + path);
    const auto restore = qScopeGuard([&] {
        qputenv("PATH", path);
        for (const QString& scheme : {QStringLiteral("quvotest"), QStringLiteral("file")})
            QDesktopServices::unsetUrlHandler(scheme);
    });

    remoteConfig().AdverDef = "1";
    remoteConfig().AdWebAdr = local.url("/ad.htm");
    remoteConfig().AdpnlHeight = "200";
    remoteConfig().AdShowtime = "0";
    auto window = makeWindow();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QSignalSpy loaded(adverPage(*window), &WebView::loadFinished);
    window->showAdvertisement();
    QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), 20000);
    if (click) {
        QVERIFY(loaded.first().first().toBool());
        QTRY_VERIFY_WITH_TIMEOUT(adverPage(*window)->engineView()->focusProxy(), 20000);
        QWidget* surface = adverPage(*window)->engineView()->focusProxy();
        QTest::mouseClick(surface, Qt::LeftButton, {}, surface->rect().center());
    }
    const auto arrived = [&] {
        const std::lock_guard lock(mutex);
        return requested.contains(landed);
    };
    QTRY_VERIFY_WITH_TIMEOUT(arrived(), 20000);
    // The page it landed on loads in the strip's own view.
    QTRY_COMPARE_WITH_TIMEOUT(adverPage(*window)->engineView()->property("url").toUrl(),
                              QUrl(QString::fromLatin1(local.url(landed.toLatin1().constData()))), 20000);
    QTRY_VERIFY_WITH_TIMEOUT(loaded.last().first().toBool(), 20000);
    QCOMPARE(opener.opened, QList<QUrl>());
    QCOMPARE(m_world.browser().launches(0), QList<QStringList>());
}

void TestMainShell::weiboPictureFollowsThePointer()
{
    auto window = makeWindow();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QWidget* picture = part(*window, "pnlweibo");
    QVERIFY(picture->isHidden());
    QCOMPARE(picture->geometry(), QRect(559, 77, 130, 130));

    struct Step {
        QWidget* widget;
        QPoint at;
        bool shownAfter;
    };
    const QPoint centre(-1, -1);
    const QPoint pnltopFree(part(*window, "pnltop")->width() - 5, part(*window, "pnltop")->height() - 5);
    const QPoint pnl2Free(part(*window, "pnl2")->width() - 5, 40);
    const Step steps[] = {
        {part(*window, "btnweibo"), centre, true},
        {part(*window, "lblSearchNote"), centre, true}, // a control inside the top panel is not the panel
        {part(*window, "EdtSearch"), centre, true},
        {part(*window, "imgweibo"), centre, true}, // the picture itself
        {part(*window, "btn3"), centre, true},
        {part(*window, "stat1"), centre, true},
        {part(*window, "pnltop"), pnltopFree, false},
        {part(*window, "btnweibo"), centre, true},
        {part(*window, "BtnFeedback"), centre, false},
        {part(*window, "btnweibo"), centre, true},
        {part(*window, "btnActQuit"), centre, false},
        {part(*window, "btnweibo"), centre, true},
        {part(*window, "pnl2"), pnl2Free, false},
        {part(*window, "btnweibo"), centre, true},
        {control<QTableView>(window.get(), "lv1")->viewport(), centre, false},
    };
    int index = 0;
    for (const Step& step : steps) {
        moveOver(step.widget, step.at);
        QVERIFY2(picture->isHidden() != step.shownAfter,
                 qPrintable(QStringLiteral("step %1 over %2").arg(index).arg(step.widget->objectName())));
        ++index;
    }
}

void TestMainShell::weiboPictureIsTheMicroblogCode()
{
    auto window = makeWindow();
    const QImage image = control<QLabel>(window.get(), "imgweibo")->pixmap().toImage();
    QCOMPARE(image.size(), QSize(174, 174));

    // Every module of the code, read back at its centre, has the right colour.
    const QByteArray text = Sites::microblogAddress().toUtf8();
    std::unique_ptr<QRcode, decltype(&QRcode_free)> code(QRcode_encodeString8bit(text.constData(), 0, QR_ECLEVEL_M),
                                                         &QRcode_free);
    QVERIFY(code);
    const int modules = code->width;
    const int scale = 174 / (modules + 8); // four light modules of quiet zone on each side
    const int origin = (174 - modules * scale) / 2;
    for (int y = 0; y < modules; ++y) {
        for (int x = 0; x < modules; ++x) {
            const QColor pixel = image.pixelColor(origin + x * scale + scale / 2, origin + y * scale + scale / 2);
            QCOMPARE(pixel.lightness() < 128, bool(code->data[y * modules + x] & 1));
        }
    }
    QCOMPARE(image.pixelColor(origin - 1, origin - 1), QColor(Qt::white));
    // Text too long for any code gives no picture rather than a broken one.
    QVERIFY(qrCodePicture(QString(8000, QLatin1Char('x')), 174).isNull());
}

void TestMainShell::uncaughtErrorIsShownAndTheProgramGoesOn_data()
{
    QTest::addColumn<int>("thrown"); // 0: a std::exception, 1: anything else
    QTest::addColumn<QString>("shown");
    QTest::newRow("an error with a text") << 0 << QStringLiteral("读取失败: 7");
    QTest::newRow("anything else thrown") << 1 << QStringLiteral("未知错误");
}

// The test runs on the program's application object (main below): what leaves a handler is caught
// around the event's delivery, shown in an error box and logged; the program keeps running.
void TestMainShell::uncaughtErrorIsShownAndTheProgramGoesOn()
{
    QFETCH(int, thrown);
    QFETCH(QString, shown);
    MessageBoxRecorder boxes;
    int after = 0;
    QTimer::singleShot(0, qApp, [thrown] {
        if (thrown == 0)
            throw std::runtime_error("读取失败: 7");
        throw 7;
    });
    QTimer::singleShot(10, qApp, [&after] { ++after; });
    QTRY_COMPARE(after, 1); // the next event was delivered: the program runs on
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.requests().first().kind, MessageBoxes::Kind::Error);
    QCOMPARE(boxes.requests().first().caption, Sites::applicationTitle());
    QCOMPARE(boxes.requests().first().text, shown);
}

void TestMainShell::programCommandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitStatus"); // -1: the program goes on
    QTest::addColumn<QString>("answer"); // what a message box is to show first (Windows)
    const QString help = QStringLiteral("用法：");
    const QString version = QLatin1String(BuildInfo::version);
#ifdef Q_OS_WIN
    // A windowed program: nothing keeps its window from opening; help and version in a box.
    const int refused = -1;
    const int answered = -1;
#else
    // On a terminal: told there, and the program ends before anything opens.
    const int refused = 2;
    const int answered = 0;
#endif
    const auto inBox = [&](const QString& text) {
#ifdef Q_OS_WIN
        return text;
#else
        static_cast<void>(text);
        return QString();
#endif
    };
    QTest::newRow("none") << QStringList() << -1 << QString();
    QTest::newRow("Qt's own options") << QStringList{QStringLiteral("-style"), QStringLiteral("fusion")} << -1
                                      << QString();
    QTest::newRow("an unknown option") << QStringList{QStringLiteral("--bogus")} << refused << QString();
    QTest::newRow("a stray argument") << QStringList{QStringLiteral("x.torrent")} << refused << QString();
    QTest::newRow("a value where none goes") << QStringList{QStringLiteral("--version=1")} << refused << inBox(version);
    QTest::newRow("help") << QStringList{QStringLiteral("--help")} << answered << inBox(help);
    QTest::newRow("version") << QStringList{QStringLiteral("--version")} << answered << inBox(version);
    QTest::newRow("help after an unknown option")
        << QStringList{QStringLiteral("--bogus"), QStringLiteral("-h")} << refused << inBox(help);
}

void TestMainShell::programCommandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitStatus);
    QFETCH(QString, answer);
    QByteArrayList words{QByteArrayLiteral("quvo")};
    for (const QString& argument : arguments)
        words << argument.toLocal8Bit();
    std::vector<char*> argv;
    for (QByteArray& word : words)
        argv.push_back(word.data());
    const ProgramCommandLine parsed = parseProgramCommandLine(int(argv.size()), argv.data());
    QCOMPARE(parsed.exitStatus.value_or(-1), exitStatus);
    QVERIFY2(answer.isEmpty() ? parsed.answer.isEmpty() : parsed.answer.contains(answer), qPrintable(parsed.answer));
}
void TestMainShell::resultColumnsKeepTheirWidths()
{
    auto window = makeWindow();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QHeaderView* header = control<QTableView>(window.get(), "lv1")->horizontalHeader();
    QCOMPARE(header->sectionSize(1), 100);
    QCOMPARE(header->sectionResizeMode(1), QHeaderView::Interactive); // the user may widen the size
    struct Step {
        int sizeAsked;
        int windowWidth;
        int size;
    };
    const Step steps[] = {{120, 1024, 120}, {160, 1024, 130}, {130, 1024, 130}, {110, 160, 110}};
    for (const Step& step : steps) {
        window->resize(step.windowWidth, window->height());
        header->resizeSection(1, step.sizeAsked);
        QTRY_COMPARE(header->sectionSize(1), step.size);
        // The title fills the rest, and keeps 100 px however narrow the window.
        QTRY_COMPARE(header->sectionSize(0), qMax(100, header->viewport()->width() - step.size));
    }
}

// Every window as the layout table of its subsystem states it: captions, sizes, colours, control texts,
// places and hints, the list menu's order, and the messages of the hand-off commands. Each row names a
// window, a control (none: the window), a detail and what it must read; %HOST% and %SITE% stand for
// the product web site's host name and address.
void TestMainShell::everyWindowAsTheLayoutTableSays()
{
    struct Row {
        const char* window;
        const char* control;
        const char* detail;
        QString expected;
    };
    const QString box = QStringLiteral("%1 | %TITLE% | screen centre");
    const QString lineHint = QStringLiteral("请不要同时打开多条相同线路,以保证服务器负载稳定性!");
    const QString keepHint = QStringLiteral("选择您常用的线路,保存后下次可直接默认使用您偏好的线路!");
    const Row rows[] = {
        {"declaration", "", "caption", QStringLiteral("免责声明")},
        {"declaration", "", "size", QStringLiteral("586x652")},
        {"declaration", "mmoAgreea", "background", QStringLiteral("#c0c0c0")},
        {"declaration", "mmoAgreea", "pixelFont", QStringLiteral("13")},
        {"declaration", "mmoAgreea", "firstLine",
         QStringLiteral("提示：部分杀软可能会报毒，请添加信任或关闭或删除本软件，")},
        {"declaration", "pnlAgreea", "height", QStringLiteral("70")},
        {"declaration", "chkagreea", "text", QStringLiteral("我已阅读上述文本并完全同意此申明")},
        {"declaration", "btnagreea", "text", QStringLiteral("我同意")},
        {"declaration", "btnagreea", "size", QStringLiteral("129x35")},
        {"declaration", "btnagreea", "enabled", QStringLiteral("false")},
        {"declaration", "btnDisAgreea", "text", QStringLiteral("我反对")},

        {"main", "", "caption",
         QStringLiteral("Quvo盒子2013 beta1  %HOST%")
             .replace(QStringLiteral("%HOST%"), Sites::productSiteHost().toUpper())},
        {"main", "", "size", QStringLiteral("1024x656")},
        {"main", "pnltop", "height", QStringLiteral("111")},
        {"main", "lblSearchNote", "text", QStringLiteral("好人一生平安=>:")},
        {"main", "EdtSearch", "pixelFont", QStringLiteral("16")},
        {"main", "EdtSearch", "toolTip",
         QStringLiteral("输入完成按回车即可搜索,搜索速度由您当前网速或服务器网速决定!!!")},
        {"main", "chkChkJFzh", "text", QStringLiteral("繁体体")},
        {"main", "pnlAdver", "height", QStringLiteral("22")},
        {"main", "pnlAdver", "visible", QStringLiteral("false")},
        {"main", "pnlButtonPnl", "height", QStringLiteral("30")},
        {"main", "stat1", "height", QStringLiteral("16")},
        {"main", "BtnMusic", "text", QStringLiteral("QV盒子-音乐")},
        {"main", "btn3", "text", QStringLiteral("访问主页")},
        {"main", "BtnFeedback", "text", QStringLiteral("建议反馈")},
        {"main", "btnActQuit", "text", QStringLiteral("退 出")},
        {"main", "btnActQuit", "size", QStringLiteral("95x70")},
        {"main", "btn3", "toolTip", QStringLiteral("点击既可访问我们的主页")},
        {"main", "BtnFeedback", "toolTip", QStringLiteral("各种抽风请报告给我们!")},
        {"main", "BtnMusic", "toolTip",
         QStringLiteral("听一段放松的音乐!\r\n建议不要同时打开多个窗口，以免窗口太多显得混乱!")},
        {"main", "statPanel0", "width", QStringLiteral("250")},
        {"main", "statPanel0", "text", QStringLiteral("快速隐藏:按ALT+F1可隐藏与显示本窗体")},
        {"main", "statPanel1", "width", QStringLiteral("420")},
        {"main", "statPanel1", "text", QStringLiteral("无盒子,不屌丝,记住官方网址:%SITE%")},
        {"main", "pnlweibo", "place", QStringLiteral("559,77,130,130")},
        {"main", "lv1", "menu", QStringLiteral("(&A)云播放|(&T)迅雷下载|(&S)复制地址|(&R)复制标题|(&C)清空列表与缓存")},
        {"main", "btnXunleiDown", "text", QStringLiteral("(&T)迅雷下载")},
        {"main", "btnXunleiDown", "leftAndSize", QStringLiteral("7,81x21")},
        {"main", "btnXunleiDown", "message", box.arg(QStringLiteral("骚年,请先选择好电影名再点我好么?!"))},
        {"main", "btnCopyCap", "message", box.arg(QStringLiteral("请先选择要复制的电影名!"))},
        {"main", "btnCopyAdd", "message", box.arg(QStringLiteral("请先选中要复制的电影!"))},

        {"line", "", "caption", QStringLiteral("讯雷云点播线路选择")},
        {"line", "", "size", QStringLiteral("456x260")},
        {"line", "", "background", QStringLiteral("#808000")},
        {"line", "lbl5", "text", QStringLiteral("服务器信息: 暂无!")},
        {"line", "lbl5", "place", QStringLiteral("0,0,456,20")},
        {"line", "imgLine2", "place", QStringLiteral("31,21,170,123")},
        {"line", "lbl2", "text", QStringLiteral("①号线")},
        {"line", "lbl2", "boldPixelFont", QStringLiteral("35")},
        {"line", "lbl1", "text", QStringLiteral("②号线")},
        {"line", "lbl3", "text", QStringLiteral("无广告,但不稳定!")},
        {"line", "lbl1", "toolTip", lineHint},
        {"line", "lbl2", "toolTip", lineHint},
        {"line", "chkSelLoveLines1", "at", QStringLiteral("53,116")},
        {"line", "chkSelLoveLines1", "toolTip", keepHint},
        {"line", "chkSelLoveLines2", "at", QStringLiteral("288,116")},
        {"line", "RgClick", "place", QStringLiteral("94,146,257,38")},
        {"line", "RgClickItem1", "checked", QStringLiteral("true")},
        {"line", "BtnClose", "text", QStringLiteral("关   闭 ")},
        {"line", "BtnClose", "place", QStringLiteral("97,208,256,40")},
        {"line", "BtnClose", "default", QStringLiteral("true")},

        {"music", "", "caption", QStringLiteral("QV盒子-音乐欣赏  %HOST%")},
        {"music", "", "outer", QStringLiteral("922x611")},
        {"music", "", "background", QStringLiteral("#000000")},
        {"music", "pnlPnlMusic", "height", QStringLiteral("33")},
        {"music", "chkontop", "at", QStringLiteral("8,9")},
        {"music", "chkhidemain", "at", QStringLiteral("88,9")},
        {"music", "btnTheMusic", "text", QStringLiteral("主题音乐")},
        {"music", "btnTheMusic", "place", QStringLiteral("168,5,89,22")},
        {"music", "btnTheMusic", "enabled", QStringLiteral("false")},
        {"music", "btnKugMusic", "place", QStringLiteral("264,5,89,22")},
        {"music", "btnQuit", "place", QStringLiteral("360,5,89,22")},
        {"music", "lbl1", "text", QStringLiteral("常听轻松快乐的歌曲有助于身心健康,多给自己的心灵一些正能量吧!")},
        {"music", "lbl1", "at", QStringLiteral("474,10")},
        {"music", "lbl1", "foreground", QStringLiteral("#c0c0c0")},

        {"mv", "", "caption", QStringLiteral("QV盒子-MTV欣赏 %HOST%")},
        {"mv", "", "outer", QStringLiteral("919x607")},
        {"mv", "pnl1", "height", QStringLiteral("30")},
        {"mv", "pnl1", "background", QStringLiteral("#000000")},
        {"mv", "chkontop", "at", QStringLiteral("8,7")},
        {"mv", "chkhidemain", "at", QStringLiteral("88,7")},
        {"mv", "btn1", "text", QStringLiteral("重新加载")},
        {"mv", "btn1", "place", QStringLiteral("170,3,89,22")},
        {"mv", "btnexit", "place", QStringLiteral("266,3,89,22")},

        {"update", "", "caption", QStringLiteral("Quvo盒子提示您,服务器已有新版本啦!  %SITE%")},
        {"update", "", "size", QStringLiteral("415x253")},
        {"update", "imgUpdatePic", "place", QStringLiteral("-1,-1,117,229")},
        {"update", "lblupnote", "place", QStringLiteral("128,6,273,13")},
        {"update", "lblupdateNote", "place", QStringLiteral("126,25,267,65")},
        {"update", "lblupdateNote", "text",
         QStringLiteral(
             "        "
             "建议您到官方查看最新更新日志与动态,如遇更新不成功,可能是因为同时下载人数过多或服务器负载压力过大,"
             "建议您打开我们的主页或选择分流下载站进行下载!\n")},
        {"update", "BtnBypass1", "place", QStringLiteral("123,90,88,19")},
        {"update", "BtnBypass3", "visible", QStringLiteral("false")},
        {"update", "lblSchedule", "place", QStringLiteral("128,121,265,33")},
        {"update", "ProgressBar1", "place", QStringLiteral("128,159,271,17")},
        {"update", "ButtonDown", "place", QStringLiteral("129,185,80,30")},
        {"update", "btnHomepage", "place", QStringLiteral("225,185,80,30")},
        {"update", "BtnQuit", "place", QStringLiteral("321,185,80,30")},
        {"update", "StatusBar1", "place", QStringLiteral("0,229,415,24")},
        {"update", "StatusBar1Panel", "text", QStringLiteral("QV盒子升级程序! %SITE% 欢迎大家下载更新!")},
    };

    // Each window as a user meets it, opened once.
    MessageBoxes::setApplicationTitle(Sites::applicationTitle()); // as the program's start sets it
    std::unique_ptr<TFormmain> main;
    std::unique_ptr<MessageBoxRecorder> boxes;
    QVERIFY(openMainWindow(main, boxes));
    TFormDeclare declaration; // no acceptance recorded: it shows itself
    TFormSelCloud line({}, {}, main.get());
    auto* music = new TFormMusic;
    auto* mv = new TFormMtv;
    TFormupdate update(main.get());
    const auto closePortals = qScopeGuard([&] {
        delete music;
        delete mv;
    });
    const std::map<QString, QWidget*> windows = {{QStringLiteral("declaration"), &declaration},
                                                 {QStringLiteral("main"), main.get()},
                                                 {QStringLiteral("line"), &line},
                                                 {QStringLiteral("music"), music},
                                                 {QStringLiteral("mv"), mv},
                                                 {QStringLiteral("update"), &update}};
    for (const auto& [name, window] : windows) {
        window->show();
        QVERIFY2(QTest::qWaitForWindowExposed(window), qPrintable(name));
    }

    const auto size = [](QSize size) { return QStringLiteral("%1x%2").arg(size.width()).arg(size.height()); };
    const auto read = [&](QWidget* window, QWidget* widget, const QString& detail) -> QString {
        if (detail == QLatin1String("caption"))
            return window->windowTitle();
        if (detail == QLatin1String("size"))
            return size(widget->size());
        if (detail == QLatin1String("outer"))
            return size(widget->frameGeometry().size());
        if (detail == QLatin1String("height"))
            return QString::number(widget->height());
        if (detail == QLatin1String("width"))
            return QString::number(widget->width());
        if (detail == QLatin1String("place")) {
            const QRect place = widget->geometry();
            return QStringLiteral("%1,%2,%3,%4").arg(place.x()).arg(place.y()).arg(place.width()).arg(place.height());
        }
        if (detail == QLatin1String("at"))
            return QStringLiteral("%1,%2").arg(widget->x()).arg(widget->y());
        if (detail == QLatin1String("leftAndSize"))
            return QString::number(widget->x()) + QLatin1Char(',') + size(widget->size());
        if (detail == QLatin1String("visible"))
            return widget->isVisible() ? QStringLiteral("true") : QStringLiteral("false");
        if (detail == QLatin1String("background"))
            return widget->palette().color(widget->backgroundRole()).name();
        if (detail == QLatin1String("foreground"))
            return widget->palette().color(widget->foregroundRole()).name();
        if (detail == QLatin1String("pixelFont"))
            return QString::number(widget->font().pixelSize());
        if (detail == QLatin1String("boldPixelFont"))
            return widget->font().bold() ? QString::number(widget->font().pixelSize()) : QStringLiteral("not bold");
        if (detail == QLatin1String("firstLine"))
            return static_cast<QPlainTextEdit*>(widget)->toPlainText().section(QLatin1Char('\n'), 0, 0);
        if (detail == QLatin1String("menu")) { // the first items (others may follow)
            widget->customContextMenuRequested(widget->rect().center());
            QMenu* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QStringList items;
            for (int i = 0; menu && i < qMin(5, int(menu->actions().size())); ++i)
                items << menu->actions().at(i)->text();
            if (menu)
                menu->close();
            return items.join(QLatin1Char('|'));
        }
        if (detail == QLatin1String("message")) { // clicked with no row selected
            boxes->clear();
            QTest::mouseClick(widget, Qt::LeftButton);
            if (boxes->count() != 1)
                return QStringLiteral("%1 boxes").arg(boxes->count());
            const MessageBoxes::Request& shown = boxes->requests().first();
            return QStringLiteral("%1 | %2 | %3")
                .arg(shown.text, shown.caption,
                     shown.onScreenCentre ? QStringLiteral("screen centre") : QStringLiteral("over its owner"));
        }
        return widget->property(detail.toLatin1().constData()).toString();
    };

    QStringList differences;
    for (const Row& row : rows) {
        QWidget* window = windows.at(QString::fromLatin1(row.window));
        QWidget* widget = *row.control ? control<QWidget>(window, row.control) : window;
        QString expected = row.expected;
        expected.replace(QStringLiteral("%HOST%"), Sites::productSiteHost())
            .replace(QStringLiteral("%SITE%"), Sites::productSiteAddress())
            .replace(QStringLiteral("%TITLE%"), Sites::applicationTitle());
        const QString seen = read(window, widget, QString::fromLatin1(row.detail));
        if (seen != expected)
            differences << QStringLiteral("%1 %2 %3: \"%4\", not \"%5\"")
                               .arg(QLatin1String(row.window), QLatin1String(row.control), QLatin1String(row.detail),
                                    seen, expected);
    }
    QVERIFY2(differences.isEmpty(), qPrintable(QLatin1Char('\n') + differences.join(QLatin1Char('\n'))));
}

// The program's own application object, with its guard around every event's delivery.
int main(int argc, char* argv[])
{
    const int failures = [&] {
        GuardedApplication app(argc, argv);
        TestMainShell test;
        QTEST_SET_MAIN_SOURCE_PATH
        return QTest::qExec(&test, argc, argv);
    }();
    return ProcessEnd::afterShutdown(failures);
}
#include "test_mainshell.moc"
