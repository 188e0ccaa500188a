// The main window's play and hand-off handlers: play command, line selection, Thunder, clipboard.
#include "app/tformmain.h"

#include "platform/codepage.h"
#include "platform/messageboxes.h"
#include "play/cloudplaystate.h"
#include "play/handoff.h"
#include "play/tformselcloud.h"
#include "ui_tformmain.h"

#include <QClipboard>
#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>

namespace {
// Both copy commands: one field of the selected row goes to the clipboard as text and the list's
// hint says so; with no row selected only the message is shown.
void copyRowField(QWidget* owner, QWidget* list, const std::optional<ResultRow>& row, QByteArray ResultRow::*field,
                  const QString& noRowMessage, const QString& copiedHint)
{
    if (!row) {
        MessageBoxes::inform(owner, noRowMessage);
        return;
    }
    QGuiApplication::clipboard()->setText(CodePage::fromGbk((*row).*field));
    list->setToolTip(copiedHint);
}
} // namespace

TFormSelCloud* TFormmain::newLineWindow()
{
    return new TFormSelCloud(
        [this]() -> std::optional<QByteArray> {
            if (const std::optional<ResultRow> row = selectedRow())
                return row->address;
            return std::nullopt;
        },
        [this](const QByteArray& path) { countUse(path); }, this);
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
    runPlayCommand();
}

void TFormmain::lv1Click()
{
    if (CloudPlay().singleClickPlay())
        runPlayCommand();
}

void TFormmain::actCloudPlayExecute()
{
    runPlayCommand();
}

void TFormmain::runPlayCommand()
{
    const std::optional<ResultRow> row = selectedRow();
    if (!row) {
        MessageBoxes::inform(this, QStringLiteral("请先选择一项内容!"));
        return;
    }
    QByteArray playAddress;
    if (CloudPlay().directPlay(row->address, &playAddress)) {
        HandOff::openPlayAddress(playAddress);
        return;
    }
    auto* window = newLineWindow();
    const QPoint cursor = QCursor::pos();
    window->move(cursor.x() - 232, cursor.y() - 122);
    window->show();
}

void TFormmain::btnCloudPlayClick()
{
    auto* window = newLineWindow();
    // move() places the frame, which a window not shown yet does not know: the main window's stands in.
    const QSize frame = frameGeometry().size() - size();
    window->move(frameGeometry().center() - QRect(QPoint(), window->size() + frame).center());
    window->exec();
}

void TFormmain::ThunderDownClick()
{
    const std::optional<ResultRow> row = selectedRow();
    if (!row) {
        MessageBoxes::inform(this, QStringLiteral("骚年,请先选择好电影名再点我好么?!"));
        return;
    }
    const QString path = HandOff::thunderPath();
    if (path.isEmpty()) {
        MessageBoxes::inform(this, QStringLiteral("说好的迅雷呢?"));
        return;
    }
    HandOff::startThunder(path, row->informationKey);
}

void TFormmain::mniPopCopyAddClick()
{
    copyRowField(this, m_ui->lv1, selectedRow(), &ResultRow::address, QStringLiteral("请先选中要复制的电影!"),
                 QStringLiteral("复制地址成功"));
}

void TFormmain::PopCopyCaptionClick()
{
    copyRowField(this, m_ui->lv1, selectedRow(), &ResultRow::title, QStringLiteral("请先选择要复制的电影名!"),
                 QStringLiteral("复制标题成功"));
}
