#pragma once

class QTimer;
class QWidget;
class SettingsView;
class WebView;

// The advertisement strip between the result list and the button bar: the settings document's
// advertisement step shows it, its display timer or its close button hides it, and it takes its
// given height only as far as the result list keeps 100 px of the window's height.
class AdvertisementStrip final {
public:
    struct Parts {
        QWidget* window = nullptr; // the main window's central area
        QWidget* strip = nullptr;
        WebView* page = nullptr;
        QTimer* showtime = nullptr; // the display timer
        QWidget* above = nullptr;   // the fixed panels above and below the list and the strip
        QWidget* below = nullptr;
    };
    explicit AdvertisementStrip(const Parts& parts) : m_parts(parts) {}

    void show(const SettingsView& settings); // the advertisement step
    void fit();                              // after the window's height has changed
    void timeUp();                           // the page is blanked and the strip hidden
    void close();                            // hidden; the page stays and the timer runs on

private:
    Parts m_parts;
    int m_height = -1; // the strip's given height; -1 until it is first shown
};
