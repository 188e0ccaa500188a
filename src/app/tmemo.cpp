#include "app/tmemo.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMimeData>

namespace {
bool isClipboardKey(const QKeyEvent* event)
{
    if (event->matches(QKeySequence::Cut) || event->matches(QKeySequence::Copy) || event->matches(QKeySequence::Paste))
        return true;
    // The old-style clipboard keys, whatever the platform's key bindings say.
    const auto modifiers = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    return (event->key() == Qt::Key_Insert && (modifiers == Qt::ControlModifier || modifiers == Qt::ShiftModifier)) ||
           (event->key() == Qt::Key_Delete && modifiers == Qt::ShiftModifier);
}
} // namespace

Tmemo::Tmemo(QWidget* parent) : QPlainTextEdit(parent)
{
}

void Tmemo::keyPressEvent(QKeyEvent* event)
{
    if (isClipboardKey(event)) {
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void Tmemo::contextMenuEvent(QContextMenuEvent* event)
{
    event->accept();
}

QMimeData* Tmemo::createMimeDataFromSelection() const
{
    return new QMimeData;
}

bool Tmemo::canInsertFromMimeData(const QMimeData*) const
{
    return false;
}

void Tmemo::insertFromMimeData(const QMimeData*)
{
}
