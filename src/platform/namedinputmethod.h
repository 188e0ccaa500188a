#pragma once

#include <QList>
#include <QObject>
#include <QString>

class QWidget;

// A keyboard layout the system has installed, with the description of its input method (empty for a
// layout without one).
struct KeyboardLayout {
    quintptr handle = 0;
    QString inputMethod;
};

// The layout whose input method is described as `inputMethod` (compared as the system lists them:
// whole, ignoring case); 0 when none is.
quintptr layoutOfInputMethod(const QList<KeyboardLayout>& layouts, const QString& inputMethod);

// The installed layouts, the active one, and a switch of the active one for this thread. Windows
// only: elsewhere there are none, and switching does nothing.
QList<KeyboardLayout> installedKeyboardLayouts();
quintptr activeKeyboardLayout();
void activateKeyboardLayout(quintptr layout);

// While `box` has the focus, the input method of that name is active where the system has it
// installed; the layout active before comes back when the focus leaves. Where it is not installed
// (and on Linux, where an input method is the desktop's choice) nothing changes.
class NamedInputMethod final : public QObject {
public:
    NamedInputMethod(QWidget* box, const QString& inputMethod);
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString m_inputMethod;
    quintptr m_previous = 0; // the layout to go back to; 0 while nothing was switched
};
