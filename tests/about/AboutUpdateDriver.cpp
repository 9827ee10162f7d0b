// A Qt input plugin that the update test loads into the real Dorvane program
// (QT_QPA_GENERIC_PLUGINS=dorvaneaboutupdate:PORT:CERTIFICATE). It plays the user: once the
// main window is in front it clicks 关于 there, then 在线升级 in the About box. It also sends
// the program's web traffic through the test's local server on PORT, which answers for the
// update server with CERTIFICATE, a PEM file the program is made to trust.

#include <QApplication>
#include <QGenericPlugin>
#include <QNetworkProxy>
#include <QPushButton>
#include <QSslConfiguration>
#include <QTest>
#include <QTimer>

namespace dorvane::test {

class AboutUpdateDriver : public QObject {
public:
    AboutUpdateDriver(quint16 proxyPort, const QString& certificate)
    {
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.addCaCertificates(certificate);
        QSslConfiguration::setDefaultConfiguration(tls);
        QNetworkProxy::setApplicationProxy(
            QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), proxyPort));
        connect(&timer_, &QTimer::timeout, this, &AboutUpdateDriver::step);
        timer_.start(50);
    }

private:
    void step()
    {
        QWidget* front = QApplication::activeModalWidget();
        if (!front || !front->isVisible())
            return;
        const auto name = aboutOpened_ ? QStringLiteral("onlineUpdateButton") : QStringLiteral("aboutButton");
        auto* button = front->findChild<QPushButton*>(name);
        if (!button)
            return;
        if (aboutOpened_)
            timer_.stop();
        aboutOpened_ = true;
        // The About box runs its own loop; the click must not run inside this timer's slot,
        // which would keep the timer from firing while the box is open.
        QTimer::singleShot(0, button, [button] { QTest::mouseClick(button, Qt::LeftButton); });
    }

    QTimer timer_;
    bool aboutOpened_ = false;
};

class AboutUpdateDriverPlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "AboutUpdateDriver.json")
public:
    QObject* create(const QString& key, const QString& spec) override
    {
        if (key.compare(QLatin1String("dorvaneaboutupdate"), Qt::CaseInsensitive) != 0)
            return nullptr;
        const qsizetype colon = spec.indexOf(QLatin1Char(':'));
        return new AboutUpdateDriver(spec.left(colon).toUShort(), spec.mid(colon + 1));
    }
};

} // namespace dorvane::test

#include "AboutUpdateDriver.moc"
