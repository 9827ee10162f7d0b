#include "updater/UpdorvDlg.h"

#include "base/MessageBox.h"
#include "base/ProgramPictures.h"
#include "updater/NativePath.h"
#include "updater/UrlDownload.h"

#include <QContextMenuEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTemporaryDir>
#include <QThread>
#include <QVBoxLayout>

namespace dorvane {

SwapStepHook BeforeSwapStep;

namespace {

constexpr int kRange = 200;
constexpr int kStep = 10;
const QColor kBandColour(85, 26, 139);

QString Padded(const QString& text)
{
    return QString(39, QLatin1Char(' ')) + text + QString(47, QLatin1Char(' '));
}

void SetStepColours(QLabel* label, bool current)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, current ? kBandColour : QColor(Qt::white));
    palette.setColor(QPalette::WindowText, current ? QColor(Qt::white) : QColor(Qt::black));
    label->setPalette(palette);
    label->setAutoFillBackground(true);
}

} // namespace

UpdateFailure DownloadUpdate(const std::filesystem::path& updaterFolder, const VersionFile& versionFile,
                             const UpdateTrust& trust)
{
    namespace fs = std::filesystem;
    auto refuse = [](UpdateFailure failure, const std::string& why) {
        qWarning("Updorv: %s", why.c_str());
        return failure;
    };
    auto interrupted = [] { return QThread::currentThread()->isInterruptionRequested(); };
    auto toUrl = [](const std::string& url) { return QUrl(QString::fromStdString(url), QUrl::StrictMode); };
    auto downloadFailure = [](DownloadError error, UpdateFailure tooLarge) {
        switch (error) {
        case DownloadError::TooLarge: return tooLarge;
        case DownloadError::TimedOut: return UpdateFailure::TimedOut;
        case DownloadError::NotSaved: return UpdateFailure::NotPlaced;
        default: return UpdateFailure::Network;
        }
    };

    // Addresses and names are judged before the first request.
    UpdatePlan plan = PlanUpdate(versionFile, trust.server);
    if (!plan.error.empty())
        return refuse(plan.failure, plan.error);
    if (const std::string folder = TakenByFolder(updaterFolder, plan.items); !folder.empty())
        return refuse(UpdateFailure::Refused, "a folder has the name " + folder);

    // Everything is fetched into a folder beside the installed files, so that putting the new
    // files in place is a rename on the same disk; the folder goes with whatever is left in it.
    QTemporaryDir staging(ToQPath(updaterFolder / ".updorv-XXXXXX"));
    if (!staging.isValid())
        return refuse(UpdateFailure::NotPlaced, "no staging folder");
    const fs::path stage = ToFsPath(staging.path());
    DownloadError error = DownloadError::None;
    auto readSmall = [&](std::string_view serverPath, const char* name) -> std::optional<std::string> {
        const fs::path file = stage / name;
        if (!DownloadToFile(toUrl(ServerFileUrl(trust.server, serverPath)), ToQPath(file),
                            static_cast<qint64>(kManifestMaxBytes), kSmallFileTimeoutMs, kSmallFileTimeoutMs, &error))
            return std::nullopt;
        QFile in(ToQPath(file));
        if (!in.open(QIODevice::ReadOnly))
            return std::nullopt;
        return in.read(static_cast<qint64>(kManifestMaxBytes)).toStdString();
    };
    const auto manifest = readSmall(kManifestPath, "manifest.txt");
    const auto signature = manifest ? readSmall(kManifestSignaturePath, "manifest.sig") : std::nullopt;
    if (!manifest || !signature)
        return refuse(downloadFailure(error, UpdateFailure::Signature), "no manifest");
    plan = ConfirmPlan(std::move(plan), versionFile, *manifest, *signature, trust.key);
    if (!plan.error.empty())
        return refuse(plan.failure, plan.error);

    SwapJournal swap;
    swap.staging = stage.filename().string();
    for (std::size_t i = 0; i < plan.items.size(); ++i) {
        const UpdateItem& item = plan.items[i];
        const fs::path staged = StagedFile(updaterFolder, swap, i);
        if (interrupted())
            return refuse(UpdateFailure::Network, "interrupted");
        if (!DownloadToFile(toUrl(item.url), ToQPath(staged), static_cast<qint64>(item.size), 30000,
                            FileTimeoutMs(item.size), &error))
            return refuse(downloadFailure(error, UpdateFailure::Incomplete), "download failed: " + item.url);
        if (const std::string mismatch = CheckDownloadedFile(staged, item); !mismatch.empty())
            return refuse(UpdateFailure::Incomplete, mismatch);
        const fs::path target = updaterFolder / Utf8FileName(item.localName);
        if (!GiveInstalledMode(staged, target, item.executable))
            return refuse(UpdateFailure::NotPlaced, "cannot set the mode of " + item.localName);
        swap.files.push_back({item.localName, item.sha256, false});
    }
    if (interrupted())
        return refuse(UpdateFailure::NotPlaced, "interrupted");
    if (!SwapIn(updaterFolder, std::move(swap), BeforeSwapStep)) {
        // A swap that could not even be undone keeps its journal, and the old files set aside
        // in the staging folder, for the next start to put back.
        if (HasSwapJournal(updaterFolder))
            staging.setAutoRemove(false);
        return refuse(UpdateFailure::NotPlaced, "the new files could not be put in place");
    }
    return UpdateFailure::None;
}

