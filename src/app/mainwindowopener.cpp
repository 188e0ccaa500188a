#include "app/mainwindowopener.h"

#include "app/tformdeclare.h"
#include "app/tformmain.h"
#include "services/windowrefs.h"

#include <QApplication>
#include <QPointer>

void openMainWindow()
{
    if (!Formmain) {
        Formmain = new TFormmain;
        Formmain->show();
    }
    if (FormDeclare) {
        FormDeclare->hide();
        // Usually called from the declaration's own timer: let that call return first.
        FormDeclare->deleteLater();
    }
}

void destroyAllWindows()
{
    // A window's destructor may take other windows with it, so each is looked at again (through
    // its guard) just before it is deleted.
    QList<QPointer<QWidget>> windows;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (!widget->parentWidget())
            windows.append(widget);
    }
    for (const QPointer<QWidget>& window : windows)
        delete window.data();
}
