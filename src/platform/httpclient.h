#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <atomic>
#include <chrono>
#include <functional>

// Header lines of a reply as (name, value), names lower-cased, in the order they came.
using HttpHeaders = QList<QPair<QByteArray, QByteArray>>;

// How long a request may take. Every request has a connect limit and a stall limit, so no caller
// waits forever.
struct HttpTimeLimits {
    std::chrono::milliseconds connect = std::chrono::seconds(10);
    std::chrono::seconds stall{20};     // fewer than 1 byte/s arriving for this long ends the request
    std::chrono::milliseconds total{0}; // the request as a whole; 0: no overall limit
};

// Synchronous HTTP/1.1 over libcurl's easy interface, made for worker threads.
struct HttpRequest {
    QByteArray url;
    QByteArray method = "GET"; // "GET" or "HEAD"
    QList<QByteArray> headers; // complete header lines, e.g. "Range: bytes=0-99"
    bool followRedirects = true;
    HttpTimeLimits limits;
    qint64 maxBodyBytes = 64 * 1024 * 1024; // body kept in memory is cut off (and the request fails) above this
    // When set, body bytes go here instead of into the response; return false to abort.
    std::function<bool(const char* data, size_t size)> bodySink;
    // Called with the bytes received so far (and the expected total, -1 when unknown).
    std::function<void(qint64 received, qint64 total)> progress;
    // Polled during the transfer; when it becomes true the request is aborted.
    const std::atomic<bool>* cancel = nullptr;
    // Called once the header block of the final reply has arrived (informational 1xx replies are
    // skipped), before any body byte, with the status libcurl read. Return false to abort the request.
    std::function<bool(long status, const HttpHeaders& headers)> onHeaders;
};

struct HttpResponse {
    bool transferOk = false;      // the exchange completed at the transport level
    int curlCode = 0;             // CURLcode of the transfer
    bool couldNotConnect = false; // refused, unresolvable, or the connect time limit ran out
    bool timedOut = false;
    bool bodyTooLarge = false;
    QString error;   // libcurl's description when !transferOk
    long status = 0; // HTTP status of the last response
    QByteArray body; // empty when a bodySink was given
    QByteArray contentType;
    qint64 contentLength = -1; // Content-Length of the reply, -1 when absent
    HttpHeaders headers;       // of the last response
    QByteArray header(const QByteArray& lowerName) const;
};

namespace HttpClient {
HttpResponse perform(const HttpRequest& request);
HttpResponse get(const QByteArray& url);
} // namespace HttpClient
