#pragma once

#include <QByteArray>

#include <optional>

// A Content-Range header value such as "bytes 0-99/1000" or "bytes 0-99/*". Valid only with plain
// decimal numbers, first <= last, and last below the total when one is named.
struct ContentRange {
    bool valid = false;
    qint64 first = -1;
    qint64 last = -1;
    qint64 total = -1; // -1 for "*"
};

ContentRange parseContentRange(const QByteArray& value);

// What a 206 reply that fits the request promises.
struct PartialReply {
    qint64 expected = 0;     // body bytes the reply must bring
    bool moreToCome = false; // the reply covers less than the rest of an open range
};

// Checks a 206 reply to "Range: bytes=position-segmentLast" (segmentLast -1: to the end) of a file of
// fileSize bytes (-1: not known). contentLength is the reply's Content-Length, -1 when it has none.
// A reply whose range is not exactly the one asked for does not fit.
std::optional<PartialReply> checkPartialReply(const QByteArray& contentRange, qint64 contentLength, qint64 position,
                                              qint64 segmentLast, qint64 fileSize);
