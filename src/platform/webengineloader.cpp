#include "platform/webengineloader.h"

#include "platform/logging.h"
#include "platform/webengine.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPluginLoader>

QStringList WebEngineLoader::candidates()
{
    const QString overridden = qEnvironmentVariable("QUVO_WEB_MODULE");
    if (!overridden.isEmpty())
        return {overridden};
    const QDir programDir(QCoreApplication::applicationDirPath());
    const QString name = QStringLiteral(QUVO_WEB_MODULE_NAME);
    return {programDir.filePath(name),
            QDir::cleanPath(programDir.filePath(QStringLiteral(QUVO_WEB_MODULE_INSTALL_DIR "/") + name))};
}

WebEngine* WebEngineLoader::load(const QString& path)
{
    if (!QFileInfo(path).isFile()) {
        qCInfo(lcWeb) << "no browser module at" << path;
        return nullptr;
    }
    // The loader stays alive: the module is never unloaded while views of it may exist.
    auto* loader = new QPluginLoader(path);
    auto* engine = qobject_cast<WebEngine*>(loader->instance());
    if (!engine) {
        qCInfo(lcWeb) << "cannot load the browser module" << path << ":" << loader->errorString();
        delete loader;
    }
    return engine;
}

WebEngine* WebEngineLoader::loadFirst(const QStringList& files)
{
    for (const QString& file : files) {
        if (!QFileInfo(file).isFile())
            continue;
        // A file that is there but does not load (another build's, a broken copy) must not hide
        // the installed module behind it.
        if (WebEngine* engine = load(file))
            return engine;
    }
    qCInfo(lcWeb) << "no browser module found that loads; pages stay empty. Looked for" << files;
    return nullptr;
}
