#include "update/pausegate.h"

#include <chrono>

PauseGate::PauseGate(bool paused) : m_paused(paused), m_interrupt(paused)
{
}

void PauseGate::pause()
{
    std::lock_guard lock(m_mutex);
    m_paused = true;
    m_interrupt = true;
}

void PauseGate::resume()
{
    {
        std::lock_guard lock(m_mutex);
        m_paused = false;
        m_interrupt = m_cancelled;
    }
    m_changed.notify_all();
}

void PauseGate::cancel()
{
    {
        std::lock_guard lock(m_mutex);
        m_cancelled = true;
        m_interrupt = true;
    }
    m_changed.notify_all();
}

bool PauseGate::isPaused() const
{
    std::lock_guard lock(m_mutex);
    return m_paused;
}

bool PauseGate::isCancelled() const
{
    std::lock_guard lock(m_mutex);
    return m_cancelled;
}

bool PauseGate::waitWhilePaused()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_paused || m_cancelled; });
    return !m_cancelled;
}

bool PauseGate::sleepFor(int ms)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_cancelled; });
    return !m_cancelled;
}
