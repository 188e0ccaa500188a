#include "platform/codepage.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace CodePage {

QByteArray toGbk(const QString& text)
{
    // Qt's ICU-backed encoder substitutes unmappable characters with the GBK substitution byte 0x1A;
    // the program's convention is "?", so map character by character where needed.
    QStringEncoder encoder("GBK", QStringConverter::Flag::Stateless);
    QByteArray out;
    out.reserve(text.size() * 2);
    const auto* data = text.constData();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n;) {
        const qsizetype len = (data[i].isHighSurrogate() && i + 1 < n && data[i + 1].isLowSurrogate()) ? 2 : 1;
        const QStringView ch(data + i, len);
        if (len == 1 && data[i].unicode() < 0x80) {
            out.append(char(data[i].unicode()));
        } else {
            QByteArray bytes = encoder.encode(ch);
            if (encoder.hasError() || bytes.isEmpty() || bytes == "\x1a") {
                encoder.resetState();
                out.append('?');
            } else {
                out.append(bytes);
            }
        }
        i += len;
    }
    return out;
}

QString fromGbk(const QByteArray& gbk)
{
    QStringDecoder decoder("GBK", QStringConverter::Flag::Stateless);
    return decoder.decode(gbk);
}

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
    if (!charset.isEmpty()) {
        QStringDecoder decoder(charset.constData());
        if (decoder.isValid())
            return decoder.decode(body);
    }
    QStringDecoder utf8(QStringConverter::Utf8);
    return utf8.decode(body);
}

} // namespace CodePage
