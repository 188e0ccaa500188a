#include "samplesite.h"

#include <httplib.h>

#include <QFile>

#ifndef _WIN32
#include <sys/socket.h>
#endif

SampleSite::SampleSite() : m_server(std::make_unique<httplib::Server>())
{
    m_server->set_pre_routing_handler([this](const httplib::Request& request, httplib::Response&) {
        logRequest(request);
        return httplib::Server::HandlerResponse::Unhandled;
    });
    m_server->set_keep_alive_max_count(100);
    m_server->new_task_queue = [] { return new httplib::ThreadPool(16); };
    // The library listens with a backlog of 5, so a burst of parallel connections (ten download
    // workers) would see SYNs dropped and retried a second later. Remember the socket to widen it.
    m_server->set_socket_options([this](auto sock) {
        httplib::default_socket_options(sock);
        m_listenSocket = int(sock);
    });
    registerSearchRoutes(*this);
    registerSettingsRoutes(*this);
    registerUpdateRoutes(*this);
    registerCounterRoutes(*this);
    registerPortalRoutes(*this);
}

SampleSite::~SampleSite()
{
    stop();
}

int SampleSite::start(int port)
{
    if (port == 0)
        port = m_server->bind_to_any_port("127.0.0.1");
    else if (!m_server->bind_to_port("127.0.0.1", port))
        port = -1;
    if (port <= 0)
        return 0;
    if (m_listenSocket >= 0)
        ::listen(m_listenSocket, 128);
    m_port = port;
    m_thread = std::thread([this] { m_server->listen_after_bind(); });
    while (!m_server->is_running() && m_thread.joinable())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return m_port;
}

void SampleSite::stop()
{
    if (m_thread.joinable()) {
        m_server->stop();
        m_thread.join();
    }
}

QByteArray SampleSite::baseUrl() const
{
    return "http://127.0.0.1:" + QByteArray::number(m_port);
}

void SampleSite::setSwitch(const QString& name, const QString& value)
{
    std::lock_guard lock(m_mutex);
    m_switches[name] = value;
}

void SampleSite::clearSwitches()
{
    std::lock_guard lock(m_mutex);
    m_switches.clear();
    m_counts.clear();
}

int SampleSite::nextCount(const QString& name)
{
    std::lock_guard lock(m_mutex);
    return m_counts[name]++;
}

QString SampleSite::switchValue(const QString& name, const QString& fallback) const
{
    std::lock_guard lock(m_mutex);
    return m_switches.value(name, fallback);
}

void SampleSite::setLogFile(const QString& path)
{
    std::lock_guard lock(m_mutex);
    m_logFile = path;
}

QStringList SampleSite::requestLog() const
{
    std::lock_guard lock(m_mutex);
    return m_log;
}

void SampleSite::clearRequestLog()
{
    std::lock_guard lock(m_mutex);
    m_log.clear();
    m_userAgents.clear();
}

int SampleSite::countRequests(const QString& line) const
{
    std::lock_guard lock(m_mutex);
    return int(m_log.count(line));
}

QString SampleSite::userAgentOf(const QString& line) const
{
    std::lock_guard lock(m_mutex);
    return m_userAgents.value(line);
}

void SampleSite::logRequest(const httplib::Request& request)
{
    const QString line =
        QString::fromStdString(request.method) + QLatin1Char(' ') + QString::fromStdString(request.target);
    std::lock_guard lock(m_mutex);
    m_log.append(line);
    m_userAgents.insert(line, QString::fromStdString(request.get_header_value("User-Agent")));
    if (!m_logFile.isEmpty()) {
        QFile file(m_logFile);
        if (file.open(QIODevice::Append))
            file.write(line.toUtf8() + '\n');
    }
}
