#pragma once
// Publishes an update on the tests' local server as the maker does: each file under
// /DRV_update/, and a manifest of their sizes and hashes signed with a key pair made for the
// test, which the updater under test is told to trust.

#include "updater/LocalHttpServer.h"
#include "updater/UpdateIntegrity.h"

#include <QByteArray>
#include <QString>

#include <string>

namespace dorvane::test {

class TestPublisher {
public:
    explicit TestPublisher(LocalHttpServer& server) : server_(server), keys_(MakeKeyPair()) {}

    UpdateTrust trust() const { return {server_.base().toString().toStdString(), keys_.first}; }
    QString keyHex() const
    {
        return QString::fromStdString(
            ToHex(std::string_view(reinterpret_cast<const char*>(keys_.first.data()), keys_.first.size())));
    }
    static QString path(const QString& name) { return QStringLiteral("/DRV_update/") + name; }
    QString url(const QString& name) const { return server_.url(path(name)).toString(); }

    // Serves the file and lists it in the manifest, marked executable when asked.
    void publish(const QString& name, const QByteArray& bytes, bool executable = false)
    {
        server_.serve(path(name), bytes);
        const std::string_view view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        manifest_.files.push_back({name.toStdString(), view.size(), Sha256Hex(view), executable});
    }

    // Serves the manifest for version and its signature, made with signer (the trusted key
    // unless another is given); the manifest is sent as manifestMode says.
    void sign(int version = 223, const SecretKey* signer = nullptr,
              LocalHttpServer::Mode manifestMode = LocalHttpServer::Mode::Whole)
    {
        manifest_.version = version;
        const std::string text = WriteManifest(manifest_);
        const std::string signature = SignDetached(text, signer ? *signer : keys_.second);
        server_.serve(QString::fromLatin1(kManifestPath.data(), kManifestPath.size()), QByteArray::fromStdString(text),
                      manifestMode);
        server_.serve(QString::fromLatin1(kManifestSignaturePath.data(), kManifestSignaturePath.size()),
                      QByteArray::fromStdString(signature));
    }

private:
    LocalHttpServer& server_;
    std::pair<PublicKey, SecretKey> keys_;
    Manifest manifest_;
};

} // namespace dorvane::test
