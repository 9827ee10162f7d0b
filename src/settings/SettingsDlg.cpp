#include "settings/SettingsDlg.h"

#include "settings/AddressPage.h"
#include "settings/DatabasePage.h"
#include "settings/PageTabCtrl.h"
#include "settings/PrintSetPage.h"
#include "settings/ProductPage.h"

#include <QVBoxLayout>

namespace dorvane {

CSettingsDlg::CSettingsDlg(Workspace& workspace, StoreListeners& listeners, QWidget* parent)
    : QDialog(parent), workspace_(workspace), listeners_(listeners)
{
    setWindowTitle(QStringLiteral("设置"));
    setFont(QFont(QStringLiteral("宋体"), 9));
    tabs_ = new CPageTabCtrl(this);
    tabs_->setObjectName(QStringLiteral("settingsTabs"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);

    auto* printSet = new CPrintSetPage(workspace_, tabs_);
    connect(printSet, &CPrintSetPage::layoutSaved, this, &CSettingsDlg::layoutSaved);
    tabs_->AddTabPage(QStringLiteral("设置打印模板"), printSet, 132);
    AddDatabasePages();
    tabs_->CreatePages();
    resize(560, 520);
}

void CSettingsDlg::AddDatabasePages()
{
    auto* products = new CProductPage(workspace_, listeners_, tabs_);
    tabs_->AddTabPage(QStringLiteral("设置商品名"), products, 138);
    auto* addresses = new CAddressPage(workspace_, listeners_, tabs_);
    tabs_->AddTabPage(QStringLiteral("设置常用地址"), addresses, 145);
    // Where the address book lives: once that changes, the two lists show the new place's rows
    // (the window's lists follow through the store's listeners, told by the page).
    auto* database = new CDatabasePage(workspace_, listeners_, tabs_);
    tabs_->AddTabPage(QStringLiteral("数据库"), database, 150);
    connect(database, &CDatabasePage::saved, this, [products, addresses] {
        products->FillList();
        addresses->FillList(addresses->AddressKind);
    });
}

} // namespace dorvane
