#pragma once

#include "platform/httpclient.h"

// Reads the header lines libcurl hands over during one transfer: the header blocks of every reply
// (informational 1xx, redirect hops, a proxy's demand for credentials, the final reply) and the
// trailer lines after a chunked body. A status line starts a new block only where libcurl can still
// read another reply; elsewhere it is a trailer like any other line, so a server cannot start its
// reply again over a body already written.
class ReplyHeaderReader final {
public:
    explicit ReplyHeaderReader(bool followsRedirects) : m_followsRedirects(followsRedirects) {}

    // Whether `raw` (a line as libcurl hands it over, line end included) begins a new header block.
    bool beginsBlock(const QByteArray& raw) const;
    // A block begins; `status` is libcurl's reading of its status line, the one the transfer follows.
    void beginBlock(long status);
    // Any other line. True when it ends a block that is the caller's reply (see handedOver()).
    bool takeLine(const QByteArray& raw);
    void bodyArrived() { m_bodySinceBlock = true; }

    long status() const { return m_status; } // of the block read last
    const HttpHeaders& headers() const { return m_headers; }
    qint64 contentLength() const { return m_contentLength; }
    const QByteArray& contentType() const { return m_contentType; }

private:
    bool anotherReplyMayFollow() const;

    const bool m_followsRedirects;
    bool m_inBlock = false;
    bool m_blockEnded = false;     // at least one block was read to its end
    bool m_bodySinceBlock = false; // body bytes came after the last block ended
    long m_status = 0;
    HttpHeaders m_headers;
    qint64 m_contentLength = -1;
    QByteArray m_contentType;
};
