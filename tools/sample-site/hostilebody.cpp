#include "hostilebody.h"

#include <httplib.h>

#include <QList>
#include <QString>
#include <QStringList>

#include <chrono>
#include <memory>
#include <random>
#include <thread>

namespace {

QByteArray repeated(const QByteArray& pattern, qsizetype size)
{
    QByteArray text;
    text.reserve(size);
    while (text.size() < size)
        text.append(pattern.left(size - text.size()));
    return text;
}

QByteArray fill(const QByteArray& pattern, qsizetype size)
{
    return pattern.isEmpty() ? fillerText(size) : repeated(pattern, size);
}

} // namespace

QByteArray fillerText(qsizetype size)
{
    return repeated("quick brown fox jumps over the lazy dog while rain falls on old roofs ", size);
}

QByteArray randomBytes(qsizetype size, quint32 seed)
{
    std::mt19937 engine(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char(engine() & 0xFF);
    return bytes;
}

void sendPadded(httplib::Response& response, const QByteArray& head, qint64 total, const char* contentType,
                const QByteArray& pattern)
{
    const auto filler = std::make_shared<QByteArray>(fill(pattern, 64 * 1024));
    response.set_content_provider(size_t(qMax(total, qint64(head.size()))), contentType,
                                  [head, filler](size_t offset, size_t length, httplib::DataSink& sink) {
                                      if (offset < size_t(head.size())) {
                                          const size_t n = std::min(length, size_t(head.size()) - offset);
                                          return sink.write(head.constData() + offset, n);
                                      }
                                      return sink.write(filler->constData(), std::min(length, size_t(filler->size())));
                                  });
}

void sendEndless(httplib::Response& response, const QByteArray& head, int chunkBytes, int intervalMs,
                 const char* contentType, const QByteArray& pattern)
{
    const auto filler = std::make_shared<QByteArray>(fill(pattern, qMax(chunkBytes, 1)));
    response.set_chunked_content_provider(
        contentType, [head, filler, intervalMs](size_t offset, httplib::DataSink& sink) {
            if (offset == 0 && !head.isEmpty())
                return sink.write(head.constData(), size_t(head.size()));
            if (intervalMs > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(intervalMs));
            return sink.is_writable() && sink.write(filler->constData(), size_t(filler->size()));
        });
}

QList<qint64> switchNumbers(const QString& value)
{
    QList<qint64> numbers;
    const QStringList parts = value.split(QLatin1Char(':'));
    for (qsizetype i = 1; i < parts.size(); ++i)
        numbers.append(parts[i].toLongLong());
    return numbers;
}
