#pragma once

#include "portals/portalwindow.h"

#include <memory>

namespace Ui {
class TFormMtv;
}

// The MV window: a music-video page under a small black tool bar.
class TFormMtv final : public PortalWindow {
    Q_OBJECT
public:
    TFormMtv();
    ~TFormMtv() override;

    void btn1Click(); // "重新加载"
    void btnexitClick() { quitCommand(); }

protected:
    void openStartPage() override;

private:
    std::unique_ptr<Ui::TFormMtv> m_ui;
};
