#pragma once

#include <QByteArray>
#include <QString>

// The boundary between program text (GBK bytes, code page 936) and Qt's Unicode strings.
// Every conversion between the two goes through here.
namespace CodePage {

// Unicode -> GBK; a character GBK cannot hold becomes "?".
QByteArray toGbk(const QString& text);

// GBK -> Unicode.
QString fromGbk(const QByteArray& gbk);

// Decodes an HTTP body by the charset its Content-Type names (UTF-8 when it names none or one
// this machine does not know). Malformed sequences become U+FFFD.
QString decodeBody(const QByteArray& body, const QByteArray& contentType);

} // namespace CodePage
