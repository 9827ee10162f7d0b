#include "settings/DatabasePage.h"

#include "base/MessageBox.h"
#include "store/AddressBook.h"
#include "store/ConnectionString.h"
#include "store/StoreListeners.h"
#include "store/StoreLocation.h"
#include "text/CodePageText.h"
#include "workspace/Workspace.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QThread>

#include <memory>

namespace dorvane {

CDatabasePage::CDatabasePage(Workspace& workspace, StoreListeners& listeners, QWidget* parent)
    : QWidget(parent), workspace_(workspace), listeners_(listeners)
{
    auto* hint = new QLabel(QStringLiteral("留空：地址簿和打印记录保存在本机文件 dataM/Dorvane.dorv。\n"
                                           "填写 PostgreSQL 连接串（如 host=192.168.1.10 dbname=dorvane user=pack）："
                                           "各打包台共用一个地址簿和打印记录。"),
                            this);
    hint->setWordWrap(true);
    connectionEdit_ = new QLineEdit(this);
    connectionEdit_->setObjectName(QStringLiteral("connectionEdit"));
    passwordEdit_ = new QLineEdit(this);
    passwordEdit_->setObjectName(QStringLiteral("passwordEdit"));
    passwordEdit_->setEchoMode(QLineEdit::Password);
    testButton_ = new QPushButton(QStringLiteral("测试连接"), this);
    testButton_->setObjectName(QStringLiteral("testConnectionButton"));
    testButton_->setDefault(true);
    saveButton_ = new QPushButton(QStringLiteral("保存(&S)"), this);
    saveButton_->setObjectName(QStringLiteral("saveConnectionButton"));
    resultLabel_ = new QLabel(this);
    resultLabel_->setObjectName(QStringLiteral("resultLabel"));
    resultLabel_->setWordWrap(true);

    auto* layout = new QFormLayout(this);
    layout->addRow(hint);
    layout->addRow(QStringLiteral("连接串："), connectionEdit_);
    layout->addRow(QStringLiteral("密码："), passwordEdit_);
    layout->addRow(testButton_, saveButton_);
    layout->addRow(resultLabel_);

    const SplitConnection stored = SplitPassword(
        FromCodePage(LoadDatabaseConnection(DatabaseIniPath(workspace_.WorkFolder))).toStdString());
    connectionEdit_->setText(QString::fromStdString(stored.rest));
    passwordEdit_->setText(QString::fromStdString(stored.password));

    connect(testButton_, &QPushButton::clicked, this, &CDatabasePage::OnTest);
    connect(saveButton_, &QPushButton::clicked, this, &CDatabasePage::OnSave);
}

std::string CDatabasePage::ConnectionString() const
{
    return JoinPassword(connectionEdit_->text().trimmed().toStdString(), passwordEdit_->text().toStdString());
}

void CDatabasePage::OnTest()
{
    const std::string connection = ConnectionString();
    const StoreLocation location = connection.empty() ? StoreLocation(AddressBookPath(workspace_.WorkFolder))
                                                      : StoreLocation::Server(connection);
    testButton_->setEnabled(false);
    resultLabel_->setText(QStringLiteral("正在连接…"));
    // A server that does not answer takes up to the connection's time-out: the window goes on.
    auto outcome = std::make_shared<std::optional<StoreError>>();
    QThread* worker = QThread::create([location, outcome] {
        const auto listed = AddressBook(location).List(AddressTable::SendAddress);
        if (!listed)
            *outcome = listed.error();
    });
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    connect(worker, &QThread::finished, this, [this, outcome] {
        testButton_->setEnabled(true);
        if (*outcome) // the detail shows the string with its password masked
            resultLabel_->setText(FromCodePage(UserMessage(**outcome)) + QStringLiteral("\n") +
                                  QString::fromStdString((*outcome)->message));
        else
            resultLabel_->setText(QStringLiteral("连接成功"));
        emit tested();
    });
    worker->start();
}

void CDatabasePage::OnSave()
{
    if (!SaveDatabaseConnection(DatabaseIniPath(workspace_.WorkFolder),
                                ToCodePage(QString::fromStdString(ConnectionString())))) {
        showMessage(this, QStringLiteral("Set/database.ini 不能写入"), QString::fromLatin1(kAppTitle));
        return;
    }
    listeners_.notify(StoreChange::Location); // every list comes from the new place
    resultLabel_->setText(QStringLiteral("已保存"));
    emit saved();
}

} // namespace dorvane
