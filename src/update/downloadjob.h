#pragma once

#include "update/downloadoptions.h"
#include "update/downloadround.h"

#include <QElapsedTimer>
#include <QObject>

#include <functional>
#include <memory>
#include <vector>

class TThread1;

// One download of the update archive: N workers fetch the byte ranges into part files, the last
// one to finish joins them. Lives on the window's thread; everything the workers report reaches
// it as queued calls, and its signals are always emitted on its own thread.
class DownloadJob final : public QObject, private SegmentHost {
    Q_OBJECT
public:
    // NoPartFolder: no folder for the part files could be made beside the target.
    enum class StartResult { Started, NothingToFetch, NoPartFolder, WorkersFailed };

    explicit DownloadJob(QObject* parent = nullptr);
    ~DownloadJob() override; // calls the job off and waits for its workers

    // fileSize: the length the server named, -1 when it named none (one connection then).
    StartResult start(const QByteArray& address, const QString& targetPath, int workerCount, qint64 fileSize,
                      const DownloadOptions& options = {});
    void pause();
    void resume();
    // Stops the workers and removes the part files; neither succeeded nor failed follows.
    void cancel();

    bool isPaused() const { return m_paused; }
    bool isRunning() const { return m_running; }
    int connectionCount() const;
    qint64 fileSize() const { return m_fileSize; }
    qint64 receivedBytes() const;

Q_SIGNALS:
    void transferStarted(qint64 total);
    void progressChanged(qint64 received, qint64 total); // all workers together; total -1 when unknown
    void statusLine(const QString& line);
    void segmentEnded(const QString& partFileName);
    void fellBackToOneConnection(); // the server ignored byte ranges
    void mergeStarted();
    void succeeded(qint64 size);
    void failed();
    // No length was named and the transfer brought no byte: nothing is kept, failed() does not follow.
    void nothingArrived();
    // The workers of the one-connection round could not be created or started; failed() follows.
    // (start() reports this itself for the first round.)
    void workersFailed();

private:
    enum class RoundEnd { Succeeded, Failed, Empty, FallBack, CalledOff };

    // SegmentHost: called on the workers' threads.
    void transferBegan(DownloadRound& round) override;
    void bytesArrived(DownloadRound& round) override;
    void statusText(const QString& line) override;
    void segmentDone(DownloadRound& round, int segmentNumber) override;
    void lastWorkerFinished(DownloadRound& round) override;

    StartResult startRound(QList<SegmentRange> segments, bool wholeFile);
    // One worker per range of the round, created but not started; false (and none) on failure.
    static bool CreateWorkers(const std::shared_ptr<DownloadRound>& round,
                              std::vector<std::unique_ptr<TThread1>>& workers);
    // Calls the round off for `count` workers that never started, counting them finished in their
    // stead, so that the round still ends and its part folder goes.
    void callOffUnstarted(const std::shared_ptr<DownloadRound>& round, size_t count);
    void roundEnded(const std::shared_ptr<DownloadRound>& round, RoundEnd end, qint64 size);
    void post(std::function<void()> call);

    QByteArray m_address;
    QString m_targetPath;
    qint64 m_fileSize = -1;
    DownloadOptions m_options;
    bool m_paused = false;
    bool m_running = false;
    std::shared_ptr<DownloadRound> m_round;
    std::vector<std::unique_ptr<TThread1>> m_workers;
    QElapsedTimer m_clock;
    std::atomic<bool> m_progressPending = false;
    std::atomic<qint64> m_lastProgressMs = -1000;
};
