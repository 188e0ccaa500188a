#include "play/playcommands.h"

#include "platform/codepage.h"
#include "platform/logging.h"
#include "platform/messageboxes.h"
#include "play/cloudplaystate.h"
#include "play/handoff.h"
#include "play/magnetlink.h"
#include "play/tformselcloud.h"

#include <QClipboard>
#include <QCursor>
#include <QGuiApplication>

#include <algorithm>

PlayCommands::PlayCommands(QWidget* window, QWidget* list, SelectedRow selectedRow, ShownRows shownRows,
                           CountUse countUse)
    : m_window(window), m_list(list), m_selectedRow(std::move(selectedRow)), m_shownRows(std::move(shownRows)),
      m_countUse(std::move(countUse))
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

std::optional<QString> PlayCommands::selectedMagnetLink() const
{
    const std::optional<ResultRow> row = m_selectedRow();
    if (!row)
        return std::nullopt;
    const Expected<QString> link = MagnetLink::build(*row);
    if (!link.ok()) {
        qCInfo(lcPlay) << "no magnet link for the selected row:" << link.error();
        return std::nullopt;
    }
    return link.value();
}

bool PlayCommands::selectedRowHasMagnetLink() const
{
    return selectedMagnetLink().has_value();
}

bool PlayCommands::anyShownRowHasMagnetLink() const
{
    const QList<ResultRow> rows = m_shownRows();
    return std::any_of(rows.cbegin(), rows.cend(),
                       [](const ResultRow& row) { return MagnetLink::isInformationKey(row.informationKey); });
}

void PlayCommands::copyMagnetLink()
{
    if (const std::optional<QString> link = selectedMagnetLink()) {
        QGuiApplication::clipboard()->setText(*link);
        m_list->setToolTip(QStringLiteral("复制磁力链接成功"));
    }
}

void PlayCommands::copyAllMagnetLinks()
{
    QStringList links;
    int without = 0;
    for (const ResultRow& row : m_shownRows()) {
        const Expected<QString> link = MagnetLink::build(row);
        if (link.ok())
            links.append(link.value());
        else
            ++without;
    }
    if (without > 0)
        qCInfo(lcPlay) << without << "shown rows have no information key and no magnet link";
    if (links.isEmpty())
        return;
    QGuiApplication::clipboard()->setText(links.join(QLatin1Char('\n')));
    m_list->setToolTip(QStringLiteral("复制磁力链接成功"));
}

void PlayCommands::openMagnetLink()
{
    if (const std::optional<QString> link = selectedMagnetLink())
        HandOff::openMagnetLink(*link);
}
