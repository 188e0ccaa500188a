// The update download without its window: plans, names, the size request, real downloads against
// the sample site with and without its faults, joining, pause and completion.
#include "samplesite.h"
#include "silentsegmenthost.h"
#include "testmain.h"
#include "update/contentrange.h"
#include "update/downloadjob.h"
#include "update/downloadround.h"
#include "update/filenamefromaddress.h"
#include "update/mergepartfiles.h"
#include "update/requestfilesize.h"
#include "update/segmentplan.h"
#include "update/segmentreply.h"
#include "updatearchive.h"
#include "updatetesthelpers.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <condition_variable>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>

using Ranges = QList<QPair<qint64, qint64>>;
Q_DECLARE_METATYPE(Ranges)

class TestDownloadCore : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void segmentPlans_data();
    void segmentPlans();
    void plansCoverEveryByteOnce();
    void partialReplies_data();
    void partialReplies();
    void fileNames_data();
    void fileNames();
    void sizeRequestSendsItsHeadersAndFollowsNothing();
    void sizeRequestOutcomes();
    void downloadsByteForByte_data();
    void downloadsByteForByte();
    void segmentReplySteps_data();
    void segmentReplySteps();
    void faults_data();
    void faults();
    void repliesThatDoNotMatchTheRangeFail_data();
    void repliesThatDoNotMatchTheRangeFail();
    void oddlyFramedReplies_data();
    void oddlyFramedReplies();
    void staleTargetIsWrittenOver();
    void jobsThatCannotStartLeaveNothing();
    void completionRunsOnceWhenWorkersFinishTogether();
    void endingTheJobStopsWorkersAndRemovesParts();
    void joiningChecksTheSize();

private:
    struct Outcome {
        int successes = 0;
        int failures = 0;
        int merges = 0;
        int fallBacks = 0;
        qint64 lastReceived = -1; // the received count the job reported last
    };
    Outcome run(DownloadJob& job, const QByteArray& url, const QString& target, int workers, qint64 size,
                const DownloadOptions& options = quickOptions());
    QByteArray archiveUrl() const { return m_world.baseUrl() + "/update/qorvex.rar"; }
    int archiveGets() const { return m_world.site().countRequests(QStringLiteral("GET /update/qorvex.rar")); }

    ProgramWorld m_world{{}};
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestDownloadCore::init()
{
    QVERIFY(m_world.reset());
    m_dir = std::make_unique<QTemporaryDir>();
}

TestDownloadCore::Outcome TestDownloadCore::run(DownloadJob& job, const QByteArray& url, const QString& target,
                                                int workers, qint64 size, const DownloadOptions& options)
{
    Outcome outcome;
    QSignalSpy succeeded(&job, &DownloadJob::succeeded);
    QSignalSpy failed(&job, &DownloadJob::failed);
    QSignalSpy merged(&job, &DownloadJob::mergeStarted);
    QSignalSpy fellBack(&job, &DownloadJob::fellBackToOneConnection);
    QSignalSpy progress(&job, &DownloadJob::progressChanged);
    if (job.start(url, target, workers, size, options) != DownloadJob::StartResult::Started)
        return outcome;
    if (!QTest::qWaitFor([&] { return succeeded.count() + failed.count() > 0; }, 30000))
        qWarning("the job neither succeeded nor failed in time");
    QTest::qWait(50); // room for a second outcome, which must not come
    outcome.successes = int(succeeded.count());
    outcome.failures = int(failed.count());
    outcome.merges = int(merged.count());
    outcome.fallBacks = int(fellBack.count());
    if (!progress.isEmpty())
        outcome.lastReceived = progress.last().first().toLongLong();
    return outcome;
}

void TestDownloadCore::segmentPlans_data()
{
    QTest::addColumn<qint64>("fileSize");
    QTest::addColumn<int>("workers");
    QTest::addColumn<Ranges>("ranges");
    QTest::newRow("10 bytes, 3") << qint64(10) << 3 << Ranges{{0, 2}, {3, 5}, {6, 9}};
    QTest::newRow("1000 bytes, 5") << qint64(1000) << 5
                                   << Ranges{{0, 199}, {200, 399}, {400, 599}, {600, 799}, {800, 999}};
    QTest::newRow("one worker") << qint64(777) << 1 << Ranges{{0, 776}};
    QTest::newRow("empty file") << qint64(0) << 1 << Ranges{};
    QTest::newRow("as many bytes as workers") << qint64(5) << 5 << Ranges{{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}};
    QTest::newRow("fewer bytes than workers") << qint64(3) << 5 << Ranges{{0, 0}, {1, 1}, {2, 2}};
    QTest::newRow("3 GiB, 5") << qint64(3221225472) << 5
                              << Ranges{{0, 644245093},
                                        {644245094, 1288490187},
                                        {1288490188, 1932735281},
                                        {1932735282, 2576980375},
                                        {2576980376, 3221225471}};
    QTest::newRow("no length named") << qint64(-1) << 5 << Ranges{{0, -1}};
    QTest::newRow("no worker") << qint64(100) << 0 << Ranges{};
}

