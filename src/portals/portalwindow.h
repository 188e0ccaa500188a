#pragma once

#include <QTimer>
#include <QWidget>

class QCheckBox;

// What the music and MV windows share: the "always on top" box with its timer, the mini-mode box
// that hides the main window, and the confirmed close. A portal window belongs to the application:
// it has no parent, is destroyed when it closes and, if still open, when the program ends.
class PortalWindow : public QWidget {
    Q_OBJECT
public:
    QTimer TmrFmMdiTop; // always-on-top timer, runs while the box is ticked

    // Whether the window is currently held above ordinary windows.
    bool isTopmost() const;

    void chkontopClick();    // the always-on-top box changed
    void chkhidemainClick(); // the mini-mode box changed
    void TmrFmMdiTopTimer(); // brings the window to the front and holds it on top

    // The window's "退出" command: asks its question and closes on OK.
    void quitCommand();

protected:
    explicit PortalWindow(int onTopIntervalMs);

    // Called by the window once its controls exist.
    void attachBoxes(QCheckBox* onTop, QCheckBox* miniMode);
    // The question asked before the window closes.
    virtual QString quitQuestion() const = 0;

    // Outer size given by the layout, placed at the centre of the desktop.
    void centreOnDesktop(QSize size);

    void closeEvent(QCloseEvent* event) override;

private:
    void setTopmost(bool topmost);

    QCheckBox* m_onTop = nullptr;
    QCheckBox* m_miniMode = nullptr;
    bool m_closeConfirmed = false;
};
