#include "testsupport.h"

#include "app/tformmain.h"
#include "config/remoteconfiguration.h"
#include "platform/registry.h"
#include "platform/testhooks.h"
#include "samplesite.h"
#include "search/searchrecord.h"
#include "services/windowrefs.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QSettings>
#include <QTest>
#include <QThread>

#include "rawsocket.h"

bool openMainWindow(std::unique_ptr<TFormmain>& window, std::unique_ptr<MessageBoxRecorder>& boxes)
{
    boxes = std::make_unique<MessageBoxRecorder>();
    window = std::make_unique<TFormmain>();
    window->show();
    return QTest::qWaitForWindowExposed(window.get());
}

std::unique_ptr<TFormmain> mainWindowWithTypedKeyword()
{
    auto window = std::make_unique<TFormmain>();
    Formmain = window.get();
    control<QLineEdit>(window.get(), "EdtSearch")->setText(QStringLiteral("typed"));
    return window;
}

void searchFromKeywordBox(const TFormmain* window, const QString& keyword)
{
    auto* box = control<QLineEdit>(window, "EdtSearch");
    box->setText(keyword);
    QTest::keyClick(box, Qt::Key_Return);
}

MessageBoxRecorder::MessageBoxRecorder()
{
    testHooks().answerMessageBox = [this](const MessageBoxes::Request& request) {
        m_requests.append(request);
        if (!m_answers.empty()) {
            const MessageBoxes::Answer answer = m_answers.front();
            m_answers.pop_front();
            return answer;
        }
        return request.kind == MessageBoxes::Kind::YesNo ? MessageBoxes::Answer::Yes : MessageBoxes::Answer::Ok;
    };
}

MessageBoxRecorder::~MessageBoxRecorder()
{
    testHooks().answerMessageBox = {};
}

QStringList MessageBoxRecorder::texts() const
{
    QStringList result;
    for (const auto& request : m_requests)
        result.append(request.text);
    return result;
}

TemporaryRegistry::TemporaryRegistry()
{
    testHooks().registryStorePath = path();
}

TemporaryRegistry::~TemporaryRegistry()
{
    // A test that replaces its store makes the new one first: that one stays.
    if (testHooks().registryStorePath == path())
        testHooks().registryStorePath = {};
}

QString TemporaryRegistry::path() const
{
    return m_dir.filePath(QStringLiteral("registry.ini"));
}

void TemporaryRegistry::set(const QString& key, const QString& valueName, const QString& value)
{
    QVERIFY(Registry::writeString(key, valueName, value));
}

QStringList thunderRecord(const QString& key)
{
    return {key};
}

RecordingLauncher::RecordingLauncher()
{
    m_record = m_dir.filePath(QStringLiteral("launches.txt"));
#ifdef Q_OS_WIN
    // A program that writes the same record (tests/common/recordlaunch_windows.cpp), under a name with a space.
    m_program = m_dir.filePath(QStringLiteral("record launcher.exe"));
    QFile::copy(QStringLiteral(QUVO_RECORD_LAUNCH), m_program);
#else
    m_program = m_dir.filePath(QStringLiteral("record launcher"));
    QFile script(m_program);
    if (script.open(QIODevice::WriteOnly)) {
        // Each start appends its arguments (one per line, NUL-free) and a separator line.
        // The scratch file is per start ($$), so starts running at the same time do not mix.
        script.write("#!/bin/sh\nt=\"$0.$$.tmp\"\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >> \"$t\"; done\n"
                     "printf '%s\\n' '--end--' >> \"$t\"\ncat \"$t\" >> '" +
                     m_record.toUtf8() + "'\nrm -f \"$t\"\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
#endif
}

QList<QStringList> RecordingLauncher::launches(int timeoutMs) const
{
    // The file exists a moment before the first record is complete in it. None in time is an answer too.
    static_cast<void>(QTest::qWaitFor(
        [this] {
            QFile file(m_record);
            return file.open(QIODevice::ReadOnly) && file.readAll().contains("--end--\n");
        },
        timeoutMs));
    QList<QStringList> result;
    QFile file(m_record);
    if (!file.open(QIODevice::ReadOnly))
        return result;
    QStringList current;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line == "--end--") {
            result.append(current);
            current.clear();
        } else if (!line.isEmpty() || !current.isEmpty()) {
            current.append(QString::fromUtf8(line));
        }
    }
    return result;
}