void TestDownloadCore::segmentPlans()
{
    QFETCH(qint64, fileSize);
    QFETCH(int, workers);
    QFETCH(Ranges, ranges);
    const QList<SegmentRange> plan = planSegments(fileSize, workers);
    Ranges got;
    for (int i = 0; i < plan.size(); ++i) {
        QCOMPARE(plan[i].number, i + 1);
        got.append({plan[i].first, plan[i].last});
    }
    QCOMPARE(got, ranges);
}

void TestDownloadCore::plansCoverEveryByteOnce()
{
    for (qint64 size : {qint64(1), qint64(2), qint64(9), qint64(10), qint64(11), qint64(997), qint64(4294967311)}) {
        for (int workers = 1; workers <= 10; ++workers) {
            const QList<SegmentRange> plan = planSegments(size, workers);
            QCOMPARE(plan.size(), qsizetype(std::min<qint64>(size, workers)));
            qint64 next = 0;
            for (const SegmentRange& range : plan) {
                QCOMPARE(range.first, next);
                QVERIFY(range.length() >= 1);
                next = range.last + 1;
            }
            QCOMPARE(next, size);
        }
    }
    QCOMPARE(rangeHeaderValue(0, 0), QByteArray("bytes=0-0"));
    QCOMPARE(rangeHeaderValue(2576980376, 3221225471), QByteArray("bytes=2576980376-3221225471"));
    QCOMPARE(rangeHeaderValue(17, -1), QByteArray("bytes=17-"));
    QCOMPARE(partFilePath(QStringLiteral("/d/qorvex.rar"), 10), QStringLiteral("/d/qorvex.rar10"));
}

void TestDownloadCore::partialReplies_data()
{
    // The request: bytes position..segmentLast (-1: to the end) of a file of fileSize bytes (-1: unknown).
    QTest::addColumn<QByteArray>("contentRange");
    QTest::addColumn<qint64>("contentLength");
    QTest::addColumn<qint64>("position");
    QTest::addColumn<qint64>("segmentLast");
    QTest::addColumn<qint64>("fileSize");
    QTest::addColumn<qint64>("expected"); // -1: the reply does not fit
    QTest::addColumn<bool>("moreToCome");
    const qint64 max = std::numeric_limits<qint64>::max();
    QTest::newRow("exact") << QByteArray("bytes 100-199/1000") << qint64(100) << qint64(100) << qint64(199)
                           << qint64(1000) << qint64(100) << false;
    QTest::newRow("unknown total") << QByteArray(" bytes 100-199/* ") << qint64(-1) << qint64(100) << qint64(199)
                                   << qint64(1000) << qint64(100) << false;
    QTest::newRow("open range, part of it")
        << QByteArray("bytes 0-49/100") << qint64(-1) << qint64(0) << qint64(-1) << qint64(-1) << qint64(50) << true;
    QTest::newRow("open range, the rest")
        << QByteArray("bytes 50-99/100") << qint64(50) << qint64(50) << qint64(-1) << qint64(-1) << qint64(50) << false;
    QTest::newRow("shifted") << QByteArray("bytes 99-198/1000") << qint64(-1) << qint64(100) << qint64(199)
                             << qint64(1000) << qint64(-1) << false;
    QTest::newRow("body length differs") << QByteArray("bytes 100-199/1000") << qint64(101) << qint64(100)
                                         << qint64(199) << qint64(1000) << qint64(-1) << false;
    QTest::newRow("other total") << QByteArray("bytes 100-199/1001") << qint64(-1) << qint64(100) << qint64(199)
                                 << qint64(1000) << qint64(-1) << false;
    // Found by fuzzing: a range running past the total it names, and one whose length does not fit a number.
    QTest::newRow("range past its total")
        << QByteArray("bytes 0-99/050") << qint64(100) << qint64(0) << qint64(-1) << qint64(-1) << qint64(-1) << false;
    QTest::newRow("largest end") << QByteArray("bytes 0-9223372036854775807/*") << qint64(-1) << qint64(0) << qint64(-1)
                                 << qint64(-1) << qint64(-1) << false;
    QTest::newRow("largest end and total") << QByteArray("bytes 0-9223372036854775807/9223372036854775807") << max
                                           << qint64(0) << max << max << qint64(-1) << false;
    QTest::newRow("past a known size") << QByteArray("bytes 0-99/*") << qint64(-1) << qint64(0) << qint64(-1)
                                       << qint64(50) << qint64(-1) << false;
    QTest::newRow("signed numbers") << QByteArray("bytes +5-+9/100") << qint64(-1) << qint64(5) << qint64(9)
                                    << qint64(100) << qint64(-1) << false;
    QTest::newRow("negative total") << QByteArray("bytes 5-9/-1") << qint64(-1) << qint64(5) << qint64(9) << qint64(-1)
                                    << qint64(-1) << false;
    QTest::newRow("blank inside") << QByteArray("bytes 5- 9/100") << qint64(-1) << qint64(5) << qint64(9) << qint64(100)
                                  << qint64(-1) << false;
    QTest::newRow("too many digits") << QByteArray("bytes 0-99999999999999999999/*") << qint64(-1) << qint64(0)
                                     << qint64(-1) << qint64(-1) << qint64(-1) << false;
    QTest::newRow("unsatisfied") << QByteArray("bytes */1000") << qint64(-1) << qint64(0) << qint64(99) << qint64(1000)
                                 << qint64(-1) << false;
    QTest::newRow("none") << QByteArray() << qint64(100) << qint64(0) << qint64(99) << qint64(1000) << qint64(-1)
                          << false;
}

