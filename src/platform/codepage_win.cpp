#include "platform/codepage.h"

#include <qt_windows.h>

namespace CodePage {

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

} // namespace CodePage
