#include "services/centreonscreen.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void CentreOnPrimaryScreen(QWidget* window)
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        window->move(screen->availableGeometry().center() - window->rect().center());
}