void TestDownloadCore::partialReplies()
{
    QFETCH(QByteArray, contentRange);
    QFETCH(qint64, contentLength);
    QFETCH(qint64, position);
    QFETCH(qint64, segmentLast);
    QFETCH(qint64, fileSize);
    QFETCH(qint64, expected);
    QFETCH(bool, moreToCome);
    const std::optional<PartialReply> reply =
        checkPartialReply(contentRange, contentLength, position, segmentLast, fileSize);
    QCOMPARE(reply.has_value(), expected >= 0);
    if (reply) {
        QCOMPARE(reply->expected, expected);
        QCOMPARE(reply->moreToCome, moreToCome);
    }
}

void TestDownloadCore::fileNames_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("name");
    QTest::newRow("archive") << "http://host/update/qorvex.rar"
                             << "qorvex.rar";
    QTest::newRow("no path") << "setup.exe"
                             << "setup.exe";
    QTest::newRow("ends in a slash") << "http://host/update/"
                                     << "qorvex.rar";
    QTest::newRow("empty") << ""
                           << "qorvex.rar";
    QTest::newRow("dot") << "http://host/update/."
                         << "qorvex.rar";
    QTest::newRow("dot dot") << "http://host/update/.."
                             << "qorvex.rar";
    QTest::newRow("backslashes") << "http://host/a\\..\\..\\evil.exe"
                                 << "evil.exe";
    QTest::newRow("Chinese") << "http://host/更新/新版.rar"
                             << "新版.rar";
}

void TestDownloadCore::fileNames()
{
    QFETCH(QString, address);
    QFETCH(QString, name);
    QCOMPARE(FileNameFromAddress(address), name);
}

void TestDownloadCore::sizeRequestSendsItsHeadersAndFollowsNothing()
{
    LocalHttpServer own;
    std::mutex mutex;
    QStringList seen;
    own.server.Get("/a.rar", [&](const httplib::Request& request, httplib::Response& response) {
        std::lock_guard lock(mutex);
        seen << QString::fromStdString(request.method + " " + request.version)
             << QString::fromStdString(request.get_header_value("User-Agent"))
             << QString::fromStdString(request.get_header_value("Accept"))
             << QString::fromStdString(request.get_header_value("Content-Type"));
        response.set_content(std::string(4321, 'r'), "application/octet-stream");
    });
    own.server.Get("/moved.rar",
                   [&](const httplib::Request&, httplib::Response& response) { response.set_redirect("/a.rar"); });
    own.start();
    const FileSizeReply reply = RequestFileSize(own.url("/a.rar"), quickOptions());
    QCOMPARE(reply.outcome, FileSizeReply::Outcome::Ok);
    QCOMPARE(reply.size, 4321);
    QCOMPARE(seen,
             (QStringList{"HEAD HTTP/1.1", "Mozilla/3.0 (compatible; Indy Library)", "text/html, */*", "text/html"}));
    seen.clear();
    QCOMPARE(RequestFileSize(own.url("/moved.rar"), quickOptions()).outcome, FileSizeReply::Outcome::HttpError);
    QVERIFY(seen.isEmpty()); // the redirect was not followed
}

void TestDownloadCore::sizeRequestOutcomes()
{
    m_world.site().setSwitch(QStringLiteral("update.size"), QStringLiteral("123457"));
    FileSizeReply reply = RequestFileSize(archiveUrl(), quickOptions());
    QCOMPARE(reply.outcome, FileSizeReply::Outcome::Ok);
    QCOMPARE(reply.size, 123457);

    m_world.site().setSwitch(QStringLiteral("update.fault"), QStringLiteral("no-length"));
    reply = RequestFileSize(archiveUrl(), quickOptions());
    QCOMPARE(reply.outcome, FileSizeReply::Outcome::Ok);
    QCOMPARE(reply.size, -1);

    for (const char* fault : {"404", "redirect"}) {
        m_world.site().setSwitch(QStringLiteral("update.fault"), QString::fromLatin1(fault));
        reply = RequestFileSize(archiveUrl(), quickOptions());
        QCOMPARE(reply.outcome, FileSizeReply::Outcome::HttpError);
    }
    QCOMPARE(m_world.site().countRequests(QStringLiteral("HEAD /update/moved/qorvex.rar")), 0);

    const QByteArray refused = "http://127.0.0.1:" + QByteArray::number(closedPort()) + "/update/qorvex.rar";
    QCOMPARE(RequestFileSize(refused, quickOptions()).outcome, FileSizeReply::Outcome::ConnectFailed);

    ClosingServer closing;
    QCOMPARE(RequestFileSize(closing.url(), quickOptions()).outcome, FileSizeReply::Outcome::SocketError);
}

