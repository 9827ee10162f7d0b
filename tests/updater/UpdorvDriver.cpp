// A Qt input plugin that the updater tests load into the real Updorv program
// (QT_QPA_GENERIC_PLUGINS=dorvaneupdorv:FILE). It plays the user: every message box is
// written to FILE, one line each, and answered; once the updater's OK button can be pressed,
// it presses it.

#include <QApplication>
#include <QFile>
#include <QGenericPlugin>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace dorvane::test {

class UpdorvDriver : public QObject {
public:
    explicit UpdorvDriver(QString messageFile) : messageFile_(std::move(messageFile))
    {
        connect(&timer_, &QTimer::timeout, this, &UpdorvDriver::step);
        timer_.start(50);
    }

private:
    void step()
    {
        QWidget* front = QApplication::activeModalWidget();
        if (!front || !front->isVisible() || front == answered_)
            return;
        if (auto* box = qobject_cast<QMessageBox*>(front)) {
            QFile file(messageFile_);
            if (file.open(QIODevice::Append))
                file.write(box->text().toUtf8() + '\n');
            answered_ = box;
            // Each box runs its own loop; answering inside this timer's slot would nest it.
            QTimer::singleShot(0, box, [box] { box->accept(); });
            return;
        }
        auto* ok = front->findChild<QPushButton*>(QStringLiteral("okButton"));
        if (!ok || !ok->isEnabled())
            return;
        timer_.stop();
        QTimer::singleShot(0, ok, [ok] { QTest::mouseClick(ok, Qt::LeftButton); });
    }

    QString messageFile_;
    QTimer timer_;
    QPointer<QWidget> answered_;
};

class UpdorvDriverPlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "UpdorvDriver.json")
public:
    QObject* create(const QString& key, const QString& spec) override
    {
        if (key.compare(QLatin1String("dorvaneupdorv"), Qt::CaseInsensitive) != 0)
            return nullptr;
        return new UpdorvDriver(spec);
    }
};

} // namespace dorvane::test

#include "UpdorvDriver.moc"
