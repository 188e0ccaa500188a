#include "platform/qttranslations.h"

#include "platform/logging.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace QtTranslations {

bool installChinese()
{
    static bool installed = false;
    if (installed)
        return true;
    auto* translator = new QTranslator(QCoreApplication::instance());
#ifdef Q_OS_WIN
    // Shipped beside the program.
    const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/translations");
#else
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
#endif
    if (!translator->load(QStringLiteral("qtbase_zh_CN"), folder) || !QCoreApplication::installTranslator(translator)) {
        qCInfo(lcShell) << "Qt's Chinese translations not loaded from" << folder;
        delete translator;
        return false;
    }
    installed = true;
    return true;
}

} // namespace QtTranslations