void TestDownloadCore::downloadsByteForByte_data()
{
    QTest::addColumn<int>("workers");
    QTest::addColumn<QString>("name");
    const QString plain = QStringLiteral("qorvex.rar");
    QTest::newRow("1") << 1 << plain;
    QTest::newRow("5") << 5 << plain;
    QTest::newRow("10") << 10 << plain;
    // The longest names a file can have (255 bytes on Linux, 255 characters on Windows) and a little less.
    QTest::newRow("10, 251 characters") << 10 << QString(247, QLatin1Char('q')) + QStringLiteral(".rar");
    QTest::newRow("10, 255 characters") << 10 << QString(251, QLatin1Char('q')) + QStringLiteral(".rar");
    QTest::newRow("3, 252 bytes of Chinese") << 3 << QString(82, QChar(0x65B0)) + QStringLiteral("ab.rar");
}

void TestDownloadCore::downloadsByteForByte()
{
    QFETCH(int, workers);
    QFETCH(QString, name);
    const qint64 size = 1024 * 1024 + 7;
    m_world.site().setSwitch(QStringLiteral("update.size"), QString::number(size));
    const QString target = m_dir->filePath(name);
    DownloadJob job;
    QSignalSpy ended(&job, &DownloadJob::segmentEnded);
    QSignalSpy progress(&job, &DownloadJob::progressChanged);
    const Outcome outcome = run(job, archiveUrl(), target, workers, size);
    QCOMPARE(outcome.successes, 1);
    QCOMPARE(outcome.failures, 0);
    QCOMPARE(outcome.fallBacks, 0); // every request carried its range, the first one included
    QCOMPARE(archiveGets(), workers);
    QCOMPARE(job.connectionCount(), workers);
    QCOMPARE(job.receivedBytes(), size);
    QVERIFY(readAll(target) == UpdateArchive::bytes(0, size));
    QCOMPARE(filesIn(m_dir->path()), QStringList{name});
    // The parts are named after the target and numbered; a name too long for a number after it is cut short.
    QStringList numbers;
    for (const auto& arguments : ended) {
        const QString partName = arguments[0].toString();
        QString stem = partName;
        while (stem.back().isDigit())
            stem.chop(1);
        QVERIFY2(name.startsWith(stem) && stem.size() >= qMin(name.size(), 200), qPrintable(partName));
        QVERIFY(partName.toUtf8().size() <= 255);
        numbers << partName.mid(stem.size());
    }
    numbers.sort();
    QCOMPARE(numbers.size(), workers);
    QVERIFY(numbers.contains(QStringLiteral("1")));
    QVERIFY(numbers.contains(QString::number(workers)));
    // Progress is of the whole job: it only grows, never passes the size, and ends at all of it.
    qint64 previous = 0;
    for (const auto& arguments : progress) {
        QCOMPARE(arguments[1].toLongLong(), size);
        QVERIFY(arguments[0].toLongLong() >= previous);
        previous = arguments[0].toLongLong();
    }
    QCOMPARE(previous, size);
}

// One reply's steps, as libcurl calls them: "head <status>[ <Content-Range>]" or "body <bytes>".
void TestDownloadCore::segmentReplySteps_data()
{
    QTest::addColumn<bool>("wholeFile"); // one connection that may take the file in a plain 200
    QTest::addColumn<qint64>("held");    // bytes the part file holds from an earlier attempt
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("answers"); // y: the step was taken, n: refused
    QTest::addColumn<qint64>("partBytes");
    QTest::addColumn<int>("result");
    const int complete = int(SegmentReply::Result::Complete), fatal = int(SegmentReply::Result::Fatal);
    const QString range = QStringLiteral("head 206 bytes 0-99/100");
    QTest::newRow("body before any header block")
        << false << qint64(0) << QStringList{"body 10"} << "n" << qint64(0) << fatal;
    QTest::newRow("the range to its last byte")
        << false << qint64(0) << QStringList{range, "body 60", "body 40"} << "yyy" << qint64(100) << complete;
    QTest::newRow("one byte past the range")
        << false << qint64(0) << QStringList{range, "body 100", "body 1"} << "yyn" << qint64(100) << fatal;
    QTest::newRow("a second header block")
        << false << qint64(0) << QStringList{range, "body 50", range} << "yyn" << qint64(50) << fatal;
    QTest::newRow("a plain 200 where a range was asked")
        << false << qint64(0) << QStringList{"head 200"} << "n" << qint64(0) << int(SegmentReply::Result::RangeIgnored);
    QTest::newRow("the whole file again")
        << true << qint64(30) << QStringList{"head 200", "body 70"} << "yy" << qint64(70) << complete;
}

