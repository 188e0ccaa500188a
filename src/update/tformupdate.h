#pragma once

#include <QDialog>
#include <QElapsedTimer>

#include <memory>

class DownloadJob;
class HttpCall;
class QFileDialog;
class QLabel;
struct DownloadOptions;
struct FileSizeReply;

namespace Ui {
class TFormupdate;
}

// The update window: tells what the new version is, links to the home page and the mirror pages,
// holds the download controls and decides on leaving whether only it closes or the program ends.
class TFormupdate final : public QDialog {
    Q_OBJECT
public:
    explicit TFormupdate(QWidget* parent = nullptr);
    ~TFormupdate() override;

    // The version line above the note: the announced version, as the settings document names it.
    void showReleaseNote(const QString& version);

Q_SIGNALS:
    // A use to be counted on the product server (the counter page's path): a completed update.
    void useCounted(const QByteArray& counterPath);

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // The handlers of the window's controls, connected when it is created (the download's two are in
    // update/tformupdate_download.cpp).
    void btnHomepageClick();
    void imgUpdatePicClick();
    void lblupdateNoteClick();
    void BtnBypass1Click();
    void BtnBypass2Click();
    void BtnBypass3Click();
    void BtnQuitClick();
    void lblupdateNoteMouseMove();
    void FormMouseMove();
    void ButtonDownClick();
    void Button2Click();

    // The texts the window starts with, built from the product site's address.
    static QString captionText();
    // Where the save dialog opens: the working folder, or the downloads folder where that cannot be written.
    static QString saveDialogStartFolder();
    static QString statusBarText();

    void applyRemoteSettings();
    void connectHandlers();
    void openMirror(int number);

    std::unique_ptr<Ui::TFormupdate> m_ui;
    QLabel* m_statusPanel = nullptr;
    // The save dialog of the download (created with the window, shown by the download).
    QFileDialog* m_saveDialog = nullptr;
    // Set once the joined archive has passed its size check; from then on leaving ends the program
    // whatever the forced-update flag says.
    bool m_downloadCompleted = false;

    // --- download (update/tformupdate_download.cpp) ---
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
    void reportNoUpdate(); // the download gave nothing that could be an update

    DownloadJob* m_download = nullptr;
    HttpCall* m_sizeRequest = nullptr; // the size request under way, null when none
    QElapsedTimer m_downloadClock;     // from the click on ButtonDown, dialogs included
    bool m_transferring = false;       // Button2 pauses while set and lets the workers go on otherwise
    int m_progressShift = 0;           // the bar counts bytes >> shift, so that any size fits its int range
};