QString FailureMessage(UpdateFailure failure)
{
    switch (failure) {
    case UpdateFailure::None: return {};
    case UpdateFailure::Network: break;
    case UpdateFailure::TimedOut: return QStringLiteral("服务器长时间没有送完升级文件，已放弃！升级不成功！");
    case UpdateFailure::Signature: return QStringLiteral("升级文件签名不符！升级不成功！");
    case UpdateFailure::Incomplete: return QStringLiteral("升级文件不完整！升级不成功！");
    case UpdateFailure::Refused: return QStringLiteral("升级信息有误！升级不成功！");
    case UpdateFailure::NotNewer: return QStringLiteral("升级文件的版本不比当前新！升级不成功！");
    case UpdateFailure::NotPlaced: return QStringLiteral("新文件无法放入程序文件夹！升级不成功！");
    }
    return QStringLiteral("网络连接不通！升级不成功！");
}

CUpdorvDlg::CUpdorvDlg(std::filesystem::path updaterFolder, UpdateTrust trust, QWidget* parent)
    : QDialog(parent), UpdaterFolder(std::move(updaterFolder)), trust_(std::move(trust))
{
    setWindowTitle(QStringLiteral("升级程序"));
    setFont(QFont(QStringLiteral("Tahoma"), 9));
    setWindowIcon(ProgramIcon());
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    setPalette(white);
    setAutoFillBackground(true);

    auto* layout = new QVBoxLayout(this);
    auto addStep = [&](QStyle::StandardPixmap icon, const QString& text, const char* name) {
        auto* row = new QHBoxLayout;
        auto* iconLabel = new QLabel(this);
        iconLabel->setPixmap(style()->standardIcon(icon).pixmap(24, 24));
        auto* label = new QLabel(Padded(text), this);
        label->setObjectName(QLatin1String(name));
        row->addWidget(iconLabel);
        row->addWidget(label, 1);
        layout->addLayout(row);
        return label;
    };
    downloadStep_ = addStep(QStyle::SP_ArrowDown, QStringLiteral("下载升级文件"), "downloadStepLabel");
    completeStep_ = addStep(QStyle::SP_DialogApplyButton, QStringLiteral("完成升级操作"), "completeStepLabel");
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("progressBar"));
    progress_->setTextVisible(false);
    layout->addWidget(progress_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    okButton_ = new QPushButton(QStringLiteral("确定"), this);
    okButton_->setObjectName(QStringLiteral("okButton"));
    okButton_->setDefault(true);
    cancelButton_ = new QPushButton(QStringLiteral("取消"), this);
    cancelButton_->setObjectName(QStringLiteral("cancelButton"));
    buttons->addWidget(okButton_);
    buttons->addWidget(cancelButton_);
    layout->addLayout(buttons);

    connect(okButton_, &QPushButton::clicked, this, &CUpdorvDlg::OnOK);
    connect(cancelButton_, &QPushButton::clicked, this, &CUpdorvDlg::OnOK);
    connect(&timer_, &QTimer::timeout, this, &CUpdorvDlg::OnTimer);
    OnInitDialog();
}

CUpdorvDlg::~CUpdorvDlg()
{
    // The updater ends at once on its buttons: a transfer still running is abandoned, and
    // its temporary file never replaces the target.
    if (thread_) {
        thread_->requestInterruption();
        thread_->wait();
        delete thread_;
    }
}

