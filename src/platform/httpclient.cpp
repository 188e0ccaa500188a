#include "platform/httpclient.h"

#include "platform/systemproxy.h"

#include <curl/curl.h>

#include <mutex>

namespace {

struct TransferState {
    CURL* curl = nullptr;
    const HttpRequest* request = nullptr;
    HttpResponse* response = nullptr;
    bool aborted = false;
    long blockStatus = 0;       // status of the header block being read
    bool inHeaderBlock = false; // between a status line and the blank line that ends its block
};

void ensureGlobalInit()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

size_t onBody(char* data, size_t size, size_t count, void* user)
{
    auto* state = static_cast<TransferState*>(user);
    const size_t bytes = size * count;
    if (state->request->bodySink) {
        if (!state->request->bodySink(data, bytes)) {
            state->aborted = true;
            return 0;
        }
        return bytes;
    }
    if (state->response->body.size() + qint64(bytes) > state->request->maxBodyBytes) {
        state->response->bodyTooLarge = true;
        return 0;
    }
    state->response->body.append(data, qsizetype(bytes));
    return bytes;
}

// Whether a header line begins a header block. libcurl decides it by this prefix, in any case.
bool isStatusLine(const QByteArray& raw)
{
    return raw.size() >= 5 && raw.left(5).toUpper() == "HTTP/";
}

// libcurl hands over every line of every header block (redirect hops, 100-continue, the final
// reply) and also the trailer lines after a chunked body. Only a block that begins with a status
// line ends in a call of onHeaders: a trailer, or a line of white space after the body, must not
// start the reply again once its body was written.
size_t onHeader(char* data, size_t size, size_t count, void* user)
{
    auto* state = static_cast<TransferState*>(user);
    const size_t bytes = size * count;
    const QByteArray raw(data, qsizetype(bytes));
    const QByteArray line = raw.trimmed();
    if (isStatusLine(raw)) {
        // A new response begins (redirect hop or 100-continue): forget the previous headers.
        state->response->headers.clear();
        state->response->contentLength = -1;
        state->response->contentType.clear();
        // libcurl has read this line before handing it over; its reading of the status is the one
        // the transfer follows (it takes "http/1.1 206" for a 200, for one).
        long status = 0;
        curl_easy_getinfo(state->curl, CURLINFO_RESPONSE_CODE, &status);
        state->blockStatus = status;
        state->inHeaderBlock = true;
        return bytes;
    }
    if (!state->inHeaderBlock)
        return bytes; // a trailer
    if (raw == "\r\n" || raw == "\n") {
        // End of a header block. Only a final reply is handed to the caller.
        state->inHeaderBlock = false;
        const bool finalReply = state->blockStatus >= 200;
        if (finalReply && state->request->onHeaders &&
            !state->request->onHeaders(state->blockStatus, state->response->headers)) {
            state->aborted = true;
            return 0;
        }
        return bytes;
    }
    if (raw.startsWith(' ') || raw.startsWith('\t')) {
        // An obsolete folded line continues the previous header's value.
        if (!line.isEmpty() && !state->response->headers.isEmpty())
            state->response->headers.last().second += ' ' + line;
        return bytes;
    }
    const qsizetype colon = line.indexOf(':');
    if (colon > 0) {
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        state->response->headers.append({name, value});
        if (name == "content-type")
            state->response->contentType = value;
        if (name == "content-length") {
            bool ok = false;
            const qint64 length = value.toLongLong(&ok);
            state->response->contentLength = ok && length >= 0 ? length : -1;
        }
    }
    return bytes;
}

int onProgress(void* user, curl_off_t dltotal, curl_off_t dlnow, curl_off_t, curl_off_t)
{
    auto* state = static_cast<TransferState*>(user);
    if (state->request->cancel && state->request->cancel->load()) {
        state->aborted = true;
        return 1;
    }
    if (state->request->progress)
        state->request->progress(qint64(dlnow), dltotal > 0 ? qint64(dltotal) : -1);
    return 0;
}

} // namespace

QByteArray HttpResponse::header(const QByteArray& lowerName) const
{
    for (const auto& [name, value] : headers)
        if (name == lowerName)
            return value;
    return {};
}

namespace HttpClient {

HttpResponse perform(const HttpRequest& request)
{
    ensureGlobalInit();
    HttpResponse response;
    CURL* curl = curl_easy_init();
    TransferState state{curl, &request, &response};
    if (!curl) {
        response.error = QStringLiteral("curl_easy_init failed");
        return response;
    }
    curl_slist* headerList = nullptr;
    for (const QByteArray& line : request.headers)
        headerList = curl_slist_append(headerList, line.constData());

    curl_easy_setopt(curl, CURLOPT_URL, request.url.constData());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    if (request.method == "HEAD")
        curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, request.followRedirects ? 1L : 0L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, long(request.limits.connect.count()));
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, long(request.limits.stall.count()));
    if (request.limits.total.count() > 0)
        curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, long(request.limits.total.count()));
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headerList);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &state);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, onHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &state);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &state);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    if (const QByteArray proxy = SystemProxy::forUrl(request.url); !proxy.isEmpty())
        curl_easy_setopt(curl, CURLOPT_PROXY, proxy.constData()); // libcurl keeps a copy

    const CURLcode code = curl_easy_perform(curl);
    response.curlCode = int(code);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    response.status = status;
    response.transferOk = code == CURLE_OK;
    curl_off_t connectTime = 0;
    curl_easy_getinfo(curl, CURLINFO_CONNECT_TIME_T, &connectTime);
    response.timedOut = code == CURLE_OPERATION_TIMEDOUT;
    response.couldNotConnect = code == CURLE_COULDNT_CONNECT || code == CURLE_COULDNT_RESOLVE_HOST ||
                               (response.timedOut && connectTime == 0 && status == 0);
    if (!response.transferOk)
        response.error = QString::fromUtf8(curl_easy_strerror(code));

    curl_slist_free_all(headerList);
    curl_easy_cleanup(curl);
    return response;
}

HttpResponse get(const QByteArray& url)
{
    HttpRequest request;
    request.url = url;
    return perform(request);
}

} // namespace HttpClient
