#include "platform/registry.h"

#include "platform/testhooks.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <memory>

namespace {

QString settingsKey(const QString& key, const QString& valueName)
{
    QString path = key;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    while (path.startsWith(QLatin1Char('/')))
        path.remove(0, 1);
    const QString name = valueName.isEmpty() ? QStringLiteral("Default") : valueName;
    return path + QLatin1Char('/') + name;
}

// Where a value lives: the store and the value's name in it.
struct Location {
    std::unique_ptr<QSettings> store;
    QString name;
};

// The native registry on Windows, unless a test has pointed the store at a file.
bool nativeRegistry()
{
#ifdef Q_OS_WIN
    return testHooks().registryStorePath.isEmpty();
#else
    return false;
#endif
}

Location locate(const QString& key, const QString& valueName, Registry::View view = Registry::View::Native)
{
#ifdef Q_OS_WIN
    if (nativeRegistry()) {
        // The root key names the hive; "." is a key's unnamed value.
        QString path = key;
        path.replace(QLatin1Char('/'), QLatin1Char('\\'));
        const QSettings::Format format =
            view == Registry::View::Bits32 ? QSettings::Registry32Format : QSettings::NativeFormat;
        return {std::make_unique<QSettings>(path, format), valueName.isEmpty() ? QStringLiteral(".") : valueName};
    }
#else
    Q_UNUSED(view);
#endif
    return {std::make_unique<QSettings>(Registry::storePath(), QSettings::IniFormat), settingsKey(key, valueName)};
}

} // namespace

namespace Registry {

QString storePath()
{
    if (!testHooks().registryStorePath.isEmpty())
        return testHooks().registryStorePath;
#ifdef Q_OS_WIN
    return {};
#else
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/qorvex/registry.ini");
#endif
}

QString readString(const QString& key, const QString& valueName, bool* found, View view)
{
    const Location at = locate(key, valueName, view);
    const QVariant value = at.store->value(at.name);
    if (found)
        *found = value.isValid();
    return value.isValid() ? value.toString() : QString();
}

bool createKey(const QString& key)
{
    if (nativeRegistry()) {
        const Location at = locate(key, QString());
        at.store->sync();
        return at.store->status() == QSettings::NoError;
    }
    const QFileInfo file(storePath());
    if (!QDir().mkpath(file.absolutePath()))
        return false;
    if (file.exists())
        return file.isWritable();
    QFile create(file.absoluteFilePath());
    return create.open(QIODevice::WriteOnly);
}

bool writeString(const QString& key, const QString& valueName, const QString& value)
{
    if (!createKey(key))
        return false;
    const Location at = locate(key, valueName);
    at.store->setValue(at.name, value);
    at.store->sync();
    return at.store->status() == QSettings::NoError;
}

} // namespace Registry
