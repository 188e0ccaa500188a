#include "samplesite.h"
#include "updatearchive.h"

#include <httplib.h>

#include <QStringList>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

// The update archive /update/qorvex.rar, answered for HEAD and for (ranged) GET.
//   update.size   length in bytes (default 3 MB)
//   update.rate   bytes per second per connection (default: as fast as possible)
//   update.fault  any of, comma-separated:
//                   ignore-range  every reply is a plain 200 with the whole archive
//                   drop          a GET reply is cut off after half of its body, connection closed
//                   no-length     no Content-Length: HEAD names none, GET sends the whole archive chunked
//                   redirect      302 to another address
//                   404           not found
//   update.drop.count  how many GET replies "drop" cuts (default: all)

namespace {

constexpr qint64 chunkSize = 64 * 1024;

struct ByteRange {
    bool valid = false;
    qint64 first = 0;
    qint64 last = -1;
};

// One range of "bytes=a-b", "bytes=a-" or "bytes=-n" against a file of `size` bytes.
ByteRange parseRange(const std::string& header, qint64 size)
{
    ByteRange range;
    const QByteArray text = QByteArray::fromStdString(header).trimmed();
    if (!text.startsWith("bytes=") || text.contains(','))
        return range;
    const QByteArray rangeText = text.mid(6);
    const qsizetype dash = rangeText.indexOf('-');
    if (dash < 0)
        return range;
    bool okFirst = true, okLast = true;
    const QByteArray firstText = rangeText.left(dash), lastText = rangeText.mid(dash + 1);
    if (firstText.isEmpty()) {
        const qint64 suffix = lastText.toLongLong(&okLast);
        if (!okLast || suffix <= 0)
            return range;
        range.first = std::max<qint64>(0, size - suffix);
        range.last = size - 1;
    } else {
        range.first = firstText.toLongLong(&okFirst);
        range.last = lastText.isEmpty() ? size - 1 : std::min(lastText.toLongLong(&okLast), size - 1);
    }
    range.valid = okFirst && okLast && range.first >= 0 && range.first < size && range.last >= range.first;
    return range;
}

// Sends [first, first + limit) of the archive at no more than `rate` bytes per second.
struct Pacer {
    qint64 first = 0;
    qint64 limit = 0; // bytes to send before the connection is cut (the whole body when not cut)
    qint64 rate = 0;
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();

    // Writes the next piece at `offset` into the body; false ends the reply (and with it the connection).
    bool send(qint64 offset, qint64 maxLength, httplib::DataSink& sink) const
    {
        if (offset >= limit)
            return false;
        qint64 length = std::min({maxLength, chunkSize, limit - offset});
        if (rate > 0) {
            length = std::min(length, std::max<qint64>(1024, rate / 20));
            const auto due = start + std::chrono::microseconds(offset * 1000000 / rate);
            std::this_thread::sleep_until(due);
        }
        thread_local std::vector<char> buffer(chunkSize);
        UpdateArchive::fill(first + offset, buffer.data(), length);
        return sink.write(buffer.data(), size_t(length));
    }
};

} // namespace

void registerUpdateRoutes(SampleSite& site)
{
    site.server().Get("/update/qorvex.rar", [&site](const httplib::Request& request, httplib::Response& response) {
        const QStringList faults = site.switchValue(QStringLiteral("update.fault")).split(QLatin1Char(','));
        const auto fault = [&faults](const char* name) { return faults.contains(QLatin1String(name)); };
        if (fault("404")) {
            response.status = 404;
            response.set_content("<html><body>404 Not Found</body></html>", "text/html");
            return;
        }
        if (fault("redirect")) {
            response.set_redirect("/update/moved/qorvex.rar");
            return;
        }
        bool ok = false;
        qint64 size = site.switchValue(QStringLiteral("update.size")).toLongLong(&ok);
        if (!ok || size < 0)
            size = UpdateArchive::defaultSize;
        const qint64 rate = std::max<qint64>(0, site.switchValue(QStringLiteral("update.rate")).toLongLong());
        const bool noLength = fault("no-length");

        // Ranges are cut here, not by the server library, so that the faults can be played.
        auto& ranges = const_cast<httplib::Request&>(request).ranges;
        ranges.clear();
        qint64 first = 0, length = size;
        if (!fault("ignore-range") && !noLength && request.has_header("Range")) {
            const ByteRange range = parseRange(request.get_header_value("Range"), size);
            if (!range.valid) {
                response.status = 416;
                response.set_header("Content-Range", "bytes */" + std::to_string(size));
                response.set_content("", "text/html");
                return;
            }
            first = range.first;
            length = range.last - range.first + 1;
            response.status = 206;
            response.set_header("Content-Range", "bytes " + std::to_string(range.first) + "-" +
                                                     std::to_string(range.last) + "/" + std::to_string(size));
        }

        Pacer pacer{first, length, rate};
        if (fault("drop") && request.method == "GET") {
            bool limited = false;
            const int allowed = site.switchValue(QStringLiteral("update.drop.count")).toInt(&limited);
            if (!limited || allowed < 0 || site.nextCount(QStringLiteral("update.drop")) < allowed)
                pacer.limit = length / 2;
        }
        if (noLength) {
            response.set_chunked_content_provider("application/octet-stream",
                                                  [pacer, length](size_t offset, httplib::DataSink& sink) {
                                                      if (qint64(offset) >= length) {
                                                          sink.done();
                                                          return true;
                                                      }
                                                      return pacer.send(qint64(offset), length - qint64(offset), sink);
                                                  });
        } else if (length == 0) {
            response.set_content("", "application/octet-stream");
        } else {
            response.set_content_provider(size_t(length), "application/octet-stream",
                                          [pacer](size_t offset, size_t maxLength, httplib::DataSink& sink) {
                                              return pacer.send(qint64(offset), qint64(maxLength), sink);
                                          });
        }
    });
}
