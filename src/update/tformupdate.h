#pragma once

#include "ui_tformupdate.h"

#include <QDialog>
#include <QElapsedTimer>

#include <functional>

class DownloadJob;
class HttpCall;
class QFileDialog;
struct DownloadOptions;
struct FileSizeReply;

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

Q_SIGNALS:
    // A use to be counted on the product server (the counter page's path): a completed update.
    void useCounted(const QByteArray& counterPath);

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
    // Runs a step of starting a job; its failures end the job with their box.
    void runJobStep(const std::function<void()>& step);
    // The size request's answer: the rest of starting a job.
    void sizeReceived(const QByteArray& url, const QString& targetPath, int workers, const DownloadOptions& options,
                      const FileSizeReply& size);
    void dropSizeRequest();
    QString chooseSavePath(const QString& proposedName);
    void addStatusLine(const QString& line);
    void downloadTransferStarted(qint64 total);
    void downloadProgress(qint64 received, qint64 total);
    void downloadSucceeded(qint64 size);
    void downloadFailed();

    DownloadJob* m_download = nullptr;
    HttpCall* m_sizeRequest = nullptr; // the size request under way, null when none
    QElapsedTimer m_downloadClock;     // from the click on ButtonDown, dialogs included
    bool m_transferring = false;       // Button2 pauses while set and lets the workers go on otherwise
    int m_progressShift = 0;           // the bar counts bytes >> shift, so that any size fits its int range
};
