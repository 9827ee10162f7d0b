#include "settings/ProductPage.h"

#include "base/MessageBox.h"
#include "controls/GradientButton.h"
#include "controls/SortListCtrl.h"
#include "settings/ListPageRules.h"
#include "settings/PageListSetup.h"
#include "store/AddressBook.h"
#include "store/StoreListeners.h"
#include "text/CodePageText.h"
#include "workspace/Workspace.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QPlainTextEdit>

namespace dorvane {

namespace {

void ShowStoreError(QWidget* parent, const StoreError& error)
{
    showMessage(parent, FromCodePage(UserMessage(error)), QString::fromLatin1(kAppTitle));
}

} // namespace

CProductPage::CProductPage(Workspace& workspace, StoreListeners& listeners, QWidget* parent)
    : QWidget(parent), workspace_(workspace), listeners_(listeners)
{
    list_ = new CSortListCtrl(this);
    list_->setObjectName(QStringLiteral("goodsList"));
    nameEdit_ = new QPlainTextEdit(this);
    nameEdit_->setObjectName(QStringLiteral("goodsNameEdit"));
    nameEdit_->setTabChangesFocus(true);
    nameEdit_->setFixedHeight(48);
    nameEdit_->installEventFilter(this);
    addButton_ = new CGradientButton(QStringLiteral("添加(&A)..."), this);
    addButton_->setObjectName(QStringLiteral("addButton"));
    addButton_->setDefault(true);
    renameButton_ = new CGradientButton(QStringLiteral("修改(&M)..."), this);
    renameButton_->setObjectName(QStringLiteral("renameButton"));
    deleteButton_ = new CGradientButton(QStringLiteral("删除(&D)"), this);
    deleteButton_->setObjectName(QStringLiteral("deleteButton"));

    auto* layout = new QGridLayout(this);
    layout->addWidget(list_, 0, 0, 5, 1);
    layout->addWidget(nameEdit_, 0, 1);
    layout->addWidget(addButton_, 1, 1);
    layout->addWidget(renameButton_, 2, 1);
    layout->addWidget(deleteButton_, 3, 1);
    layout->setRowStretch(4, 1);
    layout->setColumnStretch(0, 1);
    // The list shows its two visible columns whole; the name box and buttons take the rest.
    list_->setMinimumWidth(240);
    for (QWidget* right : {static_cast<QWidget*>(nameEdit_), static_cast<QWidget*>(addButton_),
                           static_cast<QWidget*>(renameButton_), static_cast<QWidget*>(deleteButton_)})
        right->setMaximumWidth(140);

    SetUpPageList(list_);
    list_->AddColumn(QStringLiteral("序号"), 37);
    list_->AddColumn(QStringLiteral("id"), 0);
    list_->AddColumn(QStringLiteral("  名称 (点击排序)"), 173);

    connect(addButton_, &QPushButton::clicked, this, &CProductPage::OnAdd);
    connect(renameButton_, &QPushButton::clicked, this, &CProductPage::OnRename);
    connect(deleteButton_, &QPushButton::clicked, this, &CProductPage::OnDelete);
    connect(list_, &CSortListCtrl::rowClicked, this, &CProductPage::OnListClicked);

    FillList();
}

bool CProductPage::eventFilter(QObject* watched, QEvent* event)
{
    // Enter in the name box adds, as the page's default button; a name never holds a line break.
    if (watched == nameEdit_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            addButton_->click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CProductPage::pull()
{
    Name = nameEdit_->toPlainText();
}

void CProductPage::push()
{
    if (nameEdit_->toPlainText() != Name)
        nameEdit_->setPlainText(Name);
}

void CProductPage::FillList()
{
    list_->Clear();
    const auto rows = AddressBook(workspace_.addressBook()).List(AddressTable::ProductName);
    if (!rows) {
        ShowStoreError(this, rows.error());
        return;
    }
    QList<QStringList> texts;
    texts.reserve(static_cast<qsizetype>(rows.value().size()));
    for (const StoredText& row : rows.value())
        texts.push_back({QString::number(texts.size() + 1), QString::number(row.id), FromCodePage(row.text)});
    list_->SetRows(texts);
}

bool CProductPage::NameExists(std::string_view name) const
{
    for (int row = 0; row < list_->RowCount(); ++row) {
        if (ToCodePage(list_->Text(row, 2)) == name)
            return true;
    }
    return false;
}

bool CProductPage::NameAcceptable()
{
    const QString caption = QString::fromLatin1(kAppTitle);
    if (Name.isEmpty()) {
        showMessage(this, QStringLiteral("产品名称不能为空！"), caption, MessageIcon::Warning);
        return false;
    }
    if (NameExists(ToCodePage(Name))) {
        showMessage(this, QStringLiteral("该商品名已存在！"), caption, MessageIcon::Warning);
        return false;
    }
    return true;
}

void CProductPage::OnAdd()
{
    pull();
    if (!NameAcceptable())
        return;
    const auto added = AddressBook(workspace_.addressBook())
                           .Add(AddressTable::ProductName, ToCodePage(Name));
    if (!added) {
        ShowStoreError(this, added.error());
        return;
    }
    listeners_.notify(StoreChange::Goods);
    // The fill brings back the database's order, so the new name is the last row.
    FillList();
    list_->SelectRow(list_->RowCount() - 1);
}

void CProductPage::OnRename()
{
    pull();
    const int row = list_->SelectedRow();
    if (row < 0) {
        showMessage(this, QStringLiteral("请选择您要修改的行!"), QStringLiteral("注意"),
                    MessageIcon::Warning);
        return;
    }
    const std::int64_t id = RowId(ToCodePage(list_->Text(row, 1)));
    // This also refuses renaming a row to its own unchanged name.
    if (!NameAcceptable())
        return;
    const auto changed = AddressBook(workspace_.addressBook())
                             .Change(AddressTable::ProductName, id, ToCodePage(Name));
    if (!changed) {
        ShowStoreError(this, changed.error());
        return;
    }
    listeners_.notify(StoreChange::Goods);
    FillList();
    list_->SelectRow(row);
}

void CProductPage::OnDelete()
{
    const int row = list_->SelectedRow();
    if (row < 0) {
        showMessage(this, QStringLiteral("请选择您要修改的行!"), QStringLiteral("注意"),
                    MessageIcon::Warning);
        return;
    }
    const std::int64_t id = RowId(ToCodePage(list_->Text(row, 1)));
    const MessageAnswer answer =
        showMessage(this, QStringLiteral("真的要删除第 %1 条记录吗？").arg(row + 1), QStringLiteral("注意"),
                    MessageIcon::Warning, MessageButtons::YesNo);
    if (answer == MessageAnswer::Yes) {
        list_->RemoveRow(row);
        const auto deleted =
            AddressBook(workspace_.addressBook()).Delete(AddressTable::ProductName, id);
        if (!deleted) {
            ShowStoreError(this, deleted.error());
            return;
        }
        listeners_.notify(StoreChange::Goods);
    }
    list_->SelectRow(RowAfterDelete(row, list_->RowCount()));
}

void CProductPage::OnListClicked()
{
    const int row = list_->SelectedRow();
    Name = row < 0 ? QString() : list_->Text(row, 2);
    push();
}

} // namespace dorvane
