#pragma once

#include <QImage>
#include <QString>

// A QR code of a text (UTF-8, error correction level M), black on white with a quiet zone of
// four modules, drawn with whole pixels per module and centred in a square of side pixels.
// A null image when the text cannot be encoded or does not fit.
QImage qrCodePicture(const QString& text, int side);
