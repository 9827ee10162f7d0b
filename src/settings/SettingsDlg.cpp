#include "settings/SettingsDlg.h"

#include "settings/AddressPage.h"
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
    tabs_->AddTabPage(QStringLiteral("设置商品名"), new CProductPage(tabs_), 138);
    tabs_->AddTabPage(QStringLiteral("设置常用地址"), new CAddressPage(tabs_), 145);
}

} // namespace dorvane