void TestDownloadCore::segmentReplySteps()
{
    QFETCH(bool, wholeFile);
    QFETCH(qint64, held);
    QFETCH(QStringList, steps);
    QFETCH(QString, answers);
    QFETCH(qint64, partBytes);
    QFETCH(int, result);
    SilentSegmentHost host;
    const SegmentRange segment{1, 0, wholeFile ? -1 : 99};
    DownloadRound round(archiveUrl(), m_dir->filePath(QStringLiteral("a.rar")), wholeFile ? -1 : 100, {segment},
                        wholeFile, quickOptions(), false, host);
    QFile part(round.partPath(1));
    QVERIFY(part.open(QIODevice::WriteOnly));
    QCOMPARE(part.write(UpdateArchive::bytes(0, held)), held);
    round.received = held;

    SegmentReply reply(round, segment, part, held);
    QString taken;
    for (const QString& step : steps) {
        const QStringList words = step.split(QLatin1Char(' '));
        bool ok = false;
        if (words[0] == QLatin1String("head")) {
            HttpHeaders headers;
            if (words.size() > 2)
                headers.append({"content-range", step.section(QLatin1Char(' '), 2).toLatin1()});
            ok = reply.headersArrived(words[1].toLong(), headers);
        } else {
            const QByteArray body = UpdateArchive::bytes(0, words[1].toLongLong());
            ok = reply.bodyArrived(body.constData(), size_t(body.size()));
        }
        taken += QLatin1Char(ok ? 'y' : 'n');
    }
    HttpResponse response;
    response.transferOk = answers.endsWith(QLatin1Char('y'));
    QCOMPARE(taken, answers);
    QVERIFY(part.flush());
    QCOMPARE(part.size(), partBytes);
    QCOMPARE(reply.written(), partBytes);
    QCOMPARE(round.received.load(), partBytes); // a part written over is counted once
    QCOMPARE(int(reply.outcome(response)), result);
}

void TestDownloadCore::faults_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("dropCount");
    QTest::addColumn<bool>("sizeKnown");
    QTest::addColumn<bool>("succeeds");
    QTest::addColumn<bool>("fallsBack");
    QTest::addColumn<int>("gets"); // archive requests, where their number is certain; -1: not checked
    QTest::newRow("ignore-range") << "ignore-range" << -1 << true << true << true << -1;
    QTest::newRow("no-length") << "no-length" << -1 << false << true << false << 1;
    QTest::newRow("drop every reply") << "drop" << -1 << true << false << false << -1;
    QTest::newRow("drop three replies") << "drop" << 3 << true << true << false << -1;
    QTest::newRow("redirect") << "redirect" << -1 << true << false << false << 5;
    QTest::newRow("404") << "404" << -1 << true << false << false << 5;
    QTest::newRow("no-length, drop") << "no-length,drop" << -1 << false << false << false << -1;
    QTest::newRow("ignore-range, drop") << "ignore-range,drop" << -1 << true << false << true << -1;
    QTest::newRow("ignore-range, drop once") << "ignore-range,drop" << 1 << true << true << true << -1;
    // The one connection's whole-file reply is cut and the next one starts the file over.
    QTest::newRow("no-length, drop once") << "no-length,drop" << 1 << false << true << false << 2;
}

void TestDownloadCore::faults()
{
    QFETCH(QString, fault);
    QFETCH(int, dropCount);
    QFETCH(bool, sizeKnown);
    QFETCH(bool, succeeds);
    QFETCH(bool, fallsBack);
    QFETCH(int, gets);
    const qint64 size = 300007;
    m_world.site().setSwitch(QStringLiteral("update.size"), QString::number(size));
    m_world.site().setSwitch(QStringLiteral("update.fault"), fault);
    m_world.site().setSwitch(QStringLiteral("update.drop.count"), QString::number(dropCount));
    const QString target = m_dir->filePath(QStringLiteral("qorvex.rar"));
    putUsersFilesBeside(target);
    QMap<QString, QByteArray> expected = contentsOf(m_dir->path());
    DownloadJob job;
    const Outcome outcome = run(job, archiveUrl(), target, 5, sizeKnown ? size : -1);
    QCOMPARE(outcome.successes + outcome.failures, 1);
    QCOMPARE(outcome.successes, succeeds ? 1 : 0);
    QCOMPARE(outcome.fallBacks, fallsBack ? 1 : 0);
    if (gets >= 0)
        QCOMPARE(archiveGets(), gets);
    // Nothing but the target is written or removed; a failure leaves neither a wrong target nor a part.
    if (succeeds) {
        QCOMPARE(outcome.lastReceived, size); // bytes written over are not counted twice
        expected.insert(QStringLiteral("qorvex.rar"), UpdateArchive::bytes(0, size));
    }
    QVERIFY(contentsOf(m_dir->path()) == expected);
}

