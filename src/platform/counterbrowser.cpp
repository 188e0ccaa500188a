#include "platform/counterbrowser.h"

#include "app/sites.h"
#include "platform/httpclient.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace {

// One background sender for all counter requests, so they reach the server in order.
class CounterQueue final {
public:
    static CounterQueue& instance()
    {
        // Never destroyed: the sender may still be inside a request when the program ends, and it
        // must not wake up to a destroyed mutex. The process end takes the thread with it.
        static CounterQueue* queue = new CounterQueue;
        return *queue;
    }

    void push(QByteArray url)
    {
        std::lock_guard lock(m_mutex);
        if (!m_thread.joinable())
            m_thread = std::thread([this] { run(); });
        m_pending.push_back(std::move(url));
        m_wake.notify_all();
    }

    bool waitForIdle(int timeoutMs)
    {
        std::unique_lock lock(m_mutex);
        return m_idle.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                               [this] { return m_pending.empty() && !m_busy; });
    }

private:
    void run()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return !m_pending.empty(); });
            QByteArray url = std::move(m_pending.front());
            m_pending.pop_front();
            m_busy = true;
            lock.unlock();
            HttpRequest request;
            request.url = url;
            request.connectTimeoutMs = 5000;
            request.stallTimeoutSec = 10;
            request.totalTimeoutMs = 15000;
            request.maxBodyBytes = 1024 * 1024;
            HttpClient::perform(request); // the answer is of no interest
            lock.lock();
            m_busy = false;
            if (m_pending.empty())
                m_idle.notify_all();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<QByteArray> m_pending;
    bool m_busy = false;
    std::thread m_thread;
};

} // namespace

void CounterBrowser::navigate(const QByteArray& path)
{
    m_lastAddress = Sites::productServerUrl(path);
    ++m_requestCount;
    CounterQueue::instance().push(m_lastAddress);
}

bool CounterBrowser::waitForIdle(int timeoutMs)
{
    return CounterQueue::instance().waitForIdle(timeoutMs);
}
