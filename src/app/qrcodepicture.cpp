#include "app/qrcodepicture.h"

#include <QPainter>

#include <qrencode.h>

#include <memory>

QImage qrCodePicture(const QString& text, int side)
{
    const QByteArray utf8 = text.toUtf8();
    std::unique_ptr<QRcode, decltype(&QRcode_free)> code(QRcode_encodeString8bit(utf8.constData(), 0, QR_ECLEVEL_M),
                                                         &QRcode_free);
    if (!code)
        return {};
    const int modules = code->width;
    constexpr int kQuietZone = 4;
    const int scale = side / (modules + 2 * kQuietZone);
    if (scale < 1)
        return {};

    QImage image(side, side, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const int origin = (side - modules * scale) / 2;
    for (int y = 0; y < modules; ++y) {
        for (int x = 0; x < modules; ++x) {
            // Bit 0 of each module byte says dark or light; the other bits describe its role.
            if (code->data[y * modules + x] & 1)
                painter.fillRect(origin + x * scale, origin + y * scale, scale, scale, Qt::black);
        }
    }
    return image;
}
