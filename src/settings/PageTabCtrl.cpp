#include "settings/PageTabCtrl.h"

#include <QPushButton>

namespace dorvane {

CPageTabCtrl::CPageTabCtrl(QWidget* parent) : QTabWidget(parent)
{
    connect(this, &QTabWidget::currentChanged, this, &CPageTabCtrl::showPage);
}

bool CPageTabCtrl::AddTabPage(const QString& caption, QWidget* page, int templateId)
{
    if (m_pageCount >= kMaxPages || !page)
        return false;
    const auto i = static_cast<std::size_t>(m_pageCount++);
    m_captions[i] = caption;
    m_pages[i] = page;
    m_templateIds[i] = templateId;
    for (QPushButton* button : page->findChildren<QPushButton*>())
        if (button->isDefault())
            m_defaultButtons[i] = button;
    return true;
}

void CPageTabCtrl::CreatePages()
{
    // The tab widget lays each page out in its display area and shows the page of the
    // current tab on every change, whether by mouse or keyboard.
    for (int i = count(); i < m_pageCount; ++i)
        addTab(m_pages[static_cast<std::size_t>(i)], m_captions[static_cast<std::size_t>(i)]);
    if (m_pageCount > 0) {
        setCurrentIndex(0);
        showPage(0);
    }
}

void CPageTabCtrl::showPage(int index)
{
    // A dialog has one default button: Enter presses that of the page shown.
    if (index >= 0 && index < m_pageCount && m_defaultButtons[static_cast<std::size_t>(index)])
        m_defaultButtons[static_cast<std::size_t>(index)]->setDefault(true);
}

QWidget* CPageTabCtrl::Page(int index) const
{
    return index >= 0 && index < m_pageCount ? m_pages[static_cast<std::size_t>(index)] : nullptr;
}

int CPageTabCtrl::TemplateId(int index) const
{
    return index >= 0 && index < m_pageCount ? m_templateIds[static_cast<std::size_t>(index)] : 0;
}

} // namespace dorvane
