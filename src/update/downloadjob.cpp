#include "update/downloadjob.h"

#include "platform/logging.h"
#include "update/mergepartfiles.h"
#include "update/tthread1.h"

#include <QFileInfo>

namespace {
constexpr qint64 progressIntervalMs = 40; // the window need not hear of every buffer
}

DownloadJob::DownloadJob(QObject* parent) : QObject(parent)
{
    m_clock.start();
}

DownloadJob::~DownloadJob()
{
    cancel();
    for (const auto& worker : m_workers)
        worker->wait();
}

DownloadJob::StartResult DownloadJob::start(const QByteArray& address, const QString& targetPath, int workerCount,
                                            qint64 fileSize, const DownloadOptions& options)
{
    if (m_running)
        return StartResult::WorkersFailed;
    QList<SegmentRange> plan = planSegments(fileSize, workerCount);
    if (plan.isEmpty())
        return StartResult::NothingToFetch;
    m_address = address;
    m_targetPath = targetPath;
    m_fileSize = fileSize;
    m_options = options;
    // Without a length the server cannot be asked for ranges of it: one connection takes it all.
    return startRound(std::move(plan), fileSize < 0);
}

DownloadJob::StartResult DownloadJob::startRound(QList<SegmentRange> segments, bool wholeFile)
{
    auto round = std::make_shared<DownloadRound>(m_address, m_targetPath, m_fileSize, std::move(segments), wholeFile,
                                                 m_options, m_paused, static_cast<SegmentHost&>(*this));
    if (!round->hasPartFolder())
        return StartResult::NoPartFolder;
    std::vector<std::unique_ptr<TThread1>> workers;
    if (!CreateWorkers(round, workers)) {
        qCInfo(lcUpdate) << "cannot create the download workers";
        round->removePartFolder();
        return StartResult::WorkersFailed;
    }
    m_round = round;
    m_running = true;
    for (size_t i = 0; i < workers.size(); ++i) {
        TThread1& worker = *workers[i];
        const int segment = round->segments[qsizetype(i)].number;
        if (m_options.beforeWorkerStart)
            m_options.beforeWorkerStart(worker, segment);
        worker.start();
        // start() only warns when the system refuses the thread: one that neither runs nor has
        // already ended never started.
        if (!worker.isRunning() && !worker.isFinished()) {
            qCInfo(lcUpdate) << "download worker" << segment << "could not be started";
            m_running = false;
            callOffUnstarted(round, workers.size() - i);
            return StartResult::WorkersFailed;
        }
        m_workers.push_back(std::move(workers[i]));
    }
    return StartResult::Started;
}

void DownloadJob::callOffUnstarted(const std::shared_ptr<DownloadRound>& round, size_t count)
{
    round->calledOff = true;
    round->gate.cancel();
    for (size_t i = 0; i < count; ++i) {
        if (round->countFinished())
            lastWorkerFinished(*round); // every started worker has ended already
    }
}

bool DownloadJob::CreateWorkers(const std::shared_ptr<DownloadRound>& round,
                                std::vector<std::unique_ptr<TThread1>>& workers)
{
    try {
        for (int i = 0; i < round->segments.size(); ++i)
            workers.push_back(std::make_unique<TThread1>(round, i));
    } catch (const std::exception& failure) {
        qCInfo(lcUpdate) << "download workers not created:" << failure.what();
        workers.clear();
        return false;
    }
    return true;
}

void DownloadJob::pause()
{
    m_paused = true;
    if (m_round)
        m_round->gate.pause();
}

void DownloadJob::resume()
{
    m_paused = false;
    if (m_round)
        m_round->gate.resume();
}

void DownloadJob::cancel()
{
    if (m_round) {
        m_round->calledOff = true;
        m_round->gate.cancel();
    }
    m_running = false;
}

int DownloadJob::connectionCount() const
{
    return m_round ? int(m_round->segments.size()) : 0;
}

