#pragma once

#include "platform/messageboxes.h"
#include "platform/testhooks.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QMetaType>
#include <QObject>
#include <QString>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class SampleSite;
class TFormmain;
class QWidget;

// A window's control as a user finds it: by its object name. A missing one ends the run, since
// every later step of the test would act on nothing.
template <class T> T* control(const QObject* window, const char* name)
{
    T* found = window ? window->findChild<T*>(QLatin1String(name)) : nullptr;
    if (!found)
        qFatal("no %s named %s", T::staticMetaObject.className(), name);
    return found;
}

// Answers the program's message boxes during a test and records what they said.
// Unless told otherwise every box is answered with OK (or Yes).
class MessageBoxRecorder final {
public:
    MessageBoxRecorder();
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    // The answers for the next boxes, in order.
    void answerNext(MessageBoxes::Answer answer) { m_answers.push_back(answer); }

    const QList<MessageBoxes::Request>& requests() const { return m_requests; }
    QStringList texts() const;
    QString lastText() const { return m_requests.isEmpty() ? QString() : m_requests.last().text; }
    int count() const { return int(m_requests.size()); }
    void clear() { m_requests.clear(); }

private:
    QList<MessageBoxes::Request> m_requests;
    std::deque<MessageBoxes::Answer> m_answers;
};

// Opens the main window as a user meets it: its message boxes answered and recorded from before it
// is made, then shown. False when it never came on screen.
bool openMainWindow(std::unique_ptr<TFormmain>& window, std::unique_ptr<MessageBoxRecorder>& boxes);

// The main window as the settings fetch finds it: made (the program's Formmain) but not shown, with
// a keyword typed into its box, so a test can tell whether a document replaced it.
std::unique_ptr<TFormmain> mainWindowWithTypedKeyword();

// Types `keyword` into the main window's keyword box and presses Return, as a user searches.
void searchFromKeywordBox(const TFormmain* window, const QString& keyword);

// A registry stand-in in a temporary folder of the test's own; restored on destruction.
class TemporaryRegistry final {
public:
    TemporaryRegistry();
    ~TemporaryRegistry();
    QString path() const;
    // Writes a value directly (test set-up).
    void set(const QString& key, const QString& valueName, const QString& value);

private:
    QTemporaryDir m_dir;
};

// Threads wait here until the last one has come (a one-time barrier). std::barrier and std::latch can
// hang in their wait with mingw-w64's GCC 12.
struct Meeting {
    explicit Meeting(int count) : remaining(count) {}
    void arriveAndWait()
    {
        std::unique_lock lock(mutex);
        if (--remaining == 0)
            everyone.notify_all();
        else
            everyone.wait(lock, [this] { return remaining == 0; });
    }
    std::mutex mutex;
    std::condition_variable everyone;
    int remaining;
};

// A tiny program that records its arguments, one per line, into a file; tests name it in the
// registry stand-in as the browser or as Thunder.
class RecordingLauncher final {
public:
    RecordingLauncher();
    QString program() const { return m_program; } // path of the script
    // The arguments of each start, in order (waits up to timeoutMs for the first one to arrive).
    QList<QStringList> launches(int timeoutMs = 3000) const;
#ifdef Q_OS_WIN
    // Each start's command line as the system held it and the show command it was given ("-1": none).
    QList<QStringList> starts() const;
#endif
    void clear();

private:
    QTemporaryDir m_dir;
    QString m_program;
    QString m_record;
};

// What a RecordingLauncher started as Thunder records for a key. Windows would find the unquoted
// "record launcher.exe" blank by blank and its reading then sees "launcher.exe" first; Wine quotes
// the program it found in the command line it hands over, so the key alone arrives there.
QStringList thunderRecord(const QString& key);

// The program's world for the tests of its windows: the sample site started and the program's
// servers pointed at it, the settings record emptied before and after each test, and (when asked) a
// temporary registry of each test's own that names a recording launcher as the browser, so that
// nothing real is ever opened. init calls QVERIFY(reset()), cleanup finish().
class ProgramWorld final {
public:
    struct Setup {
        // The product server: the sample site, which answers the window's own settings fetch with
        // its document, or with none when the tests set the settings record themselves...
        bool settingsDocument = true;
        // ... or a port nobody listens on.
        bool productServerRefused = false;
        bool searchOnSite = false;    // the search site is the sample site too
        bool browserRecorded = false; // a registry per test with the recorder as the browser
        bool searchMirror = false;    // a second sample site, started beside the first, as a mirror
    };

    explicit ProgramWorld(Setup setup);
    ~ProgramWorld();
    ProgramWorld(const ProgramWorld&) = delete;
    ProgramWorld& operator=(const ProgramWorld&) = delete;

    // The site started the first time; the addresses pointed again (a test may have moved them), the
    // site's switches and request log cleared, the settings record emptied, a fresh registry and
    // browser recorder. False when the site could not start.
    [[nodiscard]] bool reset();
    void finish();

