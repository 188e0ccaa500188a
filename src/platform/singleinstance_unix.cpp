#include "platform/singleinstance.h"

#include "platform/logging.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {
const QByteArray kActivate = "activate\n";

QString userTag()
{
    return QString::number(getuid());
}

// The desktop session this process belongs to, as a file name part: its Wayland display, else its
// X display (screen number dropped, ":0.0" is the display ":0"); empty without either.
QString sessionTag()
{
    QString display = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (display.isEmpty()) {
        display = qEnvironmentVariable("DISPLAY");
        const qsizetype colon = display.lastIndexOf(QLatin1Char(':'));
        const qsizetype dot = display.indexOf(QLatin1Char('.'), colon + 1);
        if (colon >= 0 && dot > colon)
            display.truncate(dot);
    }
    QString tag;
    for (const QChar c : QStringView(display).left(64)) {
        const bool plain =
            (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
            (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-') || c == QLatin1Char('.');
        tag.append(plain ? c : QLatin1Char('_'));
    }
    return tag;
}

// True when the folder is one only this user can use: a real folder (not a link), this user's
// own, closed to everybody else. Made (mode 0700) when it does not exist; one of the user's own
// with a wider mode is closed.
bool ensurePrivateFolder(const QString& folder)
{
    const QByteArray path = QFile::encodeName(folder);
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid())
        return false;
    return (info.st_mode & 077) == 0 || ::chmod(path.constData(), 0700) == 0;
}

QString runtimeFolder()
{
    // Qt's runtime folder is checked by Qt itself (the user's own, mode 0700).
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty() && QDir().mkpath(runtime))
        return runtime;
    // No usable runtime folder: one of our own in the shared temporary folder, per user. Another
    // user may have made that name first; then a folder in the user's own cache.
    const QStringList candidates{QDir::tempPath() + QStringLiteral("/quvo-runtime-") + userTag(),
                                 QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                                     QStringLiteral("/quvo-runtime")};
    for (const QString& folder : candidates) {
        QDir().mkpath(QFileInfo(folder).path());
        if (ensurePrivateFolder(folder))
            return folder;
        qCInfo(lcShell) << "not a private folder of this user's own, not used for the instance lock:" << folder;
    }
    return {}; // no lock can be made: the program starts without one
}
} // namespace

SingleInstance::SingleInstance(const QString& name, QObject* parent)
    : QObject(parent), m_name(name), m_folder(runtimeFolder())
{
    // Each desktop session has its own instance: another session of the same user shares the
    // runtime folder, so the names carry the display.
    const QString session = sessionTag();
    if (!session.isEmpty())
        m_name += QLatin1Char('-') + session;
}

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close();
}

QString SingleInstance::lockFilePath() const
{
    return m_folder + QLatin1Char('/') + m_name + QStringLiteral(".lock");
}

QString SingleInstance::socketPath() const
{
    return m_folder + QLatin1Char('/') + m_name + QStringLiteral(".socket");
}

bool SingleInstance::claim()
{
    if (m_lock)
        return true;
    if (m_folder.isEmpty())
        return true; // no private folder for a lock: start, like any lock that cannot be made
    auto lock = std::make_unique<QLockFile>(lockFilePath());
    // A live owner keeps its lock however old it is; only a dead owner's lock is taken over.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        // Only a lock held by another live instance means "not first". A lock that cannot be
        // made at all (no folder, no rights) must not keep the program from starting; without
        // the lock there is no socket either, since it could belong to a running instance.
        return lock->error() != QLockFile::LockFailedError;
    }
    m_lock = std::move(lock);

    // Holding the lock, any socket file left behind belongs to a dead instance.
    QLocalServer::removeServer(socketPath());
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
    // Without a socket later starts cannot reach us, but we are still the one instance.
    m_server->listen(socketPath());
    return true;
}

void SingleInstance::onNewConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            // Only the one fixed request is understood; anything else is dropped.
            if (socket->canReadLine()) {
                if (socket->readLine(64) == kActivate)
                    Q_EMIT activationRequested();
                socket->disconnectFromServer();
            } else if (socket->bytesAvailable() > kActivate.size()) {
                socket->abort();
            }
        });
    }
}

bool SingleInstance::notifyFirstInstance(int timeoutMs) const
{
    if (m_folder.isEmpty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(socketPath());
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(kActivate);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    // The first instance hangs up once it has read the request.
    if (socket.state() == QLocalSocket::ConnectedState)
        socket.waitForDisconnected(timeoutMs);
    return true;
}
