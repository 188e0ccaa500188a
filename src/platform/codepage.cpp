#include "platform/codepage.h"

#include <QStringDecoder>
#include <QStringEncoder>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

namespace CodePage {

#ifdef Q_OS_WIN
// Qt is built without ICU here and knows no GBK: the system's own code page 936 converts.

QByteArray toGbk(const QString& text)
{
    QByteArray out;
    out.reserve(text.size() * 2);
    const auto* data = reinterpret_cast<const wchar_t*>(text.utf16());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n;) {
        // A character outside the BMP (or half of one) has no GBK form: one "?" for it.
        if (QChar::isSurrogate(data[i])) {
            i += (QChar::isHighSurrogate(data[i]) && i + 1 < n && QChar::isLowSurrogate(data[i + 1])) ? 2 : 1;
            out.append('?');
            continue;
        }
        qsizetype end = i;
        while (end < n && !QChar::isSurrogate(data[end]))
            ++end;
        // No best fit: "é" must not quietly become "e".
        const int length = int(end - i);
        const int size = WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, data + i, length, nullptr, 0, "?", nullptr);
        const qsizetype at = out.size();
        out.resize(at + size);
        WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, data + i, length, out.data() + at, size, "?", nullptr);
        i = end;
    }
    return out;
}

QString fromGbk(const QByteArray& gbk)
{
    if (gbk.isEmpty())
        return {};
    const int size = MultiByteToWideChar(936, 0, gbk.constData(), int(gbk.size()), nullptr, 0);
    QString out(size, Qt::Uninitialized);
    MultiByteToWideChar(936, 0, gbk.constData(), int(gbk.size()), reinterpret_cast<wchar_t*>(out.data()), size);
    return out;
}

namespace {
bool namesGbk(const QByteArray& charset)
{
    const QByteArray name = charset.toLower();
    return name == "gbk" || name == "gb2312" || name == "cp936" || name == "windows-936" || name == "x-gbk";
}
} // namespace

#else

QByteArray toGbk(const QString& text)
{
    // Qt's ICU-backed encoder substitutes unmappable characters with the GBK substitution byte 0x1A;
    // the program's convention is "?". Runs of non-ASCII characters are encoded whole; only a run
    // that holds an unmappable character is encoded character by character. An encoder that has
    // met an unmappable character keeps reporting the error (resetting its state does not clear
    // it), so a new one is taken after each.
    auto newEncoder = [] { return QStringEncoder("GBK", QStringConverter::Flag::Stateless); };
    QStringEncoder encoder = newEncoder();
    QByteArray out;
    out.reserve(text.size() + text.size() / 2);
    const auto* data = text.constData();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n;) {
        if (data[i].unicode() < 0x80) {
            out.append(char(data[i].unicode()));
            ++i;
            continue;
        }
        qsizetype runEnd = i;
        while (runEnd < n && data[runEnd].unicode() >= 0x80)
            ++runEnd;
        const QByteArray run = encoder.encode(QStringView(data + i, runEnd - i));
        // 0x1A never occurs in the encoding of a non-ASCII character: it can only be a substitute.
        if (!encoder.hasError() && !run.contains('\x1a')) {
            out.append(run);
            i = runEnd;
            continue;
        }
        encoder = newEncoder();
        while (i < runEnd) {
            const qsizetype len = (data[i].isHighSurrogate() && i + 1 < runEnd && data[i + 1].isLowSurrogate()) ? 2 : 1;
            const QByteArray bytes = encoder.encode(QStringView(data + i, len));
            if (encoder.hasError() || bytes.isEmpty() || bytes.contains('\x1a')) {
                encoder = newEncoder();
                out.append('?');
            } else {
                out.append(bytes);
            }
            i += len;
        }
    }
    return out;
}

QString fromGbk(const QByteArray& gbk)
{
    QStringDecoder decoder("GBK", QStringConverter::Flag::Stateless);
    return decoder.decode(gbk);
}

#endif

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
#ifdef Q_OS_WIN
    if (namesGbk(charset))
        return fromGbk(body);
#endif
    if (!charset.isEmpty()) {
        QStringDecoder decoder(charset.constData());
        if (decoder.isValid())
            return decoder.decode(body);
    }
    QStringDecoder utf8(QStringConverter::Utf8);
    return utf8.decode(body);
}

} // namespace CodePage
