#include "app/guardedapplication.h"
#include "app/mainwindowopener.h"
#include "app/programcommandline.h"
#include "app/tformdeclare.h"
#include "app/tformmain.h"
#include "platform/logging.h"
#include "platform/messageboxes.h"
#include "platform/processend.h"
#include "platform/qttranslations.h"
#include "platform/singleinstance.h"
#include "services/buildinfo.h"
#include "services/sites.h"
#include "services/windowrefs.h"

#include <QApplication>
#include <QStyle>

namespace {

int runProgram(int argc, char* argv[])
{
    // Before the application object: --help and --version need no display on Linux.
    const ProgramCommandLine commandLine = parseProgramCommandLine(argc, argv);
    if (commandLine.exitStatus)
        return *commandLine.exitStatus;
    QApplication::setApplicationVersion(QString::fromLatin1(BuildInfo::version));
    QApplication::setDesktopFileName(QString::fromLatin1(BuildInfo::desktopId));
    GuardedApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("qorvex"));
    // The style Qt found tells whether the native one is installed (scripts/package --windows asks).
    qCInfo(lcShell) << "style" << QApplication::style()->name();
    // Hiding the main window (Alt+F1) or destroying the declaration must not end the program:
    // it ends only through endProgram.
    QApplication::setQuitOnLastWindowClosed(false);
    // The interface is Chinese whatever the locale: Qt's own buttons and dialogs too.
    QtTranslations::installChinese();
    // A windowed program's help and version (Windows): a notice, and nothing else starts.
    if (!commandLine.answer.isEmpty()) {
        MessageBoxes::inform(nullptr, commandLine.answer);
        return 0;
    }

    // One instance per desktop session. A later start asks the first one to bring its main window to
    // the front (nothing happens while it still shows the declaration) and ends without a window.
    SingleInstance instance(QStringLiteral("TheStandard"));
    instance.setWindowCaption(Sites::mainWindowCaption());
    if (!instance.claim()) {
        instance.notifyFirstInstance();
        return 0;
    }
    QObject::connect(&instance, &SingleInstance::activationRequested, [] {
        if (Formmain)
            Formmain->bringToFront();
    });

    // The declaration is the first window; it shows itself or, when accepted earlier, opens the
    // main window half a second later.
    FormDeclare = new TFormDeclare;
    const int code = QApplication::exec();
    destroyAllWindows();
    return code;
}

} // namespace

int main(int argc, char* argv[])
{
    return ProcessEnd::afterShutdown(runProgram(argc, argv));
}
