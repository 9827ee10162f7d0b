#pragma once
// A small HTTP server on 127.0.0.1 for the update tests: serves byte strings by path, can
// cut a response off halfway, hold one back until released, redirect (the body is the
// Location), send a body of no stated length and keep the connection open as if more were to
// come, send a body one byte a second, and tell a port where nobody listens. It runs on the test's thread, so the test
// must keep processing events while a download is under way.
// As a web proxy it answers plain requests by their full URL and, once given a certificate,
// CONNECT tunnels to an https: host, whose requests it answers as "https://HOST/PATH".

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslSocket>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

namespace dorvane::test {

class LocalHttpServer {
public:
    enum class Mode { Whole, CutHalfway, Held, Redirect, Unending, Trickle };

    LocalHttpServer()
    {
        server_.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection())
                accept(socket);
        });
    }

    void serve(const QString& path, const QByteArray& body, Mode mode = Mode::Whole)
    {
        files_.insert(path, {body, mode});
    }

    void remove(const QString& path) { files_.remove(path); }

    // The certificate and key a tunnelled https: host is answered with.
    void setTunnelIdentity(const QSslCertificate& certificate, const QSslKey& key)
    {
        certificate_ = certificate;
        key_ = key;
    }

    QUrl base() const { return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(server_.serverPort())); }
    QUrl url(const QString& path) const { return QUrl(base().toString() + path); }
    const QStringList& requests() const { return requests_; }
    int heldCount() const { return static_cast<int>(held_.size()); }

    // Sends the held responses whole.
    void release()
    {
        for (auto& [socket, body] : held_) {
            if (socket)
                respond(socket, body, Mode::Whole);
        }
        held_.clear();
    }

    // A base address on 127.0.0.1 where connections are refused.
    static QUrl unreachableBase()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        const quint16 port = probe.serverPort();
        probe.close();
        return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(port));
    }

private:
    struct File {
        QByteArray body;
        Mode mode;
    };

    void accept(QTcpSocket* socket)
    {
        QObject::connect(socket, &QTcpSocket::disconnected, socket, [this, socket] {
            tunnels_.remove(socket);
            socket->deleteLater();
        });
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
            QByteArray& buffer = pending_[socket];
            buffer += socket->readAll();
            if (!buffer.contains("\r\n\r\n"))
                return;
            const QList<QByteArray> requestLine = buffer.left(buffer.indexOf("\r\n")).split(' ');
            pending_.remove(socket);
            QString path = requestLine.size() > 1 ? QString::fromLatin1(requestLine[1]) : QString();
            auto* ssl = qobject_cast<QSslSocket*>(socket);
            if (requestLine.value(0) == "CONNECT" && ssl && !certificate_.isNull()) {
                QString host = path;
                host.remove(QStringLiteral(":443"));
                tunnels_.insert(socket, host);
                socket->write("HTTP/1.1 200 Connection established\r\n\r\n");
                ssl->setLocalCertificate(certificate_);
                ssl->setPrivateKey(key_);
                ssl->startServerEncryption();
                return;
            }
            if (tunnels_.contains(socket))
                path = QStringLiteral("https://") + tunnels_.value(socket) + path;
            requests_.append(path);
            const auto found = files_.constFind(path);
            if (found == files_.constEnd()) {
                socket->write("HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\nConnection: close\r\n\r\nnot found");
                socket->disconnectFromHost();
            } else if (found->mode == Mode::Held) {
                held_.append({QPointer<QTcpSocket>(socket), found->body});
            } else {
                respond(socket, found->body, found->mode);
            }
        });
    }

    static void respond(QTcpSocket* socket, const QByteArray& body, Mode mode)
    {
        if (mode == Mode::Redirect) {
            socket->write("HTTP/1.1 302 Found\r\nLocation: " + body
                          + "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
            socket->disconnectFromHost();
            return;
        }
        if (mode == Mode::Unending) {
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nConnection: close\r\n\r\n" + body);
            return;
        }
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: "
                      + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n");
        if (mode == Mode::Trickle) {
            // Never silent long enough for a stall to be noticed, and never done.
            auto* timer = new QTimer(socket);
            QObject::connect(timer, &QTimer::timeout, socket, [socket, body, sent = qsizetype(0)]() mutable {
                if (sent < body.size())
                    socket->write(body.mid(sent++, 1));
            });
            timer->start(1000);
            return;
        }
        socket->write(mode == Mode::CutHalfway ? body.left(body.size() / 2) : body);
        socket->disconnectFromHost();
    }

    // Its sockets can start TLS in the middle of a connection, for CONNECT tunnels.
    class Server : public QTcpServer {
    protected:
        void incomingConnection(qintptr handle) override
        {
            auto* socket = new QSslSocket(this);
            socket->setSocketDescriptor(handle);
            addPendingConnection(socket);
        }
    };

    Server server_;
    QSslCertificate certificate_;
    QSslKey key_;
    QHash<QTcpSocket*, QString> tunnels_;
    QHash<QString, File> files_;
    QHash<QTcpSocket*, QByteArray> pending_;
    QList<QPair<QPointer<QTcpSocket>, QByteArray>> held_;
    QStringList requests_;
};

} // namespace dorvane::test
