// The main window's play and hand-off handlers: they forward to the list's play commands.
#include "app/tformmain.h"

#include "play/playcommands.h"
#include "ui_tformmain.h"

#include <QMouseEvent>

void TFormmain::setupPlay()
{
    m_play = std::make_unique<PlayCommands>(
        this, m_ui->lv1, [this] { return selectedRow(); }, [this] { return shownRows(); },
        [this](const QByteArray& path) { countUse(path); });
}

void TFormmain::lv1ViewportEvent(QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick && type != QEvent::MouseButtonRelease)
        return;
    if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
        return;
    // The handlers run once the list has finished selecting (a press where no row is selects none).
    if (type == QEvent::MouseButtonDblClick) {
        m_lv1ReleaseEndsDblClick = true;
        QMetaObject::invokeMethod(this, &TFormmain::lv1DblClick, Qt::QueuedConnection);
    } else if (type == QEvent::MouseButtonRelease) {
        if (m_lv1ReleaseEndsDblClick)
            m_lv1ReleaseEndsDblClick = false;
        else
            QMetaObject::invokeMethod(this, &TFormmain::lv1Click, Qt::QueuedConnection);
    } else {
        m_lv1ReleaseEndsDblClick = false;
    }
}

void TFormmain::lv1DblClick()
{
    m_play->play();
}

void TFormmain::lv1Click()
{
    m_play->playOnSingleClick();
}

void TFormmain::actCloudPlayExecute()
{
    m_play->play();
}

void TFormmain::btnCloudPlayClick()
{
    m_play->chooseLine();
}

void TFormmain::ThunderDownClick()
{
    m_play->sendToThunder();
}

void TFormmain::mniPopCopyAddClick()
{
    m_play->copyAddress();
}

void TFormmain::PopCopyCaptionClick()
{
    m_play->copyTitle();
}

void TFormmain::pm1Popup()
{
    const bool selectedLink = m_play->selectedRowHasMagnetLink();
    mniCopyMagnet->setEnabled(selectedLink);
    mniOpenMagnet->setEnabled(selectedLink);
    mniCopyAllMagnets->setEnabled(m_play->anyShownRowHasMagnetLink());
}

void TFormmain::mniCopyMagnetClick()
{
    m_play->copyMagnetLink();
}

void TFormmain::mniCopyAllMagnetsClick()
{
    m_play->copyAllMagnetLinks();
}

void TFormmain::mniOpenMagnetClick()
{
    m_play->openMagnetLink();
}
