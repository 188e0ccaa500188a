#include "platform/counterbrowser.h"

#include "platform/httpcall.h"
#include "platform/serverroots.h"

void CounterBrowser::navigate(const QByteArray& path)
{
    m_lastAddress = ServerRoots::productServer() + path;
    ++m_requestCount;
    HttpRequest request;
    request.url = m_lastAddress;
    request.limits = {
        .connect = std::chrono::seconds(5), .stall = std::chrono::seconds(10), .total = std::chrono::seconds(15)};
    request.maxBodyBytes = 1024 * 1024;
    // The answer is of no interest; the ordered lane keeps the requests of all counter browsers
    // in the order they were made.
    HttpCall::send(std::move(request), HttpCall::Lane::Ordered);
}

bool CounterBrowser::waitForIdle(int timeoutMs)
{
    return HttpCall::waitForOrderedLane(timeoutMs);
}