    SampleSite& site() { return *m_site; }
    const SampleSite& site() const { return *m_site; }
    // The search site's mirror (Setup::searchMirror): switches and request log cleared by reset(),
    // named by the settings record only where a test puts it there.
    SampleSite& mirror() { return *m_mirror; }
    QByteArray baseUrl() const;
    QByteArray refusedUrl() const { return m_refusedUrl; }
    TemporaryRegistry& registry() { return *m_registry; }
    RecordingLauncher& browser() { return *m_browser; }
    void emptyRegistry(); // a fresh registry that names no browser
    void dropRegistry();  // the real one is read again

private:
    Setup m_setup;
    std::unique_ptr<SampleSite> m_site;
    std::unique_ptr<SampleSite> m_mirror;
    QByteArray m_refusedUrl;
    std::unique_ptr<TemporaryRegistry> m_registry;
    std::unique_ptr<RecordingLauncher> m_browser;
};

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool underAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool underAddressSanitizer = true;
#else
inline constexpr bool underAddressSanitizer = false;
#endif
#else
inline constexpr bool underAddressSanitizer = false;
#endif

// Under the address sanitizer freed memory is held in quarantine (256 MB by default), so the
// process's peak says little about what the program keeps; tests check memory bounds without it.
inline constexpr bool peakMemoryIsMeaningful = !underAddressSanitizer;

// The longest gap between the ticks of a 10 ms timer seen so far, the time from the last tick to
// now included (a thread held up until now has not ticked).
class GapClock final {
public:
    GapClock() { m_clock.start(); }
    void tick() { note(true); }
    void finish() { note(false); }
    qint64 longestMs() const { return m_longestMs; }
    qint64 longestEndMs() const { return m_longestEndMs; } // when the longest gap ended, from the start

private:
    void note(bool ticked);
    QElapsedTimer m_clock;
    qint64 m_lastTickMs = 0;
    qint64 m_longestMs = 0;
    qint64 m_longestEndMs = 0;
};

// Watches the user-interface thread while it runs: a 10 ms timer on that thread records the longest
// gap between two of its ticks (how long the thread was held up at most), and the process's peak
// resident memory is measured from the monitor's start. Alongside, the same timer on an idle event
// loop of a thread of its own measures what the machine alone costs meanwhile: a loaded machine, or
// Wine's server, holds up every thread's timers, not only the one that works.
class StallMonitor final {
public:
    // The user-interface thread may be held up twice as long as the idle loop plus its own work of up
    // to 100 ms. Under Wine every step of a thread with windows also waits for Wine's server and the
    // X11 driver, which a loaded machine holds up far more than a window-less loop: seen there, gaps of
    // three to four times the idle loop's for the same work, so Windows builds allow four times and
    // 250 ms. Work done on the user-interface thread that belongs on another (a fetch, a whole page cut
    // at once) takes seconds, far longer. The sanitizers make every step two to three times slower.
#ifdef Q_OS_WIN
    static constexpr qint64 allowedExtraMs = 250;
    static constexpr qint64 allowedFactor = 4;
#else
    static constexpr qint64 allowedExtraMs = underAddressSanitizer ? 300 : 100;
    static constexpr qint64 allowedFactor = 2;
#endif

    StallMonitor(); // starts watching
    ~StallMonitor();
    StallMonitor(const StallMonitor&) = delete;
    StallMonitor& operator=(const StallMonitor&) = delete;
    void stop();
    qint64 longestGapMs() const
    {
        return m_ui.longestMs();
    }
    qint64 idleGapMs() const
    {
        return m_idleLongestMs;
    } // the idle loop's longest gap meanwhile
    // The user-interface thread kept up: its longest gap stayed within what the idle loop's allows.
    bool keptUp() const;
    // Peak resident memory above the resident memory at the start, in KiB. Uses the kernel's peak
    // (reset at the start) where it can be reset, otherwise the largest value seen at the ticks.
    qint64 peakGrowthKiB() const;
    // "longest gap N ms (idle loop I ms), peak memory +M KiB", for failure messages and logs
    QString summary() const;

    static qint64 residentKiB();     // VmRSS of this process
    static qint64 peakResidentKiB(); // VmHWM of this process

private:
    QTimer m_timer;
    GapClock m_ui;
    QThread m_idleThread;
    GapClock* m_idle = nullptr; // lives on m_idleThread while it runs
    std::atomic<qint64> m_idleLongestMs = 0;
    qint64 m_startKiB = 0;
    qint64 m_sampledPeakKiB = 0;
    bool m_kernelPeakReset = false;
};

// Checks that the user-interface thread kept up while `monitor` watched it.
#define VERIFY_KEPT_UP(monitor) QVERIFY2((monitor).keptUp(), qPrintable((monitor).summary()))

