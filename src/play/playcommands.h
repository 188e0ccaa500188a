#pragma once

#include "search/resultrow.h"

#include <QByteArray>
#include <QList>

#include <functional>
#include <optional>

class QWidget;
class TFormSelCloud;

// The result list's play and hand-off commands: play a row (on the remembered line or through a
// line selection window), Thunder, and the two copy commands. Each acts on the row selected when
// it runs; with none selected it only says so.
class PlayCommands final {
public:
    using SelectedRow = std::function<std::optional<ResultRow>()>;
    using CountUse = std::function<void(const QByteArray& path)>;
    using ShownRows = std::function<QList<ResultRow>()>; // in the shown order

    // window: owns the notices and the line windows; list: its hint tells what was copied.
    PlayCommands(QWidget* window, QWidget* list, SelectedRow selectedRow, ShownRows shownRows, CountUse countUse);

    // The remembered line plays at once; without one a line window opens at the pointer.
    void play();
    void playOnSingleClick(); // play() when single-click play is chosen
    void chooseLine();        // a modal line window over the main window
    void sendToThunder();
    void copyAddress();
    void copyTitle();

    // Magnet links (see MagnetLink): of the selected row, of every shown row (one a line), and the
    // selected row's handed to the system. A row whose key is no information key has none.
    bool selectedRowHasMagnetLink() const; // the reason is logged when not
    bool anyShownRowHasMagnetLink() const;
    void copyMagnetLink();
    void copyAllMagnetLinks();
    void openMagnetLink();

private:
    TFormSelCloud* newLineWindow();
    void copyRowField(QByteArray ResultRow::*field, const QString& noRowMessage, const QString& copiedHint);
    std::optional<QString> selectedMagnetLink() const;

    QWidget* m_window;
    QWidget* m_list;
    SelectedRow m_selectedRow;
    ShownRows m_shownRows;
    CountUse m_countUse;
};
