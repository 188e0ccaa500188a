#pragma once

#include "platform/httpclient.h"

#include <QByteArray>
#include <QList>

#include <functional>

class QThread;

// Time limits and retry rules of an update download. The defaults suit a real server; tests and
// the command-line front end shorten them.
struct DownloadOptions {
    // A connection that delivers nothing for the stall limit is dropped; a segment has no overall limit.
    HttpTimeLimits segmentLimits{.connect = std::chrono::seconds(10), .stall = std::chrono::seconds(20)};
    HttpTimeLimits sizeRequestLimits{
        .connect = std::chrono::seconds(10), .stall = std::chrono::seconds(20), .total = std::chrono::seconds(30)};
    int maxStalledAttempts = 5; // attempts in a row that bring no new byte before a segment fails
    int retryDelayMs = 500;     // grows with each attempt in a row that brought nothing
    // Tests only: called by each worker just before it counts itself finished, so that tests can
    // make workers finish at the same moment.
    std::function<void(int segment)> beforeFinishCount;
    // Tests only: called with each worker just before it is started, so that tests can make the
    // start fail (a stack size the system refuses, for one).
    std::function<void(QThread& worker, int segment)> beforeWorkerStart;
};

// The header lines every update request carries (size request and segments alike).
QList<QByteArray> updateRequestHeaders();
