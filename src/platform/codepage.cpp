#include "platform/codepage.h"

#include <QStringDecoder>

namespace CodePage {

namespace {
bool namesGbk(const QByteArray& charset)
{
    const QByteArray name = charset.toLower();
    return name == "gbk" || name == "gb2312" || name == "cp936" || name == "windows-936" || name == "x-gbk";
}
} // namespace

QString decodeBody(const QByteArray& body, const QByteArray& contentType)
{
    QByteArray charset;
    const qsizetype at = contentType.toLower().indexOf("charset=");
    if (at >= 0) {
        charset = contentType.mid(at + 8).trimmed();
        const qsizetype end = charset.indexOf(';');
        if (end >= 0)
            charset.truncate(end);
        charset = charset.trimmed();
        if (charset.startsWith('"') && charset.endsWith('"') && charset.size() >= 2)
            charset = charset.mid(1, charset.size() - 2);
    }
    // Pages labelled "gb2312" are GBK in practice (as browsers read them); a GB2312 decoder would
    // garble every character beyond GB2312.
    if (namesGbk(charset))
        return fromGbk(body);
    if (!charset.isEmpty()) {
        QStringDecoder decoder(charset.constData());
        if (decoder.isValid())
            return decoder.decode(body);
    }
    QStringDecoder utf8(QStringConverter::Utf8);
    return utf8.decode(body);
}

} // namespace CodePage
