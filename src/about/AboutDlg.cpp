#include "about/AboutDlg.h"

#include "about/LinkLabel.h"
#include "base/ProgramPictures.h"
#include "controls/GradientButton.h"

#include <QDesktopServices>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QThread>
#include <QVBoxLayout>

namespace dorvane {

namespace {

const QString kProgressText = QStringLiteral("正在连接网络，检测新版本");

QLineEdit* ContactEdit(const QString& name, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setReadOnly(true);
    edit->setFrame(false);
    return edit;
}

} // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("关于 Halvik快递单打印软件"));
    setFont(QFont(QStringLiteral("宋体"), 9));
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    white.setColor(QPalette::Base, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);
    checkParams_.updaterProgram = DefaultUpdaterProgram();

    auto* layout = new QVBoxLayout(this);
    auto* head = new QHBoxLayout;
    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("programIconLabel"));
    icon->setPixmap(ProgramIcon().pixmap(32, 32));
    head->addWidget(icon, 0, Qt::AlignTop);
    auto* names = new QVBoxLayout;
    names->addWidget(new QLabel(QStringLiteral("Halvik快递单打印软件 2.2.2 版"), this));
    names->addWidget(new QLabel(QStringLiteral("Halvik软件：为小店铺和个人卖家打造简单好用的工具"), this));
    head->addLayout(names, 1);
    layout->addLayout(head);

    auto* contacts = new QGridLayout;
    emailEdit_ = ContactEdit(QStringLiteral("emailEdit"), this);
    qqEdit_ = ContactEdit(QStringLiteral("qqEdit"), this);
    link_ = new CLinkLabel(QString(), this, QString::fromLatin1(kMakerSite));
    link_->setObjectName(QStringLiteral("siteLink"));
    contacts->addWidget(new QLabel(QStringLiteral("E_Mail："), this), 0, 0);
    contacts->addWidget(emailEdit_, 0, 1);
    contacts->addWidget(new QLabel(QStringLiteral("QQ："), this), 1, 0);
    contacts->addWidget(qqEdit_, 1, 1);
    contacts->addWidget(new QLabel(QStringLiteral("网址："), this), 2, 0);
    contacts->addWidget(link_, 2, 1, Qt::AlignLeft);
    layout->addLayout(contacts);

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("aboutPictureLabel"));
    picture->setPixmap(AboutPicture());
    layout->addWidget(picture, 0, Qt::AlignHCenter);

    auto* buttons = new QHBoxLayout;
    auto* custom = new CGradientButton(QStringLiteral("定制软件"), this);
    custom->setObjectName(QStringLiteral("customSoftwareButton"));
    auto* update = new CGradientButton(QStringLiteral("在线升级"), this);
    update->setObjectName(QStringLiteral("onlineUpdateButton"));
    auto* ok = new CGradientButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    buttons->addWidget(custom);
    buttons->addWidget(update);
    buttons->addStretch();
    buttons->addWidget(ok);
    layout->addLayout(buttons);

    progressLabel_ = new QLabel(kProgressText + QStringLiteral(" · · ·"), this);
    progressLabel_->setObjectName(QStringLiteral("updateProgressLabel"));
    progressLabel_->setAlignment(Qt::AlignCenter);
    layout->addWidget(progressLabel_);

    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(custom, &QPushButton::clicked, this, &CAboutDlg::OnCustomSoftware);
    connect(update, &QPushButton::clicked, this, &CAboutDlg::OnOnlineUpdate);
    timer_.setInterval(500);
    connect(&timer_, &QTimer::timeout, this, &CAboutDlg::OnTimer);
    OnInitDialog();
}

void CAboutDlg::OnInitDialog()
{
    link_->setTooltipText(QStringLiteral("欢迎光临Halvik软件!"));
    link_->setAddress(QString::fromLatin1(kMakerSite));
    link_->setUnderlineMode(1);
    QPalette linkBackground = link_->palette();
    linkBackground.setColor(QPalette::Window, Qt::white);
    link_->setPalette(linkBackground);

    qq_ = QString::fromLatin1(kMakerQQ);
    email_ = QString::fromLatin1(kMakerEmail);
    qqEdit_->setText(qq_);
    emailEdit_->setText(email_);
    qqEdit_->setFocus();
    qqEdit_->selectAll();

    progressLabel_->hide();
    flags_->UpdateFound = 0;
    flags_->UpdateCheckEnded = 0;
}

void CAboutDlg::OnCustomSoftware()
{
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(kCustomSoftwarePage)));
}

void CAboutDlg::OnOnlineUpdate()
{
    progressLabel_->show();
    progressLabel_->repaint();
    ticks_ = 0;
    timer_.start();

    UpdateCheckParams params = checkParams_;
    params.localFolder = QDir::currentPath();
    // The worker outlives the box when it is closed during a check; it reports only through
    // the flags and deletes itself when done.
    QThread* worker = QThread::create([params, flags = flags_] { CheckUpdateThread(params, flags); });
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    worker->start();
}

void CAboutDlg::OnTimer()
{
    ++ticks_;
    if (flags_->UpdateFound) {
        timer_.stop();
        accept();
        return;
    }
    if (flags_->UpdateCheckEnded) {
        progressLabel_->hide();
        timer_.stop();
        update();
        flags_->UpdateCheckEnded = 0;
        return;
    }
    static const QString kDots[] = {QStringLiteral(" · · ·"), QStringLiteral(" ·"), QStringLiteral(" · ·")};
    progressLabel_->setText(kProgressText + kDots[ticks_ % 3]);
    progressLabel_->repaint();
}

} // namespace dorvane
