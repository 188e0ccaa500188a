// first-page <address>: shows a window, then navigates a new page view to the address and prints
// the milliseconds from the navigation to the page's loadFinished; ends at once after that
// (status 1 when the page did not load).
// Built twice: with the program's WebView, which loads the browser module on this first page, and
// (LINK_WEBENGINE) with a Qt WebEngine view linked into the program, created on the first page.
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#ifdef LINK_WEBENGINE
#include <QWebEngineView>
using PageView = QWebEngineView;
#else
#include "platform/webview.h"
using PageView = WebView;
#endif

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: first-page <address>\n");
        return 2;
    }
    const QString address = QString::fromLocal8Bit(argv[1]);
    QWidget window;
    window.resize(1024, 656);
    auto* layout = new QVBoxLayout(&window);
    window.show();

    QElapsedTimer sinceNavigation;
    QTimer::singleShot(0, &window, [&] {
        sinceNavigation.start();
        auto* view = new PageView(&window);
        layout->addWidget(view);
        QObject::connect(view, &PageView::loadFinished, [&](bool ok) {
            std::printf("%.1f\n", double(sinceNavigation.nsecsElapsed()) / 1e6);
            std::fflush(stdout);
            std::_Exit(ok ? 0 : 1); // the engine's teardown is not part of the figure
        });
#ifdef LINK_WEBENGINE
        view->setUrl(QUrl::fromUserInput(address));
#else
        view->navigate(address);
#endif
    });
    return QApplication::exec();
}
