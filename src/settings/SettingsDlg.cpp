#include "settings/SettingsDlg.h"

#include "workspace/Workspace.h"
#include "settings/AddressPage.h"
#include "settings/DatabasePage.h"
#include "settings/PageTabCtrl.h"
#include "settings/PrintSetPage.h"
#include "settings/ProductPage.h"

#include <QVBoxLayout>

namespace dorvane {

CSettingsDlg::CSettingsDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("设置"));
    setFont(QFont(QStringLiteral("宋体"), 9));
    tabs_ = new CPageTabCtrl(this);
    tabs_->setObjectName(QStringLiteral("settingsTabs"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);

    tabs_->AddTabPage(QStringLiteral("设置打印模板"), new CPrintSetPage(tabs_), 132);
    AddDatabasePages();
    tabs_->CreatePages();
    resize(560, 520);
}

void CSettingsDlg::AddDatabasePages()
{
    auto* products = new CProductPage(tabs_);
    tabs_->AddTabPage(QStringLiteral("设置商品名"), products, 138);
    auto* addresses = new CAddressPage(tabs_);
    tabs_->AddTabPage(QStringLiteral("设置常用地址"), addresses, 145);
    // Where the address book lives: once that changes, the two lists show the new place's rows.
    auto* database = new CDatabasePage(tabs_);
    tabs_->AddTabPage(QStringLiteral("数据库"), database, 150);
    connect(database, &CDatabasePage::saved, this, [products, addresses] {
        products->FillList();
        addresses->FillList(addresses->AddressKind);
        // The window's goods list and pickers come from the new place too.
        App().GoodsChanged = 1;
        App().AddressesChanged = 1;
    });
}

} // namespace dorvane