void TestDownloadCore::repliesThatDoNotMatchTheRangeFail_data()
{
    QTest::addColumn<QString>("lie");
    QTest::newRow("range moved by one") << "moved";
    QTest::newRow("another total") << "total";
    QTest::newRow("longer body than the range") << "longer";
    QTest::newRow("longer body, no Content-Length") << "longer, unframed";
    QTest::newRow("one byte more, no Content-Length") << "one more, unframed";
    QTest::newRow("range without Content-Range") << "bare";
}

void TestDownloadCore::repliesThatDoNotMatchTheRangeFail()
{
    QFETCH(QString, lie);
    const qint64 size = 1000;
    LocalHttpServer own;
    own.server.Get("/a.rar", [&](const httplib::Request& request, httplib::Response& response) {
        const auto [first, last] =
            request.ranges.empty() ? std::pair<ssize_t, ssize_t>{0, size - 1} : request.ranges.front();
        const_cast<httplib::Request&>(request).ranges.clear();
        qint64 from = first, to = last, total = size, length = to - from + 1;
        if (lie == QLatin1String("moved") && from > 0)
            --from, --to;
        if (lie == QLatin1String("total"))
            total = size + 1;
        if (lie.startsWith(QLatin1String("longer")))
            length += 3;
        if (lie.startsWith(QLatin1String("one more")))
            length += 1;
        response.status = 206;
        if (lie != QLatin1String("bare"))
            response.set_header("Content-Range",
                                QStringLiteral("bytes %1-%2/%3").arg(from).arg(to).arg(total).toStdString());
        const std::string body = UpdateArchive::bytes(from, length).toStdString();
        if (!lie.endsWith(QLatin1String("unframed"))) {
            response.set_content(body, "application/octet-stream");
            return;
        }
        // Chunked: the body's length shows only as it arrives.
        response.set_chunked_content_provider("application/octet-stream", [body](size_t, httplib::DataSink& sink) {
            sink.write(body.data(), body.size());
            sink.done();
            return true;
        });
    });
    // Every request, also one the server refuses before it reaches the handler above.
    std::mutex mutex;
    QStringList asked;
    own.server.set_logger([&](const httplib::Request& request, const httplib::Response&) {
        std::lock_guard lock(mutex);
        asked << QString::fromStdString(request.get_header_value("Range"));
    });
    own.start();
    const QString target = m_dir->filePath(QStringLiteral("a.rar"));
    DownloadJob job;
    const Outcome outcome = run(job, own.url("/a.rar"), target, 4, size);
    QCOMPARE(outcome.successes, 0);
    QCOMPARE(outcome.failures, 1);
    QCOMPARE(filesIn(m_dir->path()), QStringList{});
    // A reply that does not fit ends its segment at once: no range is asked again, or past its end.
    own.stop();
    asked.sort();
    QCOMPARE(asked, (QStringList{"bytes=0-249", "bytes=250-499", "bytes=500-749", "bytes=750-999"}));
}

namespace {

// The byte range a request head asks for ("Range: bytes=first-last"), parsed by hand: QRegularExpression
// on a thread that is not Qt's leaves a JIT stack behind that crashes as the thread ends under Wine.
// Empty for no range or an open one ("0-").
std::optional<std::pair<qint64, qint64>> requestedRange(const QByteArray& head)
{
    const qsizetype at = head.indexOf("Range: bytes=");
    if (at < 0)
        return std::nullopt;
    const QByteArray range = head.mid(at + 13, head.indexOf('\r', at) - at - 13);
    const qsizetype dash = range.indexOf('-');
    bool firstOk = false, lastOk = false;
    const qint64 first = range.left(dash).toLongLong(&firstOk);
    const qint64 last = range.mid(dash + 1).toLongLong(&lastOk);
    if (dash <= 0 || !firstOk || !lastOk)
        return std::nullopt;
    return std::pair{first, last};
}

} // namespace

