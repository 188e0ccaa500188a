#pragma once

#include "platform/counterbrowser.h"
#include "portals/portalwindow.h"
#include "ui_tformmtv.h"

// The MV window: a music-video page under a small black tool bar.
class TFormMtv final : public PortalWindow, public Ui::TFormMtv {
    Q_OBJECT
public:
    TFormMtv();

    CounterBrowser wbMtvNum{QStringLiteral("wbMtvNum")};

    void btn1Click(); // "重新加载"
    void btnexitClick() { quitCommand(); }

protected:
    QString quitQuestion() const override;

private:
    void openStartPage();
};
