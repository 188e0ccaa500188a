#pragma once

#include "ui_tformupdate.h"

#include <QDialog>
#include <QElapsedTimer>

class DownloadJob;
class QFileDialog;

// The update window: tells what the new version is, links to the home page and the mirror pages,
// holds the download controls and decides on leaving whether only it closes or the program ends.
class TFormupdate final : public QDialog, public Ui::TFormupdate {
    Q_OBJECT
public:
    explicit TFormupdate(QWidget* parent = nullptr);
    ~TFormupdate() override;

    // Set by the download once the joined archive has passed its size check; from then on leaving
    // ends the program whatever the forced-update flag says.
    bool downloadCompleted = false;

    // The save dialog of the download (created with the window, shown by the download).
    QFileDialog* SaveDialog1 = nullptr;

    // --- this window (update/tformupdate.cpp) ---
    void btnHomepageClick();
    void imgUpdatePicClick();
    void lblupdateNoteClick();
    void BtnBypass1Click();
    void BtnBypass2Click();
    void BtnBypass3Click();
    void BtnQuitClick();
    void lblupdateNoteMouseMove();
    void FormMouseMove();

    // --- download (update/tformupdate_download.cpp) ---
    void ButtonDownClick();
    void Button2Click();
    DownloadJob* download() const { return m_download; } // the running or last job, null before the first

    // The texts the window starts with, built from the product site's address.
    static QString captionText();
    static QString statusBarText();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void applyRemoteSettings();
    void connectHandlers();
    void openMirror(int number);

    QLabel* m_statusPanel = nullptr;

    // --- download (update/tformupdate_download.cpp) ---
    void startDownload();
    QString chooseSavePath(const QString& proposedName);
    void addStatusLine(const QString& line);
    void downloadTransferStarted(qint64 total);
    void downloadProgress(qint64 received, qint64 total);
    void downloadSucceeded(qint64 size);
    void downloadFailed();

    DownloadJob* m_download = nullptr;
    QElapsedTimer m_downloadClock; // from the click on ButtonDown, dialogs included
    bool m_transferring = false;   // Button2 pauses while set and lets the workers go on otherwise
    int m_progressShift = 0;       // the bar counts bytes >> shift, so that any size fits its int range
};
