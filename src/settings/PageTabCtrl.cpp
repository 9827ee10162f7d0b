#include "settings/PageTabCtrl.h"

#include <QPushButton>

namespace dorvane {

CPageTabCtrl::CPageTabCtrl(QWidget* parent) : QTabWidget(parent)
{
    connect(this, &QTabWidget::currentChanged, this, &CPageTabCtrl::showPage);
}

bool CPageTabCtrl::AddTabPage(const QString& caption, QWidget* page, int templateId)
{
    if (pageCount_ >= kMaxPages || !page)
        return false;
    const auto i = static_cast<std::size_t>(pageCount_++);
    captions_[i] = caption;
    pages_[i] = page;
    templateIds_[i] = templateId;
    for (QPushButton* button : page->findChildren<QPushButton*>())
        if (button->isDefault())
            defaultButtons_[i] = button;
    return true;
}

void CPageTabCtrl::CreatePages()
{
    // The tab widget lays each page out in its display area and shows the page of the
    // current tab on every change, whether by mouse or keyboard.
    for (int i = count(); i < pageCount_; ++i)
        addTab(pages_[static_cast<std::size_t>(i)], captions_[static_cast<std::size_t>(i)]);
    if (pageCount_ > 0) {
        setCurrentIndex(0);
        showPage(0);
    }
}

void CPageTabCtrl::showPage(int index)
{
    // A dialog has one default button: Enter presses that of the page shown.
    if (index >= 0 && index < pageCount_ && defaultButtons_[static_cast<std::size_t>(index)])
        defaultButtons_[static_cast<std::size_t>(index)]->setDefault(true);
}

QWidget* CPageTabCtrl::Page(int index) const
{
    return index >= 0 && index < pageCount_ ? pages_[static_cast<std::size_t>(index)] : nullptr;
}

int CPageTabCtrl::TemplateId(int index) const
{
    return index >= 0 && index < pageCount_ ? templateIds_[static_cast<std::size_t>(index)] : 0;
}

} // namespace dorvane
