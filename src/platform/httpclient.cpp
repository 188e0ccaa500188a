#include "platform/httpclient.h"

#include "platform/replyheaderreader.h"
#include "platform/systemproxy.h"

#include <curl/curl.h>

#include <algorithm>
#include <mutex>

namespace {

struct TransferState {
    CURL* curl = nullptr;
    const HttpRequest* request = nullptr;
    HttpResponse* response = nullptr;
    ReplyHeaderReader reader;
    bool aborted = false;
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
    state->reader.bodyArrived();
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

// libcurl hands over every line of every header block (redirect hops, 100-continue, a proxy's
// demand for credentials, the final reply) and also the trailer lines after a chunked body. Only
// the block of a reply that is the caller's ends in a call of onHeaders.
size_t onHeader(char* data, size_t size, size_t count, void* user)
{
    auto* state = static_cast<TransferState*>(user);
    const size_t bytes = size * count;
    const QByteArray raw(data, qsizetype(bytes));
    if (state->reader.beginsBlock(raw)) {
        // libcurl has read this line before handing it over; its reading of the status is the one
        // the transfer follows (it takes "http/1.1 206" for a 200, for one).
        long status = 0;
        curl_easy_getinfo(state->curl, CURLINFO_RESPONSE_CODE, &status);
        state->reader.beginBlock(status);
        return bytes;
    }
    if (state->reader.takeLine(raw) && state->request->onHeaders &&
        !state->request->onHeaders(state->reader.status(), state->reader.headers())) {
        state->aborted = true;
        return 0;
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

// A proxy script is fetched like a small page: the connect limit to reach its server, the stall
// limit for the rest; never longer than the request as a whole may take.
SystemProxy::LookupLimits proxyLookupLimits(const HttpRequest& request)
{
    std::chrono::milliseconds limit = request.limits.connect + request.limits.stall;
    if (request.limits.total.count() > 0)
        limit = std::min(limit, request.limits.total);
    return {limit, request.cancel};
}

// A proxy that asks for Windows authentication (NTLM, Negotiate) is answered with the logon of the
// user who runs the program, where libcurl was built with the system's SSPI: an empty user name
// tells it to take the logon's credentials.
void answerWindowsAuthentication(CURL* curl)
{
    static const long methods = [] {
        const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
        if (!(info->features & CURL_VERSION_SSPI))
            return 0L;
        return ((info->features & CURL_VERSION_NTLM) ? long(CURLAUTH_NTLM) : 0L) |
               ((info->features & CURL_VERSION_SPNEGO) ? long(CURLAUTH_NEGOTIATE) : 0L);
    }();
    if (methods == 0)
        return;
    curl_easy_setopt(curl, CURLOPT_PROXYAUTH, methods);
    curl_easy_setopt(curl, CURLOPT_PROXYUSERPWD, ":");
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
    TransferState state{curl, &request, &response, ReplyHeaderReader(request.followRedirects)};
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
    // A proxy's own CONNECT reply is no reply of the request's.
    curl_easy_setopt(curl, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    if (const SystemProxy::Choice proxy = SystemProxy::forUrl(request.url, proxyLookupLimits(request));
        !proxy.proxy.isEmpty()) {
        curl_easy_setopt(curl, CURLOPT_PROXY, proxy.proxy.constData()); // libcurl keeps copies
        curl_easy_setopt(curl, CURLOPT_NOPROXY, proxy.noProxy.constData());
        answerWindowsAuthentication(curl);
    }

    const CURLcode code = curl_easy_perform(curl);
    response.curlCode = int(code);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    response.status = status;
    response.transferOk = code == CURLE_OK;
    response.headers = state.reader.headers();
    response.contentLength = state.reader.contentLength();
    response.contentType = state.reader.contentType();
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
