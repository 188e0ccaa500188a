#pragma once

#include "platform/httpclient.h"

#include <QObject>
#include <QVariant>

#include <functional>
#include <memory>

// One HTTP request carried out off the calling thread, for every single request of the program
// (the download workers keep their own clients). The request, with its time limits, runs through
// HttpClient::perform on a pool thread; `finished` is emitted once, on the thread the call lives
// on. After cancel() or destruction nothing is reported, and the transfer is given up within about
// a second. The request's own callbacks (bodySink, progress, onHeaders) run on the pool thread.
class HttpCall final : public QObject {
    Q_OBJECT
public:
    enum class Lane {
        Parallel, // started at once beside any other request
        Ordered,  // one after the other, in the order they were started (counter pages)
    };
    // Runs on the pool thread after the transfer (also a failed one), before `finished`: work on
    // the reply that must not hold up the user-interface thread. Its result is handed on with it.
    using WorkerStep = std::function<QVariant(HttpResponse& response)>;

    explicit HttpCall(HttpRequest request, QObject* parent = nullptr);
    ~HttpCall() override; // cancels

    void setLane(Lane lane) { m_lane = lane; }
    void setWorkerStep(WorkerStep step) { m_step = std::move(step); }
    const HttpRequest& request() const { return m_request; }

    void start(); // ignored while the call is running
    void cancel();
    bool isRunning() const { return m_job != nullptr; }

    // Sends a request whose reply is of no interest; failures are only logged.
    static void send(HttpRequest request, Lane lane);
    // Waits until every request of the ordered lane has ended; for tests and shutdown.
    static bool waitForOrderedLane(int timeoutMs);

Q_SIGNALS:
    // response.transferOk tells whether the exchange completed; an error status is not a failure here.
    void finished(const HttpResponse& response, const QVariant& stepResult);

private:
    struct Job;
    void deliver(const Job* job, const HttpResponse& response, const QVariant& stepResult);
    void dropJob();

    HttpRequest m_request;
    Lane m_lane = Lane::Parallel;
    WorkerStep m_step;
    std::shared_ptr<Job> m_job; // the running transfer, shared with the pool thread
};
