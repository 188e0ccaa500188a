// The update window's download: size request, segment workers, joining.
#include "platform/httpcall.h"
#include "platform/logging.h"
#include "platform/messageboxes.h"
#include "platform/testhooks.h"
#include "ui_tformupdate.h"
#include "update/downloadjob.h"
#include "update/downloadoptions.h"
#include "update/filenamefromaddress.h"
#include "update/requestfilesize.h"
#include "update/tformupdate.h"

#include <QDir>
#include <QFileDialog>
#include <QUrl>

#include <climits>

namespace {
constexpr int maxWorkers = 10;
} // namespace

void TFormupdate::ButtonDownClick()
{
    m_downloadClock.start();
    const QString address = m_ui->Edit1->text();
    if (address.isEmpty()) {
        MessageBoxes::error(this, QStringLiteral("请输入下载地址!"));
        return;
    }
    const QString targetPath = chooseSavePath(FileNameFromAddress(address));
    if (targetPath.isEmpty())
        return; // the dialog was cancelled: no folder, no download

    int workers = 0;
    if (!m_ui->Edit2->text().isEmpty()) {
        bool ok = false;
        workers = m_ui->Edit2->text().trimmed().toInt(&ok, 10);
        if (!ok) {
            MessageBoxes::error(this, QStringLiteral("请输入数字\r"));
            return;
        }
    } else if (MessageBoxes::askYesNo(this, QStringLiteral("请指定线程数，最大支持10个线程，默认为单线程下载！"))) {
        workers = 1;
    } else {
        return;
    }
    if (workers > maxWorkers) {
        MessageBoxes::error(this, QStringLiteral("超过线程限制数，请重新开始！"));
        m_ui->Edit2->clear();
        return;
    }

    const QByteArray url = QUrl(address, QUrl::TolerantMode).toEncoded();
    const DownloadOptions options = testHooks().downloadOptions ? *testHooks().downloadOptions : DownloadOptions{};
    // The window stays responsive while the server is asked; one job at a time.
    m_ui->ButtonDown->setEnabled(false);
    m_sizeRequest = new HttpCall(fileSizeRequest(url, options), this);
    connect(m_sizeRequest, &HttpCall::finished, this, [=, this](const HttpResponse& response) {
        dropSizeRequest();
        const FileSizeReply size = fileSizeReplyFrom(response);
        if (size.outcome != FileSizeReply::Outcome::Ok)
            qCInfo(lcUpdate).noquote() << "size request for" << QString::fromUtf8(url) << "failed: status"
                                       << response.status << "error" << response.error;
        sizeReceived(url, targetPath, workers, options, size);
    });
    m_sizeRequest->start();
}

void TFormupdate::dropSizeRequest()
{
    if (!m_sizeRequest)
        return;
    m_sizeRequest->cancel();
    m_sizeRequest->deleteLater();
    m_sizeRequest = nullptr;
    m_ui->ButtonDown->setEnabled(true);
}

void TFormupdate::sizeReceived(const QByteArray& url, const QString& targetPath, int workers,
                               const DownloadOptions& options, const FileSizeReply& size)
{
    switch (size.outcome) {
    case FileSizeReply::Outcome::SocketError:
        MessageBoxes::error(this, QStringLiteral("下载过程取消或无法连接服务器,错误代码(1)!"));
        return;
    case FileSizeReply::Outcome::ConnectFailed:
        MessageBoxes::error(this, QStringLiteral("下载过程取消或无法连接服务器,错误代码(2)!"));
        return;
    case FileSizeReply::Outcome::HttpError:
        MessageBoxes::error(this, QStringLiteral("目标文件找不到！"));
        return;
    case FileSizeReply::Outcome::Ok:
        break;
    }
    // No worker, or an empty archive: nothing worth calling an update can come of it.
    if (workers < 1 || size.size == 0) {
        reportNoUpdate();
        return;
    }

    delete m_download;
    m_download = new DownloadJob(this);
    connect(m_download, &DownloadJob::transferStarted, this, &TFormupdate::downloadTransferStarted);
    connect(m_download, &DownloadJob::progressChanged, this, &TFormupdate::downloadProgress);
    connect(m_download, &DownloadJob::statusLine, this, &TFormupdate::addStatusLine);
    connect(m_download, &DownloadJob::segmentEnded, this,
            [this](const QString& partFileName) { addStatusLine(partFileName + QStringLiteral("download")); });
    connect(m_download, &DownloadJob::mergeStarted, this,
            [this] { addStatusLine(QStringLiteral("正在合并删除临时文件")); });
    connect(m_download, &DownloadJob::succeeded, this, &TFormupdate::downloadSucceeded);
    connect(m_download, &DownloadJob::failed, this, &TFormupdate::downloadFailed);
    connect(m_download, &DownloadJob::nothingArrived, this, [this] {
        m_ui->ButtonDown->setEnabled(true); // as after any failed download, the user may try again
        reportNoUpdate();
    });
    connect(m_download, &DownloadJob::workersFailed, this,
            [this] { MessageBoxes::inform(this, QStringLiteral("创建线程失败!")); });
    // A new job starts running; Button2 follows it from its first byte on.
    m_transferring = false;
    m_ui->Button2->setText(QStringLiteral("暂停下载"));
    switch (m_download->start(url, targetPath, workers, size.size, options)) {
    case DownloadJob::StartResult::Started:
        m_ui->ButtonDown->setEnabled(false);
        return;
    case DownloadJob::StartResult::NoPartFolder: // the folder cannot be written: as if no part could be
        downloadFailed();
        return;
    case DownloadJob::StartResult::NothingToFetch:
    case DownloadJob::StartResult::WorkersFailed:
        MessageBoxes::inform(this, QStringLiteral("创建线程失败!"));
        return;
    }
}

