#include "update/downloadjob.h"

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
    if (!startRound(std::move(plan), fileSize < 0))
        return StartResult::WorkersFailed;
    return StartResult::Started;
}

bool DownloadJob::startRound(QList<SegmentRange> segments, bool wholeFile)
{
    auto round = std::make_shared<DownloadRound>(m_address, m_targetPath, m_fileSize, std::move(segments), wholeFile,
                                                 m_options, m_paused, static_cast<SegmentHost&>(*this));
    std::vector<std::unique_ptr<TThread1>> workers;
    if (!CreateWorkers(round, workers))
        return false;
    m_round = round;
    m_running = true;
    for (auto& worker : workers) {
        worker->start();
        m_workers.push_back(std::move(worker));
    }
    return true;
}

bool DownloadJob::CreateWorkers(const std::shared_ptr<DownloadRound>& round,
                                std::vector<std::unique_ptr<TThread1>>& workers)
{
    try {
        for (int i = 0; i < round->segments.size(); ++i)
            workers.push_back(std::make_unique<TThread1>(round, i));
    } catch (const std::exception&) {
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
        removePartFiles(round.partPaths());
        end(RoundEnd::CalledOff, 0);
        return;
    }
    if (round.rangeIgnored && !round.wholeFile) {
        removePartFiles(round.partPaths());
        end(RoundEnd::FallBack, 0);
        return;
    }
    if (round.failedSegments > 0) {
        removePartFiles(round.partPaths());
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
    }
    const bool joined = MergePartFiles(round.targetPath, round.partPaths(), expected);
    end(joined ? RoundEnd::Succeeded : RoundEnd::Failed, expected);
}

void DownloadJob::roundEnded(const std::shared_ptr<DownloadRound>& round, RoundEnd end, qint64 size)
{
    if (round != m_round || end == RoundEnd::CalledOff)
        return;
    switch (end) {
    case RoundEnd::FallBack:
        Q_EMIT fellBackToOneConnection();
        if (!startRound(planSegments(m_fileSize, 1), true)) {
            m_running = false;
            Q_EMIT failed();
        }
        return;
    case RoundEnd::Succeeded:
        m_running = false;
        Q_EMIT progressChanged(round->received.load(), m_fileSize);
        Q_EMIT succeeded(size);
        return;
    case RoundEnd::Failed:
    case RoundEnd::CalledOff:
        m_running = false;
        Q_EMIT failed();
        return;
    }
}
