#include "localhttpserver.h"

#include <chrono>

void LocalHttpServer::stop()
{
    server.stop();
    if (m_thread.joinable())
        m_thread.join();
}

void LocalHttpServer::start()
{
    port = server.bind_to_any_port("127.0.0.1");
    m_thread = std::thread([this] { server.listen_after_bind(); });
    while (!server.is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}
