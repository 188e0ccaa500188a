#include "services/centreonscreen.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

void centreOnPrimaryScreen(QWidget* window)
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        window->move(screen->availableGeometry().center() - window->rect().center());
}

void resizeOuter(QWidget* window, QSize outer)
{
    window->winId();
    const QMargins frame = window->windowHandle() ? window->windowHandle()->frameMargins() : QMargins();
    window->resize(outer.shrunkBy(frame));
}
