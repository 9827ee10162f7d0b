#include "updater/UrlDownload.h"

#include "updater/UpdateIntegrity.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QThread>
#include <QTimer>

namespace dorvane {

bool DownloadToFile(const QUrl& url, const QString& target, qint64 maxBytes, int stallTimeoutMs, int totalTimeoutMs,
                    DownloadError* error)
{
    auto fail = [error](DownloadError why) {
        if (error)
            *error = why;
        return false;
    };
    if (error)
        *error = DownloadError::None;
    if (!url.isValid() || url.isRelative() || target.isEmpty()
        || !IsAllowedAddress(url.toString(QUrl::FullyEncoded).toStdString()))
        return fail(DownloadError::Network);
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly))
        return fail(DownloadError::NotSaved);

    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    request.setTransferTimeout(stallTimeoutMs);
    // A redirect may not lead to another host, port or scheme: the address was checked, not
    // wherever the server sends us next.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::SameOriginRedirectPolicy);
    QNetworkReply* reply = manager.get(request);

    bool writeFailed = false;
    bool tooLong = false;
    qint64 received = 0;
    auto drain = [&] {
        if (!reply->isOpen() || tooLong)
            return;
        const QByteArray chunk = reply->readAll();
        received += chunk.size();
        if (maxBytes >= 0 && received > maxBytes) {
            // Nothing past the stated size is kept, or even waited for.
            tooLong = true;
            reply->abort();
            return;
        }
        if (!chunk.isEmpty() && file.write(chunk) != chunk.size())
            writeFailed = true;
    };
    QObject::connect(reply, &QNetworkReply::readyRead, reply, drain);
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [&] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (maxBytes >= 0 && length.isValid() && length.toLongLong() > maxBytes) {
            tooLong = true;
            reply->abort();
        }
    });

    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    // Lets the owner of a worker thread stop a transfer that is still running.
    QTimer interruptionCheck;
    QObject::connect(&interruptionCheck, &QTimer::timeout, reply, [reply] {
        if (QThread::currentThread()->isInterruptionRequested())
            reply->abort();
    });
    interruptionCheck.start(50);
    bool timedOut = false;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, reply, [reply, &timedOut] {
        timedOut = true;
        reply->abort();
    });
    if (totalTimeoutMs >= 0)
        deadline.start(totalTimeoutMs);
    if (!reply->isFinished())
        loop.exec();
    interruptionCheck.stop();
    deadline.stop();
    drain();

    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const bool httpOk = status >= 200 && status < 300;
    const bool stalled = reply->error() == QNetworkReply::OperationCanceledError && !tooLong && !timedOut
                         && !QThread::currentThread()->isInterruptionRequested();
    const bool ok = reply->error() == QNetworkReply::NoError && httpOk && !writeFailed && !tooLong && !timedOut;
    delete reply;
    if (!ok) {
        file.cancelWriting();
        if (tooLong)
            return fail(DownloadError::TooLarge);
        if (timedOut || stalled)
            return fail(DownloadError::TimedOut);
        return fail(writeFailed ? DownloadError::NotSaved : DownloadError::Network);
    }
    return file.commit() || fail(DownloadError::NotSaved);
}

} // namespace dorvane
