#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>

// Where download workers wait while the user has paused the download. A held worker waits on
// the condition with the gate's own mutex released, so it holds nothing the window or another
// worker needs. `interruptFlag` turns true on pause and on cancel, so a transfer in flight can be
// broken off at once; it turns false again on resume.
class PauseGate final {
public:
    explicit PauseGate(bool paused = false);

    void pause();
    void resume();
    void cancel(); // for good: every wait ends and reports the cancel

    bool isPaused() const;
    bool isCancelled() const;
    const std::atomic<bool>* interruptFlag() const { return &m_interrupt; }

    // Blocks while paused; false when the gate was cancelled.
    bool waitWhilePaused();
    // Sleeps up to `ms` milliseconds, less when cancelled; false when the gate was cancelled.
    bool sleepFor(int ms);

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_paused = false;
    bool m_cancelled = false;
    std::atomic<bool> m_interrupt = false;
};
