#include "editor/TemplateDeleteDlg.h"

#include "workspace/Workspace.h"
#include "base/MessageBox.h"
#include "text/TextFile.h"
#include "controls/ColouredLabel.h"
#include "controls/GradientButton.h"
#include "template/MoveToTrash.h"
#include "template/TemplateList.h"
#include "template/TemplateStore.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QStyle>
#include <QVBoxLayout>

namespace dorvane {

namespace {

bool Exists(const std::filesystem::path& path)
{
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

} // namespace

CTemplateDeleteDlg::CTemplateDeleteDlg(Workspace& workspace, QWidget* parent)
    : QDialog(parent), workspace_(workspace)
{
    setWindowTitle(QStringLiteral("删除模板"));
    setFont(QFont(QStringLiteral("宋体"), 9));

    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("templateList"));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    // Same order as the main window's template list, which mould.ini's position counts.
    for (const TemplateEntry& entry : SortedTemplates(workspace_.WorkFolder)) {
        auto* item = new QListWidgetItem(entry.name, list_);
        item->setData(Qt::UserRole, TemplateItemData(entry));
    }

    auto* deleteButton = new CGradientButton(QStringLiteral("删除(&D)"), this);
    deleteButton->setObjectName(QStringLiteral("deleteButton"));
    deleteButton->setDefault(true);
    auto* closeButton = new CGradientButton(QStringLiteral("退出(&X)"), this);
    closeButton->setObjectName(QStringLiteral("closeButton"));
    connect(deleteButton, &QPushButton::clicked, this, &CTemplateDeleteDlg::Deleting);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_TrashIcon).pixmap(32, 32));
    auto* side = new QVBoxLayout;
    side->addWidget(deleteButton);
    side->addWidget(closeButton);
    side->addSpacing(12);
    side->addWidget(icon, 0, Qt::AlignHCenter);
    for (const char* note : {"删除后的模板", "可以在电脑回", "收站中还原"}) {
        auto* label = ColouredLabel(QString::fromUtf8(note), kHintBlue, this);
        label->setObjectName(QStringLiteral("trashNote"));
        side->addWidget(label);
    }
    side->addStretch(1);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addLayout(side);
    resize(300, 260);
}

void CTemplateDeleteDlg::Deleting()
{
    QListWidgetItem* item = list_->currentItem();
    if (!item || !item->isSelected()) {
        showMessage(this, QStringLiteral("请选择要删除的模板!"), QStringLiteral("注意"),
                    MessageIcon::Warning);
        return;
    }
    const int position = list_->row(item);
    const QString name = item->text();
    Workspace& app = workspace_;
    const std::string fileName = TemplateFileName(item->data(Qt::UserRole));
    if (fileName == app.CurrentTemplate) {
        showMessage(this, QStringLiteral("不能删除当前正在使用的模板!"), QString::fromLatin1(kAppTitle));
        return;
    }
    if (showMessage(this, QStringLiteral("真的要删除选中的模板“%1”？").arg(name), QStringLiteral("确认"),
                    MessageIcon::Warning, MessageButtons::YesNo) != MessageAnswer::Yes)
        return;

    // The layout file goes first: it is what makes a template a template. When it cannot be
    // moved (no trash on this system, no permission) nothing has changed and the user is told
    // so; the files are never deleted outright.
    const auto layout = LayoutPath(app.WorkFolder, fileName);
    const auto picture = PicturePath(app.WorkFolder, fileName);
    if (!MoveToTrash(layout)) {
        showMessage(this, QStringLiteral("无法将模板“%1”移到回收站，模板没有删除。").arg(name),
                    QStringLiteral("注意"), MessageIcon::Warning);
        return;
    }
    // A template without a picture can still be deleted. A picture that cannot be moved stays
    // where it is, unused but not lost.
    if (Exists(picture) && !MoveToTrash(picture))
        showMessage(
            this, QStringLiteral("模板“%1”已删除，但其图片无法移到回收站，仍留在 dataM 文件夹中。").arg(name),
            QStringLiteral("注意"), MessageIcon::Warning);

    delete list_->takeItem(position);
    list_->clearSelection();
    if (position < ToInt(app.TemplatePosition) &&
        !ShiftTemplatePosition(app.settingsPaths().mouldIni, app.TemplatePosition, -1))
        showMessage(this, QStringLiteral("无法保存当前模板的位置，下次启动时可能显示另一个模板。"),
                    QStringLiteral("注意"), MessageIcon::Warning);
}

} // namespace dorvane