#ifdef Q_OS_WIN
QList<QStringList> RecordingLauncher::starts() const
{
    QFile file(QFileInfo(m_program).dir().filePath(QStringLiteral("starts.txt")));
    QList<QStringList> result;
    if (!file.open(QIODevice::ReadOnly))
        return result;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (qsizetype at = 0; at + 1 < lines.size(); at += 2)
        result.append({lines[at], lines[at + 1]});
    return result;
}
#endif

void RecordingLauncher::clear()
{
    QFile::remove(m_record);
}

ProgramWorld::ProgramWorld(Setup setup) : m_setup(setup), m_site(std::make_unique<SampleSite>())
{
}

ProgramWorld::~ProgramWorld() = default;

QByteArray ProgramWorld::baseUrl() const
{
    return m_site->baseUrl();
}

bool ProgramWorld::reset()
{
    if (m_site->port() == 0) {
        if (m_site->start() <= 0)
            return false;
        m_refusedUrl = closedBaseUrl();
    }
    if (m_setup.searchMirror) {
        if (!m_mirror)
            m_mirror = std::make_unique<SampleSite>();
        if (m_mirror->port() == 0 && m_mirror->start() <= 0)
            return false;
        m_mirror->clearSwitches();
        m_mirror->clearRequestLog();
    }
    qputenv("QUVO_PRODUCT_SERVER", m_setup.productServerRefused ? m_refusedUrl : baseUrl());
    if (m_setup.searchOnSite)
        qputenv("QUVO_SEARCH_SITE", baseUrl());
    m_site->clearSwitches();
    if (!m_setup.settingsDocument)
        m_site->setSwitch(QStringLiteral("settings"), QStringLiteral("none"));
    m_site->clearRequestLog();
    remoteConfig() = RemoteConfiguration{};
    if (m_setup.browserRecorded) {
        m_registry = std::make_unique<TemporaryRegistry>();
        m_browser = std::make_unique<RecordingLauncher>();
        m_registry->set(QStringLiteral("HKEY_CLASSES_ROOT\\HTTP\\Shell\\open\\command"), QString(),
                        QLatin1Char('"') + m_browser->program() + QStringLiteral("\" \"%1\""));
    }
    SearchRecord::setKeywords({}); // a test's searches are no later test's history
    SearchRecord::setFilterSizeBounds({});
    return true;
}

void ProgramWorld::finish()
{
    remoteConfig() = RemoteConfiguration{};
    m_registry.reset();
    m_browser.reset();
}

void ProgramWorld::emptyRegistry()
{
    m_registry = std::make_unique<TemporaryRegistry>();
}

void ProgramWorld::dropRegistry()
{
    m_registry.reset();
}

namespace {

// A "Name:   123 kB" line of /proc/self/status, in KiB; 0 when missing.
qint64 statusKiB(const char* name)
{
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray prefix = QByteArray(name) + ':';
    for (const QByteArray& line : file.readAll().split('\n'))
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

} // namespace

qint64 StallMonitor::residentKiB()
{
    return statusKiB("VmRSS");
}

qint64 StallMonitor::peakResidentKiB()
{
    return statusKiB("VmHWM");
}

void GapClock::note(bool ticked)
{
    const qint64 now = m_clock.elapsed();
    if (now - m_lastTickMs > m_longestMs) {
        m_longestMs = now - m_lastTickMs;
        m_longestEndMs = now;
    }
    if (ticked)
        m_lastTickMs = now;
}

StallMonitor::StallMonitor()
{
    // Writing 5 to clear_refs resets the kernel's peak resident memory to the current value.
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    m_kernelPeakReset = clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
    clear.close();
    m_startKiB = residentKiB();
    m_sampledPeakKiB = m_startKiB;

    // The idle loop: the same timer on a thread that does nothing else.
    m_idleThread.start();
    auto* idleTimer = new QTimer;
    idleTimer->setTimerType(Qt::PreciseTimer);
    idleTimer->setInterval(10);
    m_idle = new GapClock;
    idleTimer->moveToThread(&m_idleThread);
    QObject::connect(idleTimer, &QTimer::timeout, idleTimer, [this] {
        m_idle->tick();
        m_idleLongestMs = m_idle->longestMs();
    });
    QObject::connect(&m_idleThread, &QThread::finished, idleTimer, &QObject::deleteLater);
    QMetaObject::invokeMethod(idleTimer, qOverload<>(&QTimer::start));

    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(10);
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
        m_ui.tick();
        m_sampledPeakKiB = qMax(m_sampledPeakKiB, residentKiB());
    });
    m_timer.start();
}