void CUpdorvDlg::OnInitDialog()
{
    DownloadSucceeded = 0;
    DownloadFailed = 0;
    okButton_->setEnabled(false);
    progress_->setRange(0, kRange);
    progress_->setValue(0);
    colourSteps();

    // The version file is read here rather than on the worker, so that the buttons know the
    // program's name from the start without sharing a string with the worker.
    // A file longer than any version file is not one: nothing of it is used.
    const auto versionPath = FindVersionFile(UpdaterFolder);
    QFile file(ToQPath(versionPath));
    if (!versionPath.empty() && file.open(QIODevice::ReadOnly)) {
        const QByteArray content = file.read(kVersionFileMaxBytes + 1);
        if (content.size() <= kVersionFileMaxBytes)
            versionFile_ = ParseVersionFile(std::string_view(content.constData(), static_cast<std::size_t>(content.size())));
    }
    NewProgramFile = ProgramFileFor(versionFile_.programUrl, trust_.server);

    TickInterval = 200;
    timer_.start(TickInterval);

    const auto folder = UpdaterFolder;
    const auto versionFile = versionFile_;
    const auto trust = trust_;
    thread_ = QThread::create([this, folder, versionFile, trust] {
        const UpdateFailure failure = DownloadUpdate(folder, versionFile, trust);
        const bool succeeded = failure == UpdateFailure::None;
        if (succeeded)
            DownloadSucceeded = 1;
        else
            DownloadFailed = 1;
        QMetaObject::invokeMethod(this, [this, failure] { downloadsEnded(failure); }, Qt::QueuedConnection);
        if (succeeded) {
            // The finished step stays on show for a moment before OK can be pressed.
            for (int i = 0; i < 20 && !QThread::currentThread()->isInterruptionRequested(); ++i)
                QThread::msleep(50);
            QMetaObject::invokeMethod(this, [this] { enableOk(); }, Qt::QueuedConnection);
        }
    });
    thread_->start();
}

void CUpdorvDlg::downloadsEnded(UpdateFailure failure)
{
    restartTimer(200);
    if (failure == UpdateFailure::None) {
        colourSteps();
        return;
    }
    enableOk();
    showMessage(this, FailureMessage(failure), QStringLiteral("Updorv"), MessageIcon::Warning);
}

void CUpdorvDlg::enableOk()
{
    okButton_->setEnabled(true);
}

void CUpdorvDlg::restartTimer(int interval)
{
    timer_.start(interval);
}

void CUpdorvDlg::OnTimer()
{
    if (DownloadSucceeded || DownloadFailed) {
        progress_->setValue(kRange);
        timer_.stop();
        return;
    }
    // The first half fills steadily; after it each step takes twice as long as the last.
    if (progress_->value() >= kRange / 2) {
        TickInterval *= 2;
        restartTimer(TickInterval);
    }
    progress_->setValue(std::min(progress_->value() + kStep, kRange));
}

void CUpdorvDlg::colourSteps()
{
    const bool done = DownloadSucceeded != 0;
    SetStepColours(downloadStep_, !done);
    SetStepColours(completeStep_, done);
}

bool CUpdorvDlg::startNewProgram() const
{
    if (NewProgramFile.empty() || NewProgramFile == std::string(kProgramSuffix))
        return false;
    auto program = UpdaterFolder / Utf8FileName(NewProgramFile);
    if (UpdaterFolder.empty())
        program = std::filesystem::current_path() / Utf8FileName(NewProgramFile);
    return QProcess::startDetached(ToQPath(program), {});
}

void CUpdorvDlg::OnOK()
{
    QThread::msleep(200);
    startNewProgram();
    accept();
}

void CUpdorvDlg::contextMenuEvent(QContextMenuEvent* event)
{
    // Stands in for the system-menu item of the About box.
    QMenu menu(this);
    menu.addAction(QStringLiteral("关于 Updorv(&A)..."), this, &CUpdorvDlg::showAbout);
    menu.exec(event->globalPos());
}

void CUpdorvDlg::showAbout()
{
    QDialog about(this);
    about.setObjectName(QStringLiteral("updorvAboutDialog"));
    about.setWindowTitle(QStringLiteral("关于 Updorv"));
    auto* layout = new QVBoxLayout(&about);
    auto* row = new QHBoxLayout;
    auto* icon = new QLabel(&about);
    icon->setPixmap(windowIcon().pixmap(32, 32));
    row->addWidget(icon);
    row->addWidget(new QLabel(QStringLiteral("Updorv 1.0 版"), &about), 1);
    layout->addLayout(row);
    auto* ok = new QPushButton(QStringLiteral("确定"), &about);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, &about, &QDialog::accept);
    layout->addWidget(ok, 0, Qt::AlignRight);
    about.exec();
}

} // namespace dorvane