void TFormupdate::reportNoUpdate()
{
    MessageBoxes::inform(this, QStringLiteral("升级过程失败,请重新到主页下载更新!"));
}

QString TFormupdate::chooseSavePath(const QString& proposedName)
{
    if (testHooks().answerSaveDialog)
        return testHooks().answerSaveDialog(QDir(m_saveDialog->directory()).filePath(proposedName));
    m_saveDialog->selectFile(proposedName);
    if (m_saveDialog->exec() != QDialog::Accepted || m_saveDialog->selectedFiles().isEmpty())
        return {};
    return m_saveDialog->selectedFiles().constFirst();
}

void TFormupdate::addStatusLine(const QString& line)
{
    m_ui->ListBox1->addItem(line);
    m_ui->ListBox1->setCurrentRow(m_ui->ListBox1->count() - 1);
}

void TFormupdate::downloadTransferStarted(qint64 total)
{
    m_transferring = !m_download->isPaused();
    m_progressShift = 0;
    while (total > 0 && (total >> m_progressShift) > INT_MAX)
        ++m_progressShift;
    m_ui->ProgressBar1->setRange(0, total < 0 ? 0 : int(total >> m_progressShift)); // unknown length: busy bar
    m_ui->ProgressBar1->setValue(0);
}

void TFormupdate::downloadProgress(qint64 received, qint64 total)
{
    if (total >= 0)
        m_ui->ProgressBar1->setValue(int(std::min(received, total) >> m_progressShift));
}

void TFormupdate::downloadSucceeded(qint64 size)
{
    if (m_ui->ProgressBar1->maximum() == 0) {
        m_ui->ProgressBar1->setRange(0, 1);
        m_ui->ProgressBar1->setValue(1);
    } else {
        downloadProgress(size, size);
    }
    addStatusLine(QStringLiteral("更新成功"));
    Q_EMIT useCounted("/update/update.php");
    m_ui->lblSchedule->setText(QStringLiteral("更新成功啦,请重新打开更新好的程序吧!"));
    m_ui->BtnQuit->setText(QStringLiteral("退出"));
    m_downloadCompleted = true;

    const qint64 seconds = m_downloadClock.elapsed() / 1000;
    MessageBoxes::inform(this, QStringLiteral("恭喜您了^_^,软件已成功更新,请再次打开更新好的程序吧!"));
    m_ui->lblSchedule->setText(QStringLiteral("更新成功啦,耗时") +
                               QStringLiteral("%1").arg(seconds, 2, 10, QLatin1Char('0')) + QStringLiteral("秒") +
                               QStringLiteral("请重新打开更新好的程序吧!"));
}

void TFormupdate::downloadFailed()
{
    const QString text = QStringLiteral("下载文件出错，临时文件已删除，请重新下载！");
    addStatusLine(text);
    m_ui->lblSchedule->setText(text);
    m_ui->ButtonDown->setEnabled(true); // the user may try again
}

void TFormupdate::Button2Click()
{
    if (m_transferring) {
        if (m_download)
            m_download->pause();
        m_transferring = false;
        m_ui->Button2->setText(QStringLiteral("开始下载"));
    } else {
        if (m_download)
            m_download->resume();
        m_transferring = true;
        m_ui->Button2->setText(QStringLiteral("暂停下载"));
    }
}