StallMonitor::~StallMonitor()
{
    stop();
}

void StallMonitor::stop()
{
    if (!m_timer.isActive())
        return;
    m_timer.stop();
    m_ui.finish();
    m_sampledPeakKiB = qMax(m_sampledPeakKiB, residentKiB());
    m_idleThread.quit();
    m_idleThread.wait();
    m_idle->finish();
    m_idleLongestMs = m_idle->longestMs();
    delete m_idle;
    m_idle = nullptr;
}

bool StallMonitor::keptUp() const
{
    return longestGapMs() <= allowedFactor * m_idleLongestMs + allowedExtraMs;
}

qint64 StallMonitor::peakGrowthKiB() const
{
    const qint64 peak = m_kernelPeakReset ? qMax(peakResidentKiB(), m_sampledPeakKiB) : m_sampledPeakKiB;
    return peak - m_startKiB;
}

QString StallMonitor::summary() const
{
    return QStringLiteral("longest gap %1 ms (ended %4 ms in; idle loop %5 ms), peak memory +%2 KiB%3")
        .arg(m_ui.longestMs())
        .arg(peakGrowthKiB())
        .arg(m_kernelPeakReset ? QString() : QStringLiteral(" (sampled)"))
        .arg(m_ui.longestEndMs())
        .arg(qint64(m_idleLongestMs));
}

RawServer::RawServer(Reply reply) : m_reply(std::move(reply))
{
    m_listen = RawSocket::open();
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (m_listen < 0 || ::bind(m_listen, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(m_listen, 16) != 0 || ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return;
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { serve(); });
}

RawServer::~RawServer()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    if (m_listen >= 0)
        RawSocket::close(m_listen);
}

QByteArray RawServer::baseUrl() const
{
    return "http://127.0.0.1:" + QByteArray::number(m_port);
}

bool RawServer::send(int socket, const QByteArray& bytes)
{
    qsizetype sent = 0;
    while (sent < bytes.size() && !m_stop) {
        if (RawSocket::wait(socket, POLLOUT, 50) <= 0)
            continue;
        const ssize_t n = ::send(socket, bytes.constData() + sent, int(bytes.size() - sent), RawSocket::kNoSignal);
        if (n <= 0)
            return false;
        sent += n;
    }
    return sent == bytes.size();
}

void RawServer::serve()
{
    while (!m_stop) {
        if (RawSocket::wait(m_listen, POLLIN, 50) <= 0)
            continue;
        const int socket = ::accept(m_listen, nullptr, nullptr);
        if (socket < 0)
            continue;
        ++m_connections;
        QByteArray head;
        char buffer[4096];
        while (!m_stop && !head.contains("\r\n\r\n") && head.size() < 65536) {
            if (RawSocket::wait(socket, POLLIN, 50) <= 0)
                continue;
            const ssize_t n = ::recv(socket, buffer, int(sizeof buffer), 0);
            if (n <= 0)
                break;
            head.append(buffer, n);
        }
        m_head = head;
        if (!m_stop)
            m_reply(*this, socket);
        RawSocket::close(socket);
    }
}

SilentServer::SilentServer()
    : m_raw([this](RawServer& server, int socket) {
          char buffer[4096];
          while (!server.stopping()) {
              if (RawSocket::wait(socket, POLLIN, 50) <= 0)
                  continue;
              if (::recv(socket, buffer, int(sizeof buffer), 0) <= 0) {
                  ++m_hangUps;
                  return;
              }
          }
      })
{
}

