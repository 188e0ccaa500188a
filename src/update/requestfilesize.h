#pragma once

#include "platform/httpclient.h"
#include "update/downloadoptions.h"

#include <QByteArray>

struct FileSizeReply {
    enum class Outcome {
        Ok,            // the server answered with a success status
        SocketError,   // the connection was made but the exchange broke down
        ConnectFailed, // no connection could be made
        HttpError,     // an error or redirect status
    };
    Outcome outcome = Outcome::SocketError;
    long status = 0;
    qint64 size = -1; // the reply's Content-Length, -1 when it has none
};

// The HEAD request for the archive's length (no redirects followed).
HttpRequest fileSizeRequest(const QByteArray& address, const DownloadOptions& options = {});
// What the answer to that request says.
FileSizeReply fileSizeReplyFrom(const HttpResponse& response);

// Asks the server for the archive's length and waits for the answer (for worker threads and tools).
FileSizeReply RequestFileSize(const QByteArray& address, const DownloadOptions& options = {});
