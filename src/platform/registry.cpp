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

#ifdef Q_OS_WIN
std::unique_ptr<QSettings> openStore(const QString& key)
{
    // Native registry: the root key names the hive.
    QString path = key;
    path.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return std::make_unique<QSettings>(path, QSettings::NativeFormat);
}
#else
std::unique_ptr<QSettings> openStore(const QString&)
{
    return std::make_unique<QSettings>(Registry::storePath(), QSettings::IniFormat);
}
#endif

} // namespace

namespace Registry {

QString storePath()
{
#ifdef Q_OS_WIN
    return {};
#else
    if (!testHooks().registryStorePath.isEmpty())
        return testHooks().registryStorePath;
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/qorvex/registry.ini");
#endif
}

QString readString(const QString& key, const QString& valueName, bool* found)
{
#ifdef Q_OS_WIN
    auto store = openStore(key);
    const QString name = valueName.isEmpty() ? QStringLiteral(".") : valueName;
    const QVariant value = store->value(name);
#else
    auto store = openStore(key);
    const QVariant value = store->value(settingsKey(key, valueName));
#endif
    if (found)
        *found = value.isValid();
    return value.isValid() ? value.toString() : QString();
}

bool createKey(const QString& key)
{
#ifdef Q_OS_WIN
    auto store = openStore(key);
    store->sync();
    return store->status() == QSettings::NoError;
#else
    Q_UNUSED(key);
    const QFileInfo file(storePath());
    if (!QDir().mkpath(file.absolutePath()))
        return false;
    if (file.exists())
        return file.isWritable();
    QFile create(file.absoluteFilePath());
    return create.open(QIODevice::WriteOnly);
#endif
}

bool writeString(const QString& key, const QString& valueName, const QString& value)
{
    if (!createKey(key))
        return false;
#ifdef Q_OS_WIN
    auto store = openStore(key);
    store->setValue(valueName.isEmpty() ? QStringLiteral(".") : valueName, value);
#else
    auto store = openStore(key);
    store->setValue(settingsKey(key, valueName), value);
#endif
    store->sync();
    return store->status() == QSettings::NoError;
}

} // namespace Registry
