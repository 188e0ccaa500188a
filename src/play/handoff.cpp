#include "play/handoff.h"

#include "platform/codepage.h"
#include "platform/launcher.h"
#include "platform/registry.h"
#include "services/defaultbrowser.h"

namespace HandOff {

void openPlayAddress(const QByteArray& playAddress)
{
    OpenInDefaultBrowser(CodePage::fromGbk(playAddress), AddressPolicy::Kind::Play);
}

QString thunderPath()
{
    // Thunder is a 32-bit program: on 64-bit Windows its key lies in the 32-bit view (WOW6432Node).
    return Registry::readString(
        QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Thunder Network\\ThunderOem\\thunder_backwnd"),
        QStringLiteral("Path"), nullptr, Registry::View::Bits32);
}

bool startThunder(const QString& path, const QByteArray& informationKey)
{
    return Launcher::startWithKey(path, CodePage::fromGbk(informationKey));
}

bool openMagnetLink(const QString& link)
{
    return Launcher::openWithSystem(link, AddressPolicy::Kind::Play);
}

} // namespace HandOff
