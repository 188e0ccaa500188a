#include "hostilebody.h"
#include "samplesite.h"

#include "config/configcipher.h"
#include "config/configdocument.h"
#include "config/configkey.h"
#include "platform/codepage.h"
#include "services/buildinfo.h"

#include <httplib.h>

#include <QFile>
#include <QRandomGenerator>

// The settings document /update/entcry.txt, sealed from settings-template.txt beside the site.
// Switches:
//   settings=none        no document (404)
//   settings=garbage     an HTML error page instead of hexadecimal text
//   settings=wrong-key   sealed with another key
//   settings.<Tag>=text  the value of <Tag> replaced (added when the template lacks it);
//                        "(missing)" drops the tag pair
//   settings=huge:N      N bytes of hexadecimal digits (streamed)
//   settings=endless:B:MS  hexadecimal digits, B bytes every MS milliseconds, without end
//   settings.filler=N    N bytes of plain text without tags added to the document before sealing
namespace {

const QString kMissing = QStringLiteral("(missing)");
const QString kUnset = QStringLiteral("\x01unset"); // no such switch

QByteArray tagName(const ConfigTag& tag)
{
    return QByteArray(tag.start).mid(1).chopped(1);
}

QByteArray plainDocument(const SampleSite& site)
{
    QFile file(QStringLiteral(SAMPLE_SITE_DIR "/settings-template.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString text = QString::fromUtf8(file.readAll());
    for (const ConfigTag& tag : kConfigTags) {
        const QString name = QString::fromLatin1(tagName(tag));
        const QString value = site.switchValue(QStringLiteral("settings.") + name, kUnset);
        if (value == kUnset)
            continue;
        const QString start = QString::fromLatin1(tag.start);
        const QString end = QString::fromLatin1(tag.end);
        const qsizetype from = text.indexOf(start);
        const qsizetype to = from < 0 ? -1 : text.indexOf(end, from);
        if (from >= 0 && to >= 0)
            text.remove(from, to + end.size() - from);
        if (value != kMissing)
            text += start + value + end + QLatin1Char('\n');
    }
    text.replace(QStringLiteral("{site}"), QString::fromLatin1(site.baseUrl()));
    text.replace(QStringLiteral("{version}"), QString::fromLatin1(BuildInfo::version));
    const qsizetype filler = site.switchValue(QStringLiteral("settings.filler")).toLongLong();
    return CodePage::toGbk(text) + fillerText(qMax<qsizetype>(filler, 0));
}

} // namespace

void registerSettingsRoutes(SampleSite& site)
{
    site.server().Get("/update/entcry.txt", [&site](const httplib::Request&, httplib::Response& response) {
        const QString mode = site.switchValue(QStringLiteral("settings"));
        if (mode == QLatin1String("none")) {
            response.status = 404;
            response.set_content("<html><body>404 Not Found</body></html>", "text/html");
            return;
        }
        const QList<qint64> numbers = switchNumbers(mode);
        if (mode.startsWith(QLatin1String("huge:"))) {
            sendPadded(response, {}, numbers.value(0), "text/plain", "0123456789abcdef");
            return;
        }
        if (mode.startsWith(QLatin1String("endless:"))) {
            sendEndless(response, {}, int(numbers.value(0)), int(numbers.value(1)), "text/plain", "0123456789abcdef");
            return;
        }
        if (mode == QLatin1String("garbage")) {
            response.set_content("<html><body>The proxy could not reach the server.</body></html>", "text/html");
            return;
        }
        const QByteArray key = mode == QLatin1String("wrong-key") ? QByteArray("not-the-key") : joinConfigKey();
        const quint32 random = QRandomGenerator::global()->generate();
        const QByteArray header(reinterpret_cast<const char*>(&random), sizeof random);
        const QByteArray sealed = encipherConfigText(plainDocument(site), key, header) + "\r\n";
        response.set_content(sealed.toStdString(), "text/plain");
    });
}
