#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// The torrent search site and the sites that stand in for it, in the order a page is asked of them:
// the user's own address (when set), the built-in site, then the mirrors the settings document
// names. A search starts at the site that answered last; that site, and the user's own address, are
// kept in the registry for the next run. Roots are http or https addresses without a trailing "/".
// User-interface thread only.
class SearchSites final {
public:
    SearchSites(); // reads the user's address and the site that answered last from the registry

    // The registry key and values where the two are kept.
    static const QString registryKey;
    static const QString userAddressValue;
    static const QString answeredValue;

    // The root of an address the user or the settings document gives: an http or https address
    // with a host that AddressPolicy lets through ("www.site.com" gets "http://"), without query,
    // fragment or trailing "/"; nothing for anything else.
    static std::optional<QByteArray> siteRoot(const QString& address);

    void setBuiltIn(const QByteArray& root) { m_builtIn = root; }
    // The mirrors of the settings document; entries that are not site roots are left out (and logged).
    void setMirrors(const QList<QByteArray>& roots);
    // The user's own address; "" removes it. False, and nothing changes, when it is not a site root.
    bool setUserAddress(const QString& address);

    QByteArray userAddress() const { return m_user; }
    QByteArray builtIn() const { return m_builtIn; }
    QList<QByteArray> mirrors() const { return m_mirrors; }
    QByteArray answered() const { return m_answered; } // empty until one has answered (or was remembered)

    // User's address, built-in site, mirrors; each once.
    QList<QByteArray> listed() const;
    // The listed sites in the order of the next fetch: the one that answered last first, if listed.
    QList<QByteArray> fetchOrder() const;
    // A fetch got its page from this site: the next one starts there, in this run and the next.
    void setAnswered(const QByteArray& root);

private:
    void remember(const QByteArray& root);

    QByteArray m_user;
    QByteArray m_builtIn;
    QList<QByteArray> m_mirrors;
    QByteArray m_answered;   // the last site that answered
    QByteArray m_remembered; // where the next fetch starts when it is not the first listed site
};