qint64 DownloadJob::receivedBytes() const
{
    return m_round ? m_round->received.load() : 0;
}

void DownloadJob::post(std::function<void()> call)
{
    QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
}

void DownloadJob::transferBegan(DownloadRound& round)
{
    post([this, round = round.shared_from_this()] {
        if (round == m_round)
            Q_EMIT transferStarted(m_fileSize);
    });
}

void DownloadJob::bytesArrived(DownloadRound& round)
{
    const qint64 now = m_clock.elapsed();
    if (now - m_lastProgressMs.load(std::memory_order_relaxed) < progressIntervalMs)
        return;
    if (m_progressPending.exchange(true))
        return;
    m_lastProgressMs = now;
    post([this, round = round.shared_from_this()] {
        m_progressPending = false;
        if (round == m_round)
            Q_EMIT progressChanged(round->received.load(), m_fileSize);
    });
}

void DownloadJob::statusText(const QString& line)
{
    post([this, line] { Q_EMIT statusLine(line); });
}

void DownloadJob::segmentDone(DownloadRound& round, int segmentNumber)
{
    post([this, name = QFileInfo(round.partPath(segmentNumber)).fileName()] { Q_EMIT segmentEnded(name); });
}

void DownloadJob::lastWorkerFinished(DownloadRound& round)
{
    std::shared_ptr<DownloadRound> self = round.shared_from_this();
    const auto end = [this, self](RoundEnd how, qint64 size) {
        post([this, self, how, size] { roundEnded(self, how, size); });
    };
    if (round.calledOff) {
        round.removePartFolder();
        end(RoundEnd::CalledOff, 0);
        return;
    }
    if (round.rangeIgnored && !round.wholeFile) {
        qCInfo(lcUpdate) << "the server ignores byte ranges: one connection fetches the whole file";
        round.removePartFolder();
        end(RoundEnd::FallBack, 0);
        return;
    }
    if (round.failedSegments > 0) {
        qCInfo(lcUpdate) << round.failedSegments.load() << "of" << round.segments.size() << "segments failed";
        round.removePartFolder();
        end(RoundEnd::Failed, 0);
        return;
    }
    post([this, self] {
        if (self == m_round)
            Q_EMIT mergeStarted();
    });
    qint64 expected = round.fileSize;
    if (expected < 0) {
        // No length was named: the parts hold what complete transfers brought.
        expected = 0;
        for (qint64 bytes : round.written)
            expected += bytes;
        if (expected == 0) {
            // An empty reply is no update, whatever its framing said.
            qCInfo(lcUpdate) << "the download brought no byte and named no length";
            round.removePartFolder();
            end(RoundEnd::Empty, 0);
            return;
        }
    }
    const bool joined = MergePartFiles(round.targetPath, round.partPaths(), expected);
    round.removePartFolder();
    end(joined ? RoundEnd::Succeeded : RoundEnd::Failed, expected);
}

void DownloadJob::roundEnded(const std::shared_ptr<DownloadRound>& round, RoundEnd end, qint64 size)
{
    if (round != m_round || end == RoundEnd::CalledOff)
        return;
    switch (end) {
    case RoundEnd::FallBack:
        Q_EMIT fellBackToOneConnection();
        if (const StartResult result = startRound(planSegments(m_fileSize, 1), true); result != StartResult::Started) {
            m_running = false;
            if (result == StartResult::WorkersFailed)
                Q_EMIT workersFailed();
            Q_EMIT failed();
        }
        return;
    case RoundEnd::Succeeded:
        m_running = false;
        Q_EMIT progressChanged(round->received.load(), m_fileSize);
        Q_EMIT succeeded(size);
        return;
    case RoundEnd::Empty:
        m_running = false;
        Q_EMIT nothingArrived();
        return;
    case RoundEnd::Failed:
    case RoundEnd::CalledOff:
        m_running = false;
        Q_EMIT failed();
        return;
    }
}
