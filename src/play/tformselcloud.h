#pragma once

#include "ui_tformselcloud.h"

#include <QButtonGroup>
#include <QDialog>

// The line selection window: pick line 1 or line 2 to play the row that was selected when the
// window was created, remember a line for later plays, and choose single- or double-click play.
// It deletes itself when closed.
class TFormSelCloud final : public QDialog, public Ui::TFormSelCloud {
    Q_OBJECT
public:
    explicit TFormSelCloud(QWidget* parent = nullptr);

    // The address of the row selected in the main list at creation; empty when none was.
    const QByteArray& windowRowAddress() const { return m_windowRowAddress; }
    int RgClickItemIndex() const { return m_rgClick.checkedId(); }

    void chooseLine(int line); // a click on the line's picture or on either of its labels
    void chkSelLoveLinesClick(int line);
    void RgClickClick();
    void BtnCloseClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QButtonGroup m_rgClick;
    QByteArray m_windowRowAddress;
};
