#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

#include <memory>
#include <mutex>
#include <thread>

namespace httplib {
class Server;
struct Request;
} // namespace httplib

// A small HTTP server on 127.0.0.1 that stands in for the torrent search site and the product
// server. Behaviour is steered by named switches ("settings=garbage", "update.size=1048576"…),
// which can be changed while it runs. Every request line is logged, in memory and, when a log
// file is named, to that file.
class SampleSite final {
public:
    SampleSite();
    ~SampleSite();
    SampleSite(const SampleSite&) = delete;
    SampleSite& operator=(const SampleSite&) = delete;

    // Starts listening on 127.0.0.1 (port 0: any free port) on a thread of its own; returns the port, 0 on failure.
    int start(int port = 0);
    void stop();
    int port() const { return m_port; }
    QByteArray baseUrl() const; // "http://127.0.0.1:<port>"

    void setSwitch(const QString& name, const QString& value);
    void clearSwitches(); // every switch back to its default
    QString switchValue(const QString& name, const QString& fallback = {}) const;
    // How often `name` was counted before this call. Counts go back to 0 with the switches, so that
    // a switch such as "update.drop.count" means the same in every test.
    int nextCount(const QString& name);

    void setLogFile(const QString& path);
    QStringList requestLog() const; // "GET /search/a/1" …, in arrival order
    void clearRequestLog();
    int countRequests(const QString& line) const;   // how many logged lines equal `line`
    QString userAgentOf(const QString& line) const; // the User-Agent of the last request logged as `line`

    httplib::Server& server() { return *m_server; }

private:
    void logRequest(const httplib::Request& request);

    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    int m_port = 0;
    int m_listenSocket = -1;
    mutable std::mutex m_mutex;
    QMap<QString, QString> m_switches;
    QMap<QString, int> m_counts;
    QStringList m_log;
    QMap<QString, QString> m_userAgents; // by logged line
    QString m_logFile;
};

// Route groups, one file each.
void registerSearchRoutes(SampleSite& site);
void registerSettingsRoutes(SampleSite& site);
void registerUpdateRoutes(SampleSite& site);
void registerCounterRoutes(SampleSite& site);
void registerPortalRoutes(SampleSite& site);