// A server on 127.0.0.1 that answers with whatever bytes a test writes, for replies whose HTTP
// framing is broken. Connections are served one after the other on a thread of the server: the
// request head is read, then `reply` runs with the connection's socket, which is closed afterwards.
class RawServer final {
public:
    using Reply = std::function<void(RawServer& server, int socket)>;
    explicit RawServer(Reply reply);
    ~RawServer();
    RawServer(const RawServer&) = delete;
    RawServer& operator=(const RawServer&) = delete;

    QByteArray baseUrl() const; // "http://127.0.0.1:<port>"
    // For replies: writes everything; false once the client has gone or the server is stopping.
    bool send(int socket, const QByteArray& bytes);
    bool stopping() const { return m_stop; }
    int connections() const { return m_connections; }
    // For replies: the head of the request being answered.
    const QByteArray& requestHead() const { return m_head; }

private:
    void serve();

    Reply m_reply;
    QByteArray m_head;
    int m_listen = -1;
    int m_port = 0;
    std::atomic<bool> m_stop = false;
    std::atomic<int> m_connections = 0;
    std::thread m_thread;
};

#ifdef Q_OS_WIN
// Posts a right click (press and release) to the innermost native window of a page view (the
// Windows page control's own windows, which are not Qt widgets) and tells how many of the two
// messages reached that window; -1 when the view has no such window.
int nativeRightClicksReaching(QWidget* pageView);
#endif

// A port on 127.0.0.1 on which nothing listens, and its address "http://127.0.0.1:<port>".
int closedPort();
QByteArray closedBaseUrl();

// Waits, without handling this thread's events, until `done` holds (set by other threads), then
// as long again as `settleMs`: answers queued to this thread meanwhile stay queued. False on timeout.
bool waitHoldingEvents(const std::function<bool()>& done, int timeoutMs, int settleMs = 300);

// A server on 127.0.0.1 that accepts connections, reads the request and never answers; it counts
// the clients that gave up (closed their end), so a test can tell a request was really dropped.
class SilentServer final {
public:
    SilentServer();
    QByteArray baseUrl() const { return m_raw.baseUrl(); }
    int connections() const { return m_raw.connections(); }
    int hangUps() const { return m_hangUps; }

private:
    std::atomic<int> m_hangUps = 0;
    RawServer m_raw; // after the counter its thread writes
};

// The server of a hostile case: the sample site (under a switch the test sets), a reply whose HTTP
// framing is broken, or a server that accepts and never answers.
enum class HostileKind { SampleSite, LyingLength, BrokenChunk, EndlessHeaders, NotHttp, Silent };
Q_DECLARE_METATYPE(HostileKind)

// A hostile case table: the columns "mode" (a switch of the sample site) and "server" (HostileKind);
// the sample site's rows, an oversized body of `megabytes` MB (its switch `oversized:<bytes>`) and
// an endless one, fast and slow, with `what` naming the body in the rows' names; then one row for
// each server that breaks HTTP, which every fetch of the program meets alike.
void addHostileRows(const char* what, const char* oversized, int megabytes);

// The server of the current row of a hostile case table, with the program pointed at it: the sample
// site set to the row's mode under its switch `siteSwitch`, or a server of the row's kind whose
// address goes into the environment variable `addressVariable`.
class HostileServer final {
public:
    HostileServer(SampleSite& site, const QString& siteSwitch, const char* addressVariable);
    bool isSampleSite() const { return !m_raw && !m_silent; }
    QByteArray baseUrl() const;
    int connections() const;
    void stop(); // a reply still being written ends, and the address refuses connections

private:
    std::unique_ptr<RawServer> m_raw;
    std::unique_ptr<SilentServer> m_silent;
};

// Prints a hostile case's figures into the test's log ("HOSTILE <what> <case> longest gap …") and
// checks its bounds: the longest gap of the user-interface thread, and the memory growth wherever
// the peak means something.
#define VERIFY_HOSTILE_BOUNDS(monitor, what, name, maxGrowthKiB)                                                       \
    do {                                                                                                               \
        std::printf("HOSTILE %s %-40s %s\n", what, name, qPrintable((monitor).summary()));                             \
        VERIFY_KEPT_UP(monitor);                                                                                       \
        if (peakMemoryIsMeaningful)                                                                                    \
            QVERIFY2((monitor).peakGrowthKiB() < (maxGrowthKiB), qPrintable((monitor).summary()));                     \
    } while (false)

// The skeleton of a suite of hostile cases against one fetch of the program: the program's world,
// and the fetch's time limits shortened (hostileLimits) for the whole suite, so that the endless and
// silent cases end within seconds.
class HostileSuite : public QObject {
    Q_OBJECT
public:
    static inline const HttpTimeLimits hostileLimits{
        .connect = std::chrono::seconds(2), .stall = std::chrono::seconds(1), .total = std::chrono::seconds(3)};

protected:
    using LimitsHook = std::optional<HttpTimeLimits> TestHooks::*;
    HostileSuite(ProgramWorld::Setup setup, LimitsHook limits) : m_world(setup), m_limits(limits) {}

    ProgramWorld m_world;

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();

private:
    LimitsHook m_limits;
};