void TestDownloadCore::oddlyFramedReplies_data()
{
    QTest::addColumn<QByteArray>("version"); // the status line up to its code
    QTest::addColumn<QByteArray>("afterCode");
    QTest::addColumn<bool>("chunked");      // chunked, with trailer lines after the body
    QTest::addColumn<qint64>("floodBytes"); // above 0: a body this long whatever was asked, without Content-Length
    QTest::addColumn<int>("workers");
    QTest::addColumn<bool>("sizeKnown");
    QTest::addColumn<bool>("succeeds");
    QTest::addColumn<bool>("fallsBack");
    // After a chunked body the header callback sees its trailer lines, one of white space and one
    // that reads like a status line among them: the reply must not start again over a body already written.
    QTest::newRow("chunked trailers, one connection, size unknown")
        << QByteArray("HTTP/1.1 ") << QByteArray(" ") << true << qint64(0) << 1 << false << true << false;
    QTest::newRow("chunked trailers, several ranges")
        << QByteArray("HTTP/1.1 ") << QByteArray(" ") << true << qint64(0) << 4 << true << true << false;
    // Status lines that libcurl reads; the lower-case one as 200, so one connection takes the file.
    QTest::newRow("two blanks before the code")
        << QByteArray("HTTP/1.1  ") << QByteArray(" ") << false << qint64(0) << 3 << true << true << false;
    QTest::newRow("tab after the code") << QByteArray("HTTP/1.1 ") << QByteArray("\t") << false << qint64(0) << 3
                                        << true << true << false;
    QTest::newRow("lower-case version") << QByteArray("http/1.1 ") << QByteArray(" ") << false << qint64(0) << 3 << true
                                        << true << true;
    // 200 000 bytes for a file of 1000: nothing past the range is written, and the segment fails.
    QTest::newRow("flood, two blanks before the code")
        << QByteArray("HTTP/1.1  ") << QByteArray(" ") << false << qint64(200000) << 1 << true << false << false;
    QTest::newRow("flood, lower-case version")
        << QByteArray("http/1.1 ") << QByteArray(" ") << false << qint64(200000) << 1 << true << false << true;
}