int closedPort()
{
    const int probe = RawSocket::open();
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    RawSocket::close(probe);
    return ntohs(address.sin_port);
}

QByteArray closedBaseUrl()
{
    return "http://127.0.0.1:" + QByteArray::number(closedPort());
}

bool waitHoldingEvents(const std::function<bool()>& done, int timeoutMs, int settleMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QThread::msleep(5);
    }
    QThread::msleep(settleMs);
    return true;
}

namespace {

// The replies whose framing is broken. The first one's body ends a result row, so a page cut short
// must still give none.
void lyingLength(RawServer& server, int socket)
{
    server.send(socket, "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 1000000\r\n\r\n"
                        "<html>cut short</a></td></tr>\n");
}

void brokenChunk(RawServer& server, int socket)
{
    server.send(socket, "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
                        "12\r\nrow</a></td></tr>\n\r\nzz\r\nnot a chunk size\r\n");
}

void endlessHeaders(RawServer& server, int socket)
{
    if (!server.send(socket, "HTTP/1.1 200 OK\r\n"))
        return;
    const QByteArray line = "X-Filler: " + QByteArray(1000, 'h') + "\r\n";
    for (int i = 0; i < 200000 && server.send(socket, line); ++i) {
    }
}

void notHttp(RawServer& server, int socket)
{
    QByteArray noise(64 * 1024, '\0');
    for (qsizetype i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 131 + 7) & 0xFF);
    server.send(socket, noise);
}

RawServer::Reply brokenReply(HostileKind kind)
{
    switch (kind) {
    case HostileKind::LyingLength:
        return lyingLength;
    case HostileKind::BrokenChunk:
        return brokenChunk;
    case HostileKind::EndlessHeaders:
        return endlessHeaders;
    default:
        return notHttp;
    }
}

} // namespace

void addHostileRows(const char* what, const char* oversized, int megabytes)
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<HostileKind>("server");
    QTest::addRow("%d MB %s", megabytes, what)
        << QStringLiteral("%1:%2").arg(QLatin1String(oversized)).arg(qint64(megabytes) * 1024 * 1024)
        << HostileKind::SampleSite;
    QTest::addRow("endless %s, fast", what) << QStringLiteral("endless:65536:0") << HostileKind::SampleSite;
    QTest::addRow("endless %s, slow", what) << QStringLiteral("endless:1024:50") << HostileKind::SampleSite;
    QTest::newRow("length longer than the body") << QString() << HostileKind::LyingLength;
    QTest::newRow("broken chunk") << QString() << HostileKind::BrokenChunk;
    QTest::newRow("endless header block") << QString() << HostileKind::EndlessHeaders;
    QTest::newRow("not HTTP at all") << QString() << HostileKind::NotHttp;
    QTest::newRow("accepts and never answers") << QString() << HostileKind::Silent;
}

HostileServer::HostileServer(SampleSite& site, const QString& siteSwitch, const char* addressVariable)
{
    QFETCH(QString, mode);
    QFETCH(HostileKind, server);
    if (server == HostileKind::SampleSite) {
        site.setSwitch(siteSwitch, mode);
        return;
    }
    if (server == HostileKind::Silent)
        m_silent = std::make_unique<SilentServer>();
    else
        m_raw = std::make_unique<RawServer>(brokenReply(server));
    qputenv(addressVariable, baseUrl());
}

QByteArray HostileServer::baseUrl() const
{
    return m_raw ? m_raw->baseUrl() : m_silent ? m_silent->baseUrl() : QByteArray();
}

int HostileServer::connections() const
{
    return m_raw ? m_raw->connections() : m_silent ? m_silent->connections() : 0;
}

void HostileServer::stop()
{
    m_raw.reset();
    m_silent.reset();
}

void HostileSuite::initTestCase()
{
    testHooks().*m_limits = hostileLimits;
}

void HostileSuite::cleanupTestCase()
{
    testHooks().*m_limits = std::nullopt;
}
