#include "update/requestfilesize.h"

QList<QByteArray> updateRequestHeaders()
{
    return {"User-Agent: Mozilla/3.0 (compatible; Indy Library)", "Accept: text/html, */*", "Content-Type: text/html"};
}

HttpRequest fileSizeRequest(const QByteArray& address, const DownloadOptions& options)
{
    HttpRequest request;
    request.url = address;
    request.method = "HEAD";
    request.headers = updateRequestHeaders();
    request.followRedirects = false;
    request.limits = options.sizeRequestLimits;
    return request;
}

FileSizeReply fileSizeReplyFrom(const HttpResponse& response)
{
    FileSizeReply reply;
    reply.status = response.status;
    if (!response.transferOk) {
        reply.outcome =
            response.couldNotConnect ? FileSizeReply::Outcome::ConnectFailed : FileSizeReply::Outcome::SocketError;
        return reply;
    }
    if (response.status < 200 || response.status >= 300) {
        reply.outcome = FileSizeReply::Outcome::HttpError;
        return reply;
    }
    reply.outcome = FileSizeReply::Outcome::Ok;
    reply.size = response.contentLength;
    return reply;
}

FileSizeReply RequestFileSize(const QByteArray& address, const DownloadOptions& options)
{
    return fileSizeReplyFrom(HttpClient::perform(fileSizeRequest(address, options)));
}
