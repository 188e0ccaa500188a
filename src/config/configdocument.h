#pragma once

#include "config/remoteconfiguration.h"
#include "platform/expected.h"

#include <QByteArray>

#include <array>

// One tag pair of the settings document and the field its value goes to.
struct ConfigTag {
    const char* start;
    const char* end;
    QByteArray RemoteConfiguration::*field;
};

// The 28 tag pairs, in the order in which the values are cut out.
extern const std::array<ConfigTag, 28> kConfigTags;

// Removes leading and trailing bytes with codes 0 to 32.
QByteArray trimControlAndSpace(const QByteArray& text);

// The text up to (not including) its first zero byte.
QByteArray cutAtFirstZero(const QByteArray& text);

// GBK text with the single-byte letters A-Z lowered; both bytes of a double-byte character stay.
QByteArray lowerAsciiLetters(const QByteArray& gbk);

// The whole reading of a fetched document: trim, decipher with `keyText`, cut at the first zero
// byte, lower-case, cut the 28 values out. Throws (EConvertError, EAESError) when the document
// cannot be deciphered; then nothing of it is used.
RemoteConfiguration parseConfigDocument(const QByteArray& responseText, const QByteArray& keyText);
// The same reading at the boundary: the record, or why the document could not be read.
Expected<RemoteConfiguration> readConfigDocument(const QByteArray& responseText, const QByteArray& keyText);
