// Baseline for the start-up benchmark: one empty Qt Widgets window of the main window's size.
#include <QApplication>
#include <QWidget>

#ifdef LINK_WEBENGINE
#include <QWebEngineView>
#endif

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
#ifdef LINK_WEBENGINE
    // Keeps the browser library linked (and its start-up hook running) without making a page.
    if (argc > 1000)
        QWebEngineView().show();
#endif
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare window"));
    window.resize(1024, 656);
    window.show();
    return QApplication::exec();
}
