#pragma once

#include "config/settingsview.h"
#include "platform/counterbrowser.h"
#include "portals/portalpages.h"

#include <QSize>
#include <QString>
#include <QTimer>
#include <QWidget>

class QCheckBox;
class WebView;

// What the music and MV windows share: the page under a black tool bar, the "always on top" box
// with its timer, the mini-mode box, the counted page changes and the confirmed close. A portal
// window belongs to the application: it has no parent, is destroyed when it closes and, if still
// open, when the program ends.
class PortalWindow : public QWidget {
    Q_OBJECT
public:
    // Loads the start page and shows the window. Whoever opens the window connects
    // miniModeChanged first: the start page may switch mini mode on.
    void start();

    // Whether the window is currently held above ordinary windows.
    bool isTopmost() const;

    void chkontopClick();    // the always-on-top box changed
    void chkhidemainClick(); // the mini-mode box changed
    void TmrFmMdiTopTimer(); // brings the window to the front and holds it on top

    // The window's "退出" command: asks its question and closes on OK.
    void quitCommand();

Q_SIGNALS:
    // Mini mode went on or off: its box changed, or the window closed with the box ticked (off).
    void miniModeChanged(bool on);

protected:
    // What sets one kind of portal window apart.
    struct Kind {
        QString caption; // followed by the product site's host
        QSize size;      // outer size
        int onTopIntervalMs = 0;
        QString counterName;    // the hidden counter browser's name
        QByteArray counterPath; // the counter page of a counted use
        QString quitQuestion;   // asked before the window closes
    };
    // The window's controls, handed over once they exist.
    struct Controls {
        QCheckBox* onTop = nullptr;
        QCheckBox* miniMode = nullptr;
        WebView* page = nullptr;
    };

    explicit PortalWindow(Kind kind);
    // Captions, places and connects the shared controls; called after the window's own set-up.
    void attachControls(const Controls& controls);
    // Black with white captions, as the tool bars are.
    static void paintBlack(QWidget* widget);

    virtual void openStartPage() = 0;
    // Loads the page the switch chooses (nothing when it chooses none) and tells which it was.
    SettingsView::Switched openChosenPage(const SettingsView::Switched& page, const QString& builtInPage);
    // A tool bar command: asks its question and on OK loads the address, counted when asked.
    // False when the user declined.
    bool switchPage(const QString& question, const QString& address, bool counted);
    void countUse();

    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void setTopmost(bool topmost);

    Kind m_kind;
    Controls m_controls;
    QTimer TmrFmMdiTop; // always-on-top timer, runs while the box is ticked
    CounterBrowser m_counter{m_kind.counterName};
    bool m_closeConfirmed = false;
    bool m_shownOnce = false;
};
