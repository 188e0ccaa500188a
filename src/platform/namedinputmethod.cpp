#include "platform/namedinputmethod.h"

#include "platform/logging.h"

#include <QEvent>
#include <QWidget>

quintptr layoutOfInputMethod(const QList<KeyboardLayout>& layouts, const QString& inputMethod)
{
    if (inputMethod.isEmpty())
        return 0;
    for (const KeyboardLayout& layout : layouts) {
        if (layout.inputMethod.compare(inputMethod, Qt::CaseInsensitive) == 0)
            return layout.handle;
    }
    return 0;
}

NamedInputMethod::NamedInputMethod(QWidget* box, const QString& inputMethod) : QObject(box), m_inputMethod(inputMethod)
{
    box->installEventFilter(this);
}

bool NamedInputMethod::eventFilter(QObject*, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        // Looked up at each focus: an input method installed while the program runs counts too.
        const quintptr wanted = layoutOfInputMethod(installedKeyboardLayouts(), m_inputMethod);
        const quintptr active = activeKeyboardLayout();
        if (wanted && wanted != active) {
            m_previous = active;
            activateKeyboardLayout(wanted);
            qCDebug(lcShell) << "input method" << m_inputMethod << "on";
        }
    } else if (event->type() == QEvent::FocusOut && m_previous) {
        activateKeyboardLayout(m_previous);
        m_previous = 0;
    }
    return false;
}
