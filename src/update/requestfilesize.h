#pragma once

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

// Asks the server for the archive's length with a HEAD request (no redirects followed).
FileSizeReply RequestFileSize(const QByteArray& address, const DownloadOptions& options = {});
