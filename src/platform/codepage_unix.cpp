#include "platform/codepage.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace CodePage {

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

} // namespace CodePage
