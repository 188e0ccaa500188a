#pragma once

#include <QPlainTextEdit>

// A read-only text box whose text cannot be taken out of it: cut, copy and paste are swallowed,
// whether they come as keys or from a menu, and no context menu is offered. Selecting and
// scrolling still work.
class Tmemo final : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit Tmemo(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    // Selections would otherwise reach the X11 primary selection and drags.
    QMimeData* createMimeDataFromSelection() const override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
};