void TestDownloadCore::oddlyFramedReplies()
{
    QFETCH(QByteArray, version);
    QFETCH(QByteArray, afterCode);
    QFETCH(bool, chunked);
    QFETCH(qint64, floodBytes);
    QFETCH(int, workers);
    QFETCH(bool, sizeKnown);
    QFETCH(bool, succeeds);
    QFETCH(bool, fallsBack);
    const qint64 size = floodBytes > 0 ? 1000 : 100003;
    std::atomic<int> rangesOutsideTheFile = 0;
    RawServer server([&](RawServer& raw, int socket) {
        const auto range = requestedRange(raw.requestHead());
        if (range && (range->first > range->second || range->second >= size))
            ++rangesOutsideTheFile;
        const qint64 first = range ? range->first : 0;
        const qint64 last = range ? range->second : size - 1;
        QByteArray reply = version + (range ? "206" + afterCode + "Partial Content\r\nContent-Range: bytes " +
                                                  QByteArray::number(first) + '-' + QByteArray::number(last) + '/' +
                                                  QByteArray::number(size) + "\r\n"
                                            : "200" + afterCode + "OK\r\n");
        const QByteArray body = UpdateArchive::bytes(first, floodBytes > 0 ? floodBytes : last - first + 1);
        if (floodBytes > 0) {
            raw.send(socket, reply + "Connection: close\r\n\r\n" + body);
            return;
        }
        if (!chunked) {
            raw.send(socket, reply + "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body);
            return;
        }
        reply += "Transfer-Encoding: chunked\r\nConnection: close\r\n\r\n";
        for (qsizetype at = 0; at < body.size(); at += 40000) {
            const QByteArray chunk = body.mid(at, 40000);
            reply += QByteArray::number(chunk.size(), 16) + "\r\n" + chunk + "\r\n";
        }
        raw.send(socket, reply + "0\r\nX-Checksum: none\r\n \r\n" + version + "200 OK: again\r\n\r\n");
    });
    const QString target = m_dir->filePath(QStringLiteral("a.rar"));
    DownloadJob job;
    const Outcome outcome = run(job, server.baseUrl() + "/a.rar", target, workers, sizeKnown ? size : -1);
    QCOMPARE(outcome.successes, succeeds ? 1 : 0);
    QCOMPARE(outcome.failures, succeeds ? 0 : 1);
    QCOMPARE(outcome.fallBacks, fallsBack ? 1 : 0);
    QCOMPARE(rangesOutsideTheFile.load(), 0);
    if (succeeds) {
        if (!fallsBack) // (a fall-back calls off workers that may not have connected yet)
            QCOMPARE(server.connections(), workers);
        QVERIFY(readAll(target) == UpdateArchive::bytes(0, size));
    } else {
        QCOMPARE(filesIn(m_dir->path()), QStringList{});
    }
}

void TestDownloadCore::staleTargetIsWrittenOver()
{
    const qint64 size = 90001;
    m_world.site().setSwitch(QStringLiteral("update.size"), QString::number(size));
    const QString target = m_dir->filePath(QStringLiteral("qorvex.rar"));
    QFile stale(target); // left by an earlier, larger download
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.write(QByteArray(200000, 'x'));
    stale.close();
    DownloadJob job;
    const Outcome outcome = run(job, archiveUrl(), target, 3, size);
    QCOMPARE(outcome.successes, 1);
    QVERIFY(readAll(target) == UpdateArchive::bytes(0, size));
    QCOMPARE(filesIn(m_dir->path()), QStringList{QStringLiteral("qorvex.rar")});
}

void TestDownloadCore::jobsThatCannotStartLeaveNothing()
{
    const QString target = m_dir->filePath(QStringLiteral("qorvex.rar"));
    DownloadJob nowhere; // no folder for the parts can be made where the target's folder does not exist
    QCOMPARE(nowhere.start(archiveUrl(), m_dir->filePath(QStringLiteral("gone/qorvex.rar")), 3, 1000, quickOptions()),
             DownloadJob::StartResult::NoPartFolder);
    QVERIFY(!nowhere.isRunning());

    SKIP_UNLESS_A_WORKER_CAN_BE_REFUSED();
    // The server ignores ranges, and the system refuses the worker of the one-connection round.
    m_world.site().setSwitch(QStringLiteral("update.fault"), QStringLiteral("ignore-range"));
    putUsersFilesBeside(target);
    const QMap<QString, QByteArray> before = contentsOf(m_dir->path());
    const DownloadOptions options = refusingWorker(1, 2);
    DownloadJob job;
    QSignalSpy workersFailed(&job, &DownloadJob::workersFailed);
    const Outcome outcome = run(job, archiveUrl(), target, 3, 1000, options);
    QCOMPARE(outcome.fallBacks, 1);
    QCOMPARE(outcome.failures, 1);
    QCOMPARE(workersFailed.count(), 1);
    QVERIFY(!job.isRunning());
    QCOMPARE(contentsOf(m_dir->path()), before);
}

void TestDownloadCore::completionRunsOnceWhenWorkersFinishTogether()
{
    for (const int workers : {2, 10}) {
        for (int round = 0; round < 5; ++round) {
            const qint64 size = 1000 + round;
            m_world.site().setSwitch(QStringLiteral("update.size"), QString::number(size));
            // The workers meet right before counting themselves finished, so they count together.
            auto meeting = std::make_shared<Meeting>(workers);
            DownloadOptions options = quickOptions();
            options.beforeFinishCount = [meeting](int) { meeting->arriveAndWait(); };
            const QString target = m_dir->filePath(QStringLiteral("together%1-%2.rar").arg(workers).arg(round));
            DownloadJob job;
            const Outcome outcome = run(job, archiveUrl(), target, workers, size, options);
            QCOMPARE(outcome.merges, 1);
            QCOMPARE(outcome.successes, 1);
            QCOMPARE(outcome.failures, 0);
            QVERIFY(readAll(target) == UpdateArchive::bytes(0, size));
        }
    }
}

void TestDownloadCore::endingTheJobStopsWorkersAndRemovesParts()
{
    m_world.site().setSwitch(QStringLiteral("update.size"), QStringLiteral("2000000"));
    m_world.site().setSwitch(QStringLiteral("update.rate"), QStringLiteral("100000"));
    const QString target = m_dir->filePath(QStringLiteral("qorvex.rar"));
    putUsersFilesBeside(target);
    const QMap<QString, QByteArray> before = contentsOf(m_dir->path());
    for (const bool paused : {false, true}) {
        auto job = std::make_unique<DownloadJob>();
        QCOMPARE(job->start(archiveUrl(), target, 4, 2000000, quickOptions()), DownloadJob::StartResult::Started);
        QVERIFY(QTest::qWaitFor([&] { return job->receivedBytes() > 20000; }, 5000));
        if (paused)
            job->pause();
        QElapsedTimer clock;
        clock.start();
        job.reset();
        QVERIFY(clock.elapsed() < 2000);
        QCOMPARE(contentsOf(m_dir->path()), before);
    }
}

void TestDownloadCore::joiningChecksTheSize()
{
    const QString dir = m_dir->path();
    const auto makeParts = [&] {
        QStringList parts;
        for (int k = 1; k <= 3; ++k) {
            const QString path = dir + QStringLiteral("/t.rar") + QString::number(k);
            QFile part(path);
            part.open(QIODevice::WriteOnly);
            part.write(UpdateArchive::bytes((k - 1) * 1000, 1000));
            parts << path;
        }
        return parts;
    };
    const QString target = dir + QStringLiteral("/t.rar");
    QFile old(target);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("earlier download");
    old.close();

    for (const qint64 wrong : {qint64(2999), qint64(3001)}) {
        QVERIFY(!MergePartFiles(target, makeParts(), wrong));
        QCOMPARE(filesIn(dir), QStringList{QStringLiteral("t.rar")});
        QCOMPARE(readAll(target), QByteArray("earlier download")); // a failed join leaves no joined file
    }
    QStringList parts = makeParts();
    QFile::remove(parts[1]);
    QVERIFY(!MergePartFiles(target, parts, 3000));
    QCOMPARE(filesIn(dir), QStringList{QStringLiteral("t.rar")});

    QVERIFY(MergePartFiles(target, makeParts(), 3000));
    QVERIFY(readAll(target) == UpdateArchive::bytes(0, 3000));
    QCOMPARE(filesIn(dir), QStringList{QStringLiteral("t.rar")});
}

QUVO_TEST_MAIN(TestDownloadCore)
#include "test_downloadcore.moc"
