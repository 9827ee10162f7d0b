#pragma once
// The templates as every list shows them: in the program's template order (code-page
// character order), so that mould.ini's position always means the same template. Each entry
// keeps the template's file name as it is on disk, which need not be the shown name decoded
// back (a name in the Windows code page copied from another computer).

#include <QString>
#include <QStringList>
#include <QVariant>

#include <filesystem>
#include <string>
#include <vector>

namespace dorvane {

struct TemplateEntry {
    QString name;         // as shown
    std::string fileName; // N of dataM/N.dat, in the file system's bytes
};

std::vector<TemplateEntry> SortedTemplates(const std::filesystem::path& workFolder);
// The shown names alone, in the same order.
QStringList SortedTemplateNames(const std::filesystem::path& workFolder);

// A list item's data for a template entry (Qt::UserRole), and the file name it carries.
QVariant TemplateItemData(const TemplateEntry& entry);
std::string TemplateFileName(const QVariant& itemData);

} // namespace dorvane
