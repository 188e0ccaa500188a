#pragma once

#include <QByteArray>

class SampleSite;
namespace httplib {
struct Response;
}

// Bodies that a misbehaving server sends, shared by the route groups. Large and endless bodies are
// generated while they are sent, so the site itself never holds them.

// Text without any of the page's markers: lower-case words and blanks.
QByteArray fillerText(qsizetype size);
// Reproducible bytes of every value.
QByteArray randomBytes(qsizetype size, quint32 seed);

// `head` followed by `pattern` repeated (filler text when empty) up to `total` bytes, with a
// Content-Length of `total`.
void sendPadded(httplib::Response& response, const QByteArray& head, qint64 total, const char* contentType,
                const QByteArray& pattern = {});
// `head`, then `chunkBytes` of `pattern` repeated (filler text when empty) every `intervalMs` for as
// long as the client reads (chunked, no length). It ends when the client goes away or the site stops.
void sendEndless(httplib::Response& response, const QByteArray& head, int chunkBytes, int intervalMs,
                 const char* contentType, const QByteArray& pattern = {});

// Parses "<a>:<b>…" switch values: the numbers after the first colon, 0 where missing or not numeric.
QList<qint64> switchNumbers(const QString& value);
