#include "platform/httpcall.h"

#include "platform/logging.h"

#include <QThreadPool>

#include <atomic>
#include <mutex>

// What the caller and the pool thread share about one transfer.
struct HttpCall::Job {
    std::mutex mutex;
    HttpCall* owner = nullptr; // cleared, under the mutex, once the call gives the transfer up
    std::atomic<bool> cancel = false;
};

namespace {

QThreadPool& pool(HttpCall::Lane lane)
{
    // Never destroyed: a transfer that was given up may still be winding down when the program
    // ends, and ending must not wait for it.
    static QThreadPool* const parallel = [] {
        auto* threads = new QThreadPool;
        threads->setMaxThreadCount(16);
        return threads;
    }();
    static QThreadPool* const ordered = [] {
        auto* threads = new QThreadPool;
        threads->setMaxThreadCount(1); // one thread takes the queue in order
        return threads;
    }();
    return lane == HttpCall::Lane::Ordered ? *ordered : *parallel;
}

void logOutcome(const HttpRequest& request, const HttpResponse& response, bool givenUp)
{
    const QString address = QString::fromUtf8(request.url);
    if (givenUp)
        qCDebug(lcNet).noquote() << request.method << address << "given up by the caller";
    else if (!response.transferOk)
        qCInfo(lcNet).noquote() << request.method << address << "failed: status" << response.status << "error"
                                << response.error;
    else if (response.status >= 400)
        qCInfo(lcNet).noquote() << request.method << address << "answered with error status" << response.status;
}

} // namespace

HttpCall::HttpCall(HttpRequest request, QObject* parent) : QObject(parent), m_request(std::move(request))
{
}

HttpCall::~HttpCall()
{
    dropJob();
}

void HttpCall::start()
{
    if (m_job)
        return;
    auto job = std::make_shared<Job>();
    job->owner = this;
    m_job = job;
    HttpRequest request = m_request;
    request.cancel = &job->cancel;
    pool(m_lane).start([job, request = std::move(request), step = m_step] {
        HttpResponse response = HttpClient::perform(request);
        QVariant stepResult;
        if (step && !job->cancel)
            stepResult = step(response);
        logOutcome(request, response, job->cancel);
        std::lock_guard lock(job->mutex);
        // While the owner is set it cannot be destroyed (its destructor takes the mutex), and an event
        // posted to it is discarded should it be destroyed before the event is handled.
        if (HttpCall* owner = job->owner)
            QMetaObject::invokeMethod(
                owner,
                [owner, job, response = std::move(response), stepResult] {
                    owner->deliver(job.get(), response, stepResult);
                },
                Qt::QueuedConnection);
    });
}

void HttpCall::cancel()
{
    dropJob();
}

void HttpCall::dropJob()
{
    if (!m_job)
        return;
    m_job->cancel = true;
    {
        std::lock_guard lock(m_job->mutex);
        m_job->owner = nullptr;
    }
    m_job.reset();
}

void HttpCall::deliver(const Job* job, const HttpResponse& response, const QVariant& stepResult)
{
    if (job != m_job.get())
        return; // a transfer given up before, its answer already on the way
    m_job.reset();
    Q_EMIT finished(response, stepResult);
}

void HttpCall::send(HttpRequest request, Lane lane)
{
    request.cancel = nullptr;
    pool(lane).start([request = std::move(request)] { logOutcome(request, HttpClient::perform(request), false); });
}

bool HttpCall::waitForOrderedLane(int timeoutMs)
{
    return pool(Lane::Ordered).waitForDone(timeoutMs);
}
