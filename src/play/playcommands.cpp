#include "play/playcommands.h"

#include "platform/codepage.h"
#include "platform/messageboxes.h"
#include "play/cloudplaystate.h"
#include "play/handoff.h"
#include "play/tformselcloud.h"

#include <QClipboard>
#include <QCursor>
#include <QGuiApplication>

PlayCommands::PlayCommands(QWidget* window, QWidget* list, SelectedRow selectedRow, CountUse countUse)
    : m_window(window), m_list(list), m_selectedRow(std::move(selectedRow)), m_countUse(std::move(countUse))
{
}

TFormSelCloud* PlayCommands::newLineWindow()
{
    return new TFormSelCloud(
        [selected = m_selectedRow]() -> std::optional<QByteArray> {
            if (const std::optional<ResultRow> row = selected())
                return row->address;
            return std::nullopt;
        },
        m_countUse, m_window);
}

void PlayCommands::play()
{
    const std::optional<ResultRow> row = m_selectedRow();
    if (!row) {
        MessageBoxes::informOnScreenCentre(m_window, QStringLiteral("请先选择一项内容!"));
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

void PlayCommands::playOnSingleClick()
{
    if (CloudPlay().singleClickPlay())
        play();
}

void PlayCommands::chooseLine()
{
    auto* window = newLineWindow();
    // move() places the frame, which a window not shown yet does not know: the main window's stands in.
    const QSize frame = m_window->frameGeometry().size() - m_window->size();
    window->move(m_window->frameGeometry().center() - QRect(QPoint(), window->size() + frame).center());
    window->exec();
}

void PlayCommands::sendToThunder()
{
    const std::optional<ResultRow> row = m_selectedRow();
    if (!row) {
        MessageBoxes::informOnScreenCentre(m_window, QStringLiteral("骚年,请先选择好电影名再点我好么?!"));
        return;
    }
    const QString path = HandOff::thunderPath();
    if (path.isEmpty()) {
        MessageBoxes::informOnScreenCentre(m_window, QStringLiteral("说好的迅雷呢?"));
        return;
    }
    HandOff::startThunder(path, row->informationKey);
}

void PlayCommands::copyAddress()
{
    copyRowField(&ResultRow::address, QStringLiteral("请先选中要复制的电影!"), QStringLiteral("复制地址成功"));
}

void PlayCommands::copyTitle()
{
    copyRowField(&ResultRow::title, QStringLiteral("请先选择要复制的电影名!"), QStringLiteral("复制标题成功"));
}

void PlayCommands::copyRowField(QByteArray ResultRow::*field, const QString& noRowMessage, const QString& copiedHint)
{
    const std::optional<ResultRow> row = m_selectedRow();
    if (!row) {
        MessageBoxes::informOnScreenCentre(m_window, noRowMessage);
        return;
    }
    QGuiApplication::clipboard()->setText(CodePage::fromGbk((*row).*field));
    m_list->setToolTip(copiedHint);
}
