#include "app/advertisementstrip.h"

#include "config/settingsview.h"
#include "platform/logging.h"
#include "platform/webview.h"

#include <QTimer>
#include <QWidget>

#include <algorithm>

void AdvertisementStrip::show(const SettingsView& settings)
{
    if (!settings.advertisementOn())
        return;
    if (m_height < 0) {
        // The window keeps the minimum height it has without the strip (the strip fits itself into
        // what the window has); the strip's own height is the laid-out one until one is given.
        m_parts.window->setMinimumHeight(m_parts.window->minimumSizeHint().height());
        m_height = m_parts.strip->maximumHeight();
    }
    m_parts.strip->show();
    fit();
    m_parts.page->navigate(settings.advertisementPage());

    if (const SettingsView::Decimal height = settings.advertisementHeight(); height.set) {
        if (!height.value) {
            qCInfo(lcConfig) << "AdpnlHeight is not a height in pixels; the strip keeps its height and display time";
            return; // a malformed height ends the step
        }
        m_height = *height.value;
        fit();
    }

    // Switching on a running timer leaves its period alone; only a new display time restarts it.
    const SettingsView::Decimal showtime = settings.advertisementShowtime();
    if (showtime.set && !m_parts.showtime->isActive())
        m_parts.showtime->start();
    if (!showtime.value) {
        if (showtime.set)
            qCInfo(lcConfig) << "AdShowtime is not a count of milliseconds; the strip keeps its display time";
        return; // empty or malformed: the timer keeps the period it had
    }
    if (*showtime.value == 0)
        m_parts.showtime->stop(); // the strip stays until it is closed
    else
        m_parts.showtime->start(*showtime.value);
}

void AdvertisementStrip::fit()
{
    if (m_height < 0 || m_parts.strip->isHidden())
        return;
    // The strip and the result list share what the fixed panels above and below leave; the list
    // keeps at least kMinListHeight of it.
    constexpr int kMinListHeight = 100;
    const int shared = m_parts.window->height() - m_parts.above->minimumHeight() - m_parts.below->minimumHeight();
    m_parts.strip->setFixedHeight(std::clamp(shared - kMinListHeight, 0, m_height));
}

void AdvertisementStrip::timeUp()
{
    m_parts.page->navigate(QStringLiteral("about:blank"));
    m_parts.strip->hide();
    m_parts.showtime->stop();
}

void AdvertisementStrip::close()
{
    m_parts.strip->hide();
}
