#include "about/UpdateCheck.h"

#include "base/MessageBox.h"
#include "updater/UpdateProtocol.h"
#include "updater/UrlDownload.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>

namespace dorvane {

namespace {

// Message boxes belong to the user-interface thread; the worker does not wait for them, so
// that nothing it does can block the dialog that owns it.
void PostMessage(const QString& text, MessageIcon icon)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return;
    QMetaObject::invokeMethod(
        app, [text, icon] { showMessage(nullptr, text, QString::fromLatin1(kAppTitle), icon); },
        Qt::QueuedConnection);
}

} // namespace

void EndMainProgram()
{
    // The main window runs its own modal loop and the application's loop never runs, so
    // QCoreApplication::quit, which only asks that loop to end, would leave the program
    // running beside the updater that is replacing its file. exit() ends every loop.
    QCoreApplication::exit(0);
}

QString DefaultUpdaterProgram()
{
    return QCoreApplication::applicationDirPath() + QLatin1Char('/') + QString::fromStdString(UpdaterProgramName());
}

UpdateCheckOutcome RunUpdateCheck(const UpdateCheckParams& params, UpdateCheckFlags& flags)
{
    const QString localPath = QDir(params.localFolder).filePath(QString::fromLatin1(kLocalVersionFile.data(), kLocalVersionFile.size()));
    QUrl url = params.server;
    url.setPath(url.path().chopped(url.path().endsWith(QLatin1Char('/')) ? 1 : 0)
                + QString::fromLatin1(kVersionFilePath.data(), kVersionFilePath.size()));

    QFile file(localPath);
    DownloadError error = DownloadError::None;
    if (!DownloadToFile(url, localPath, kVersionFileMaxBytes, kSmallFileTimeoutMs, kSmallFileTimeoutMs, &error)
        || !file.open(QIODevice::ReadOnly)) {
        flags.UpdateCheckEnded = 1;
        QString text = QStringLiteral("网络连接不通");
        if (error == DownloadError::TooLarge)
            text = QStringLiteral("服务器的版本文件过大，不是升级信息，已拒收");
        else if (error == DownloadError::TimedOut)
            text = QStringLiteral("服务器长时间没有送完版本文件，已放弃检查");
        PostMessage(text, MessageIcon::Warning);
        return UpdateCheckOutcome::NoConnection;
    }
    const QByteArray firstLine = file.readLine(kVersionFileMaxBytes);
    file.close();

    if (!IsNewerVersion(std::string_view(firstLine.constData(), static_cast<std::size_t>(firstLine.size())))) {
        flags.UpdateCheckEnded = 1;
        PostMessage(QStringLiteral("此版本为最新版本"), MessageIcon::Information);
        QFile::remove(localPath);
        return UpdateCheckOutcome::Latest;
    }

    // The file stays: the updater reads the program's address from it. The program ends only
    // once the updater runs: a shop must never be left with neither.
    QThread::msleep(500);
    if (!QProcess::startDetached(params.updaterProgram, {})) {
        QFile::remove(localPath);
        flags.UpdateCheckEnded = 1;
        PostMessage(QStringLiteral("找到新版本，但升级程序无法启动，本程序继续运行。"), MessageIcon::Warning);
        return UpdateCheckOutcome::UpdaterNotStarted;
    }
    flags.UpdateFound = 1;
    if (QCoreApplication* app = QCoreApplication::instance(); app && params.endProgram)
        QMetaObject::invokeMethod(app, params.endProgram, Qt::QueuedConnection);
    return UpdateCheckOutcome::UpdateFound;
}

int CheckUpdateThread(const UpdateCheckParams& params, const std::shared_ptr<UpdateCheckFlags>& flags)
{
    RunUpdateCheck(params, *flags);
    return 0;
}

} // namespace dorvane
