#include "search/searchsites.h"

#include "platform/addresspolicy.h"
#include "platform/logging.h"
#include "platform/registry.h"

#include <QUrl>

const QString SearchSites::registryKey = QStringLiteral("HKEY_CURRENT_USER\\SOFTWARE\\qorvex");
const QString SearchSites::userAddressValue = QStringLiteral("SearchSite");
const QString SearchSites::answeredValue = QStringLiteral("AnsweredSearchSite");

SearchSites::SearchSites()
{
    // A value edited by hand that is no site root is ignored.
    m_user = siteRoot(Registry::readString(registryKey, userAddressValue)).value_or(QByteArray());
    m_remembered = siteRoot(Registry::readString(registryKey, answeredValue)).value_or(QByteArray());
    m_answered = m_remembered;
}

std::optional<QByteArray> SearchSites::siteRoot(const QString& address)
{
    const std::optional<QString> accepted = AddressPolicy::acceptedAddress(address, AddressPolicy::Kind::Web);
    if (!accepted)
        return std::nullopt;
    const QUrl url(*accepted, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https")) || url.hasQuery() || url.hasFragment() ||
        !url.userInfo().isEmpty())
        return std::nullopt;
    QByteArray root = url.toEncoded();
    while (root.endsWith('/'))
        root.chop(1);
    return root;
}

void SearchSites::setMirrors(const QList<QByteArray>& roots)
{
    m_mirrors.clear();
    for (const QByteArray& entry : roots) {
        if (const std::optional<QByteArray> root = siteRoot(QString::fromLatin1(entry)))
            m_mirrors.append(*root);
        else
            qCInfo(lcSearch) << "mirror of the settings document is no site address:" << entry;
    }
}

bool SearchSites::setUserAddress(const QString& address)
{
    QByteArray root;
    if (!address.trimmed().isEmpty()) {
        const std::optional<QByteArray> accepted = siteRoot(address.trimmed());
        if (!accepted)
            return false;
        root = *accepted;
    }
    if (root == m_user)
        return true;
    m_user = root;
    if (!Registry::createKey(registryKey) ||
        !Registry::writeString(registryKey, userAddressValue, QString::fromLatin1(root)))
        qCWarning(lcSearch) << "the search site address could not be kept for the next run";
    // The user's choice is asked first from now on; without one, the built-in site is.
    m_answered = root;
    remember(QByteArray());
    return true;
}

QList<QByteArray> SearchSites::listed() const
{
    QList<QByteArray> sites;
    for (const QByteArray& root : QList<QByteArray>{m_user, m_builtIn} + m_mirrors)
        if (!root.isEmpty() && !sites.contains(root))
            sites.append(root);
    return sites;
}

QList<QByteArray> SearchSites::fetchOrder() const
{
    QList<QByteArray> order = listed();
    const qsizetype at = order.indexOf(m_remembered);
    if (at > 0)
        order.move(at, 0);
    return order;
}

void SearchSites::setAnswered(const QByteArray& root)
{
    m_answered = root;
    // A fetch starts at the first listed site anyway: only another one needs remembering (and the
    // registry stays untouched while the first site answers).
    const QList<QByteArray> sites = listed();
    remember(!sites.isEmpty() && root == sites.first() ? QByteArray() : root);
}

void SearchSites::remember(const QByteArray& root)
{
    if (root == m_remembered)
        return;
    m_remembered = root;
    if (!Registry::createKey(registryKey) ||
        !Registry::writeString(registryKey, answeredValue, QString::fromLatin1(root)))
        qCWarning(lcSearch) << "the answering search site could not be kept for the next run";
}
