#pragma once

#include "platform/counterbrowser.h"
#include "portals/portalwindow.h"
#include "ui_tformmusic.h"

// The music window: a music page under a small black tool bar. Right clicks inside it are
// swallowed, so the page never shows its context menu.
class TFormMusic final : public PortalWindow, public Ui::TFormMusic {
    Q_OBJECT
public:
    TFormMusic();

    CounterBrowser wbMusicNum{QStringLiteral("wbMusicNum")};

    void btnTheMusicClick();
    void btnKugMusicClick();
    void btnQuitClick() { quitCommand(); }

protected:
    QString quitQuestion() const override;

private:
    void openStartPage();
};
