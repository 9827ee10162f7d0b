#pragma once
// The tab control of the settings dialog: up to 16 pages, each shown in the tab's display
// area while its tab is current. Pages are added first, then created in one go.

#include <QPointer>
#include <QPushButton>
#include <QTabWidget>

#include <array>

namespace dorvane {

class CPageTabCtrl : public QTabWidget {
    Q_OBJECT
public:
    static constexpr int kMaxPages = 16;

    explicit CPageTabCtrl(QWidget* parent = nullptr);

    // Queues a page under its tab caption; false (and nothing added) when 16 pages are held.
    // Call it right after creating the page: its default button is noted then, before a
    // later page's default button takes the dialog's one default.
    bool AddTabPage(const QString& caption, QWidget* page, int templateId);
    // Puts every queued page into its tab, page 0 current and shown, the others hidden.
    void CreatePages();

    int PageCount() const { return pageCount_; }
    QWidget* Page(int index) const;
    int TemplateId(int index) const;

private:
    void showPage(int index);

    std::array<QString, kMaxPages> captions_;
    std::array<int, kMaxPages> templateIds_{};
    std::array<QWidget*, kMaxPages> pages_{};
    std::array<QPointer<QPushButton>, kMaxPages> defaultButtons_{};
    int pageCount_ = 0;
};

} // namespace dorvane
