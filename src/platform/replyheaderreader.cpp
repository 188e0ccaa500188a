#include "platform/replyheaderreader.h"

namespace {

// libcurl tells a status line by this prefix, in any case.
bool isStatusLine(const QByteArray& raw)
{
    return raw.size() >= 5 && raw.left(5).toUpper() == "HTTP/";
}

// A proxy that asks for credentials: libcurl answers it and asks again, or ends with this status.
constexpr long proxyAuthenticationRequired = 407;

} // namespace

bool ReplyHeaderReader::anotherReplyMayFollow() const
{
    if (!m_blockEnded)
        return true;
    if (m_bodySinceBlock)
        return false; // libcurl drops the body of a reply it goes past, so a body means the last reply
    return m_status < 200 || m_status == proxyAuthenticationRequired ||
           (m_followsRedirects && m_status >= 300 && m_status < 400);
}

bool ReplyHeaderReader::beginsBlock(const QByteArray& raw) const
{
    return !m_inBlock && isStatusLine(raw) && anotherReplyMayFollow();
}

void ReplyHeaderReader::beginBlock(long status)
{
    m_headers.clear();
    m_contentLength = -1;
    m_contentType.clear();
    m_status = status;
    m_inBlock = true;
    m_bodySinceBlock = false;
}

bool ReplyHeaderReader::takeLine(const QByteArray& raw)
{
    if (!m_inBlock)
        return false; // a trailer
    if (raw == "\r\n" || raw == "\n") {
        m_inBlock = false;
        m_blockEnded = true;
        return m_status >= 200 && m_status != proxyAuthenticationRequired;
    }
    const QByteArray line = raw.trimmed();
    if (raw.startsWith(' ') || raw.startsWith('\t')) {
        // An obsolete folded line continues the previous header's value.
        if (!line.isEmpty() && !m_headers.isEmpty())
            m_headers.last().second += ' ' + line;
        return false;
    }
    const qsizetype colon = line.indexOf(':');
    if (colon <= 0)
        return false;
    const QByteArray name = line.left(colon).trimmed().toLower();
    const QByteArray value = line.mid(colon + 1).trimmed();
    m_headers.append({name, value});
    if (name == "content-type")
        m_contentType = value;
    if (name == "content-length") {
        bool ok = false;
        const qint64 length = value.toLongLong(&ok);
        m_contentLength = ok && length >= 0 ? length : -1;
    }
    return false;
}
