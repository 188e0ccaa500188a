#include "app/sites.h"
#include "app/tformmain.h"
#include "app/windowrefs.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("qorvex"));
    QApplication::setApplicationDisplayName(Sites::applicationTitle());
    QApplication::setQuitOnLastWindowClosed(false);

    Formmain = new TFormmain;
    Formmain->show();
    const int code = QApplication::exec();
    delete Formmain;
    return code;
}
