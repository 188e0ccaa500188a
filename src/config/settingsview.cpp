#include "config/settingsview.h"

#include "config/remoteconfiguration.h"
#include "platform/codepage.h"

namespace {

bool isSet(const QByteArray& value)
{
    return !value.isEmpty() && value != "0";
}

SettingsView::Decimal decimal(const QByteArray& text)
{
    SettingsView::Decimal result{isSet(text), std::nullopt};
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (ok && value >= 0)
        result.value = value;
    return result;
}

} // namespace

SettingsView::SettingsView(const RemoteConfiguration& record) : m_record(record)
{
}

SettingsView::SettingsView() : m_record(remoteConfig())
{
}

QString SettingsView::Switched::pageOr(const QString& builtInPage) const
{
    return source == Source::BuiltIn ? builtInPage : address;
}

SettingsView::Switched SettingsView::switchedAddress(const QByteArray& switchValue, const QByteArray& address)
{
    if (!isSet(switchValue))
        return {Switched::Source::BuiltIn, {}};
    if (!isSet(address))
        return {Switched::Source::Nothing, {}};
    return {Switched::Source::Address, CodePage::fromGbk(address)};
}

const QByteArray& SettingsView::announcedVersion() const
{
    return m_record.Version;
}

bool SettingsView::forcedUpdate() const
{
    return isSet(m_record.FrcUp);
}

bool SettingsView::updateMarkedVoluntary() const
{
    return m_record.FrcUp == "0";
}

std::optional<QString> SettingsView::mirrorPage(int number) const
{
    const QByteArray* const lines[3] = {&m_record.updateline1, &m_record.updateline2, &m_record.updateline3};
    if (number < 1 || number > 3 || !isSet(*lines[number - 1]))
        return std::nullopt;
    return CodePage::fromGbk(*lines[number - 1]);
}

QList<QByteArray> SettingsView::searchMirrors() const
{
    QList<QByteArray> roots;
    for (const QByteArray& part : m_record.SearchSites.split('|')) {
        const QByteArray root = part.trimmed();
        if (isSet(root))
            roots.append(root);
    }
    return roots;
}

std::optional<QString> SettingsView::keywordBoxWord() const
{
    if (m_record.BulletinWord == "0")
        return std::nullopt;
    return CodePage::fromGbk(m_record.BulletinWord);
}

bool SettingsView::advertisementOn() const
{
    return isSet(m_record.AdverDef);
}

QString SettingsView::advertisementPage() const
{
    return CodePage::fromGbk(m_record.AdWebAdr);
}

SettingsView::Decimal SettingsView::advertisementHeight() const
{
    return decimal(m_record.AdpnlHeight);
}

SettingsView::Decimal SettingsView::advertisementShowtime() const
{
    return decimal(m_record.AdShowtime);
}

SettingsView::Switched SettingsView::feedbackPage() const
{
    return switchedAddress(m_record.FeedbackDef, m_record.FeedAdr);
}

SettingsView::Switched SettingsView::microblogPage() const
{
    return switchedAddress(m_record.AttentionDef, m_record.AttentionAdr);
}

SettingsView::Switched SettingsView::tvPage() const
{
    return switchedAddress(m_record.OnlineDef, m_record.OLTvAdr);
}

SettingsView::Switched SettingsView::mvPage() const
{
    return switchedAddress(m_record.MtvDef, m_record.MtvAdr);
}

SettingsView::Switched SettingsView::musicPage() const
{
    return switchedAddress(m_record.MusicDef, m_record.MusicAdr);
}

bool SettingsView::remoteLinesInForce() const
{
    return isSet(m_record.CloudDef);
}

std::optional<QByteArray> SettingsView::remoteLineBase(int line) const
{
    const QByteArray& base = line == 1 ? m_record.Cldline1 : m_record.Cldline2;
    if (!isSet(base))
        return std::nullopt;
    return base;
}
