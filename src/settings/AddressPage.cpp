#include "settings/AddressPage.h"

#include "address/AddressRecord.h"
#include "base/MessageBox.h"
#include "controls/ColouredLabel.h"
#include "controls/GradientButton.h"
#include "controls/SortListCtrl.h"
#include "settings/AddressEditDlg.h"
#include "settings/ListPageRules.h"
#include "settings/PageListSetup.h"
#include "store/AddressBook.h"
#include "store/StoreListeners.h"
#include "text/CodePageText.h"
#include "workspace/Workspace.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace dorvane {

namespace {

AddressTable TableOf(int kind)
{
    return kind == 1 ? AddressTable::SendAddress : AddressTable::ReceiptAddress;
}

void ShowStoreError(QWidget* parent, const StoreError& error)
{
    showMessage(parent, FromCodePage(UserMessage(error)), QString::fromLatin1(kAppTitle));
}

void WarnNoRow(QWidget* parent)
{
    showMessage(parent, QStringLiteral("请选择您要修改的行!"), QStringLiteral("注意"), MessageIcon::Warning);
}

} // namespace

CAddressPage::CAddressPage(Workspace& workspace, StoreListeners& listeners, QWidget* parent)
    : QWidget(parent), workspace_(workspace), listeners_(listeners)
{
    list_ = new CSortListCtrl(this);
    list_->setObjectName(QStringLiteral("addressList"));
    kindGroup_ = new QGroupBox(QStringLiteral("选择地址类别"), this);
    // The group's caption is blue; the combo inside keeps the usual colours.
    SetTextColour(kindGroup_, kHintBlue);
    QPalette caption = kindGroup_->palette();
    caption.setColor(QPalette::Text, kHintBlue); // what most styles paint the title with
    kindGroup_->setPalette(caption);
    kindCombo_ = new QComboBox(kindGroup_);
    kindCombo_->setObjectName(QStringLiteral("addressKindCombo"));
    kindCombo_->addItems({QStringLiteral("收件地址"), QStringLiteral("寄件地址")});
    kindCombo_->setPalette(palette());
    addButton_ = new CGradientButton(QStringLiteral("添加(&A)"), this);
    addButton_->setObjectName(QStringLiteral("addButton"));
    addButton_->setDefault(true);
    modifyButton_ = new CGradientButton(QStringLiteral("修改(&M)"), this);
    modifyButton_->setObjectName(QStringLiteral("modifyButton"));
    deleteButton_ = new CGradientButton(QStringLiteral("删除(&D)"), this);
    deleteButton_->setObjectName(QStringLiteral("deleteButton"));

    auto* groupLayout = new QHBoxLayout(kindGroup_);
    groupLayout->addWidget(kindCombo_);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(kindGroup_);
    bottom->addStretch();
    bottom->addWidget(addButton_, 0, Qt::AlignBottom);
    bottom->addWidget(modifyButton_, 0, Qt::AlignBottom);
    bottom->addWidget(deleteButton_, 0, Qt::AlignBottom);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addLayout(bottom);

    SetUpPageList(list_);
    list_->AddColumn(QStringLiteral("序"), 23);
    list_->AddColumn(QStringLiteral("id"), 0);
    list_->AddColumn(QStringLiteral("  详细地址(点击排序)"), 636);

    push();
    connect(kindCombo_, &QComboBox::currentIndexChanged, this, &CAddressPage::OnKindChanged);
    connect(addButton_, &QPushButton::clicked, this, &CAddressPage::OnOK);
    connect(modifyButton_, &QPushButton::clicked, this, &CAddressPage::OnModify);
    connect(deleteButton_, &QPushButton::clicked, this, &CAddressPage::OnDelete);
    connect(list_, &CSortListCtrl::rowDoubleClicked, this, &CAddressPage::OnModify);

    FillList(0);
}

void CAddressPage::pull()
{
    AddressKind = kindCombo_->currentIndex();
}

void CAddressPage::push()
{
    kindCombo_->setCurrentIndex(AddressKind);
}

void CAddressPage::FillList(int kind)
{
    list_->Clear();
    const auto rows = AddressBook(workspace_.addressBook()).List(TableOf(kind));
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

void CAddressPage::OnKindChanged()
{
    pull();
    FillList(AddressKind);
}

void CAddressPage::OnOK()
{
    pull();
    CAddressEditDlg dialog(workspace_, listeners_, this);
    dialog.AddressMode = 0;
    dialog.AddressKind = AddressKind == 1 ? 1 : 0;
    if (dialog.exec() != CAddressEditDlg::Added)
        return;
    FillList(dialog.AddressKind);
    list_->SelectRow(list_->RowCount() - 1);
}

void CAddressPage::OnModify()
{
    const int row = list_->SelectedRow();
    if (row < 0) {
        WarnNoRow(this);
        return;
    }
    const std::int64_t id = RowId(ToCodePage(list_->Text(row, 1)));
    // Column 2 is the record as stored; a record saved with a comma inside a part still opens
    // with each part in its own edit, and is saved back with that comma as "，".
    const AddressParts parts = PickedAddressParts(ToCodePage(list_->Text(row, 2)));
    CAddressEditDlg dialog(workspace_, listeners_, this);
    dialog.Name = FromCodePage(parts[0]);
    dialog.Mobile = FromCodePage(parts[1]);
    dialog.Telephone = FromCodePage(parts[2]);
    dialog.Address = FromCodePage(parts[3]);
    dialog.Postcode = FromCodePage(parts[4]);
    dialog.AddressMode = 1;
    pull();
    dialog.AddressKind = AddressKind == 1 ? 1 : 0;
    if (dialog.exec() != CAddressEditDlg::Modified)
        return;
    const auto changed = AddressBook(workspace_.addressBook())
                             .Change(TableOf(dialog.AddressKind), id, dialog.ResultRecord);
    if (!changed) {
        ShowStoreError(this, changed.error());
        return;
    }
    listeners_.notify(StoreChange::Addresses);
    FillList(dialog.AddressKind);
}

void CAddressPage::OnDelete()
{
    int row = list_->SelectedRow();
    if (row < 0) {
        WarnNoRow(this);
        return;
    }
    const std::int64_t id = RowId(ToCodePage(list_->Text(row, 1)));
    pull();
    const QString question = AddressKind == 1 ? QStringLiteral("真的要删除寄件地址的第 %1 条记录吗？")
                                              : QStringLiteral("真的要删除收件地址的第 %1 条记录吗？");
    const MessageAnswer answer = showMessage(this, question.arg(row + 1), QStringLiteral("注意"),
                                             MessageIcon::Warning, MessageButtons::YesNo);
    if (answer == MessageAnswer::Yes) {
        // The list shows what the store holds: a row the store could not delete stays, and the
        // message says why.
        const auto deleted =
            AddressBook(workspace_.addressBook()).Delete(TableOf(AddressKind), id);
        if (!deleted) {
            ShowStoreError(this, deleted.error());
            return;
        }
        listeners_.notify(StoreChange::Addresses);
        FillList(AddressKind);
    }
    list_->SelectRow(RowAfterDelete(row, list_->RowCount()));
}

} // namespace dorvane
