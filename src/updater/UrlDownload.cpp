#include "updater/UrlDownload.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QThread>
#include <QTimer>

namespace dorvane {

bool DownloadToFile(const QUrl& url, const QString& target, int stallTimeoutMs)
{
    if (!url.isValid() || url.isRelative() || target.isEmpty())
        return false;
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly))
        return false;

    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    request.setTransferTimeout(stallTimeoutMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    QNetworkReply* reply = manager.get(request);

    bool writeFailed = false;
    auto drain = [&] {
        if (!reply->isOpen())
            return;
        const QByteArray chunk = reply->readAll();
        if (!chunk.isEmpty() && file.write(chunk) != chunk.size())
            writeFailed = true;
    };
    QObject::connect(reply, &QNetworkReply::readyRead, reply, drain);

    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    // Lets the owner of a worker thread stop a transfer that is still running.
    QTimer interruptionCheck;
    QObject::connect(&interruptionCheck, &QTimer::timeout, reply, [reply] {
        if (QThread::currentThread()->isInterruptionRequested())
            reply->abort();
    });
    interruptionCheck.start(50);
    if (!reply->isFinished())
        loop.exec();
    interruptionCheck.stop();
    drain();

    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const bool httpOk = url.scheme().startsWith(QLatin1String("http")) ? (status >= 200 && status < 300) : true;
    const bool ok = reply->error() == QNetworkReply::NoError && httpOk && !writeFailed;
    delete reply;
    if (!ok) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace dorvane
