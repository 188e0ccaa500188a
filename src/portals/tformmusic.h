#pragma once

#include "portals/portalwindow.h"

#include <memory>

namespace Ui {
class TFormMusic;
}

// The music window: a music page under a small black tool bar. Right clicks inside it are
// swallowed, so the page never shows its context menu.
class TFormMusic final : public PortalWindow {
    Q_OBJECT
public:
    TFormMusic();
    ~TFormMusic() override;

    void btnTheMusicClick();
    void btnKugMusicClick();
    void btnQuitClick() { quitCommand(); }

protected:
    void openStartPage() override;

private:
    std::unique_ptr<Ui::TFormMusic> m_ui;
};
