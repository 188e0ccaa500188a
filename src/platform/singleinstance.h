#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QLockFile;

// One instance of the program per desktop session. The first start holds a lock file in the per-user
// runtime folder for its whole life and listens on a local socket beside it; a later start finds the
// lock taken, asks the first one to come to the front through the socket, and gives up. Both names
// carry the session's display ($WAYLAND_DISPLAY, else $DISPLAY, read at construction), so another
// desktop session of the same user has an instance of its own.
// The lock is atomic, so two starts at the same moment still give one instance, and a lock left by
// a process that no longer runs is taken over.
// On Windows the instance is a named mutex instead (its namespace is the desktop session, and the
// system releases it when its process ends), and a later start finds the first instance's main window
// by its exact caption and switches to it; no socket, no activationRequested.
class SingleInstance final : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& name, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this process is the first instance (it then keeps the lock and listens), and
    // also when no lock can be made at all. False only while another instance holds the lock.
    bool claim();

    // From a later instance: asks the first one to come to the front. Waits at most timeoutMs;
    // false when no first instance answered (on Windows: no window has the caption).
    bool notifyFirstInstance(int timeoutMs = 2000) const;

    // The caption by which a later start finds the first instance's main window (Windows).
    void setWindowCaption(const QString& caption) { m_caption = caption; }

    // Where the lock file and the socket live (not on Windows): the user's runtime folder, else a
    // private folder of the user's own (made mode 0700; one another user made, or a link, is never
    // used); empty names when there is none, and then there is no lock.
    QString lockFilePath() const;
    QString socketPath() const;

Q_SIGNALS:
    // In the first instance: a later start asked it to come to the front.
    void activationRequested();

private:
    void onNewConnection();

    QString m_name;
    QString m_caption;
    QString m_folder;
    void* m_mutex = nullptr; // Windows: the named mutex, held for the instance's life
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
};
