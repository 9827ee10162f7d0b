#include "settings/AddressEditDlg.h"

#include "address/AddressRecord.h"
#include "base/MessageBox.h"
#include "controls/GradientButton.h"
#include "settings/ListPageRules.h"
#include "store/AddressBook.h"
#include "store/StoreListeners.h"
#include "text/CodePageText.h"
#include "workspace/Workspace.h"

#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace dorvane {

CAddressEditDlg::CAddressEditDlg(Workspace& workspace, StoreListeners& listeners, QWidget* parent)
    : QDialog(parent), workspace_(workspace), listeners_(listeners)
{
    setWindowTitle(QStringLiteral("添加收件人地址信息"));
    setFont(QFont(QStringLiteral("宋体"), 9));

    nameLabel_ = new QLabel(QStringLiteral("收件人："), this);
    nameLabel_->setObjectName(QStringLiteral("nameLabel"));
    nameEdit_ = new QLineEdit(this);
    nameEdit_->setObjectName(QStringLiteral("nameEdit"));
    mobileEdit_ = new QLineEdit(this);
    mobileEdit_->setObjectName(QStringLiteral("mobileEdit"));
    telephoneEdit_ = new QLineEdit(this);
    telephoneEdit_->setObjectName(QStringLiteral("telephoneEdit"));
    addressEdit_ = new QPlainTextEdit(this);
    addressEdit_->setObjectName(QStringLiteral("addressEdit"));
    addressEdit_->setTabChangesFocus(true);
    addressEdit_->setFixedHeight(60);
    addressEdit_->installEventFilter(this);
    postcodeEdit_ = new QLineEdit(this);
    postcodeEdit_->setObjectName(QStringLiteral("postcodeEdit"));

    auto* fields = new QGridLayout;
    const auto addRow = [&](int row, QLabel* label, QWidget* edit) {
        fields->addWidget(label, row, 0, Qt::AlignRight | Qt::AlignTop);
        fields->addWidget(edit, row, 1);
    };
    addRow(0, nameLabel_, nameEdit_);
    addRow(1, new QLabel(QStringLiteral("手机号码："), this), mobileEdit_);
    addRow(2, new QLabel(QStringLiteral("电话号码："), this), telephoneEdit_);
    addRow(3, new QLabel(QStringLiteral("详细地址："), this), addressEdit_);
    addRow(4, new QLabel(QStringLiteral("邮编："), this), postcodeEdit_);

    okButton_ = new CGradientButton(QStringLiteral("添加(&A)"), this);
    okButton_->setObjectName(QStringLiteral("okButton"));
    okButton_->setDefault(true);
    okButton_->setAutoDefault(true);
    cancelButton_ = new CGradientButton(QStringLiteral("取消(&C)"), this);
    cancelButton_->setObjectName(QStringLiteral("cancelButton"));
    connect(okButton_, &QPushButton::clicked, this, &CAddressEditDlg::OnOK);
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton_);
    buttons->addWidget(cancelButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    resize(360, 0);
}

void CAddressEditDlg::showEvent(QShowEvent* event)
{
    if (!initialised_) {
        initialised_ = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
}

void CAddressEditDlg::OnInitDialog()
{
    const bool sender = AddressKind == 1;
    const bool modify = AddressMode == 1;
    if (modify)
        setWindowTitle(sender ? QStringLiteral("修改寄件人地址信息") : QStringLiteral("修改收件人地址信息"));
    else if (sender)
        setWindowTitle(QStringLiteral("添加寄件人地址信息"));
    nameLabel_->setText(sender ? QStringLiteral("寄件人：") : QStringLiteral("收件人："));
    okButton_->setText(modify ? QStringLiteral("修改(&M)") : QStringLiteral("添加(&A)"));
    push();
}

bool CAddressEditDlg::eventFilter(QObject* watched, QEvent* event)
{
    // Enter in the address edit confirms the dialog; Ctrl+Enter still starts a new line.
    if (watched == addressEdit_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            !(key->modifiers() & Qt::ControlModifier)) {
            okButton_->click();
            return true;
        }
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            addressEdit_->insertPlainText(QStringLiteral("\n"));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CAddressEditDlg::pull()
{
    Name = nameEdit_->text();
    Mobile = mobileEdit_->text();
    Telephone = telephoneEdit_->text();
    Address = addressEdit_->toPlainText();
    Postcode = postcodeEdit_->text();
}

void CAddressEditDlg::push()
{
    nameEdit_->setText(Name);
    mobileEdit_->setText(Mobile);
    telephoneEdit_->setText(Telephone);
    addressEdit_->setPlainText(Address);
    postcodeEdit_->setText(Postcode);
}

void CAddressEditDlg::OnOK()
{
    pull();
    // No part is checked: empty parts give adjacent commas.
    const std::string record = JoinAddressRecord({ToCodePage(Name), ToCodePage(Mobile), ToCodePage(Telephone),
                                                  ToCodePage(Address), ToCodePage(Postcode)});
    if (AddressMode == 1) {
        ResultRecord = record;
        done(Modified);
        return;
    }
    const AddressTable table = AddressKind == 1 ? AddressTable::SendAddress : AddressTable::ReceiptAddress;
    const auto added = AddressBook(workspace_.addressBook()).Add(table, record);
    if (!added) {
        // The dialog stays open with what was typed.
        showMessage(this, FromCodePage(UserMessage(added.error())), QString::fromLatin1(kAppTitle));
        return;
    }
    listeners_.notify(StoreChange::Addresses);
    done(Added);
}

} // namespace dorvane
