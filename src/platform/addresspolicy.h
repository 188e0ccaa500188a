#pragma once

#include <QString>

#include <optional>

class QUrl;

// What the program hands to a browser, to the system's opener, to an embedded view or to Thunder
// often comes from the network (a result page, the settings document). This is the one place that
// decides what may go: an address by its scheme, Thunder's argument by its shape. Everything else
// is refused, and the caller starts or loads nothing.
namespace AddressPolicy {

enum class Kind {
    Web, // a page: http, https
    Play // a play address: also magnet, thunder, ed2k (handed on to a download manager)
};

// The address as it is to be handed over, or nothing when it is refused. Surrounding white space
// is dropped. An address of an allowed scheme passes (scheme in any case); text without a scheme is
// a web address when it starts with a host name ("www.qorvex.com/a", "127.0.0.1:8080",
// "localhost") and gets "http://" in front. What passes is percentEncoded, so no outside program
// ever receives a quote or a blank that could end the address and start an argument of its own.
// Refused: any other scheme ("file:", "view-source:", "javascript:", "C:" ...), a path ("/etc",
// "~/x", "./x", "Documents/x.html", "\\host\x"), text that starts with "-" or holds a control
// character, and empty text.
std::optional<QString> acceptedAddress(const QString& address, Kind kind);

// The address with every character an address may not hold raw written as %XX of its UTF-8 bytes:
// blanks, quotes, control characters, "<>\^`{|}", "%" that starts no escape, anything beyond ASCII.
// What stays: letters, digits, "-._~", the delimiters ":/?#[]@" and "!$&'()*+,;=" (so a query's
// "?", "&" and "=" keep their meaning), and escapes that are there already, also one the end of the
// text cut short ("...%2"): a player receives the row's own text wherever it was already fit.
QString percentEncoded(QStringView address);

// Why acceptedAddress refuses the address (for the log), or nullptr when it accepts it.
const char* refusal(const QString& address, Kind kind);

// Whether a page shown in one of the program's views may go on to this address, whatever starts
// it: a link, a script, a form, a redirect, a new window. Only web pages (http, https) and the empty
// page "about:blank"; any other scheme is refused, so a page never reaches another program.
bool allowsPageNavigation(const QUrl& address);

// Thunder is given the row's information key (a hash), never a path or an address: refused are an
// empty key, one that holds "/", "\", ":", a double quote or a control character, or starts with
// "~", "." or "-".
// Why the key is refused, or nullptr when it is a key.
const char* keyRefusal(const QString& informationKey);

} // namespace AddressPolicy
