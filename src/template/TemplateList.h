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

// Why a name cannot be a new template's: none, empty, holding a character no template name
// may hold (a "." hides the template from every list, a separator would put it outside
// dataM), holding an ASCII comma, a line break or another control character (the name is
// one value of the layout file's comma-separated header line), or the name of a template
// there is (its file name, or the name it is shown as).
enum class NewTemplateNameProblem { None, Empty, BadCharacter, CommaOrControl, Taken };
NewTemplateNameProblem CheckNewTemplateName(const std::filesystem::path& workFolder, const QString& name);

// A list item's data for a template entry (Qt::UserRole), and the file name it carries.
QVariant TemplateItemData(const TemplateEntry& entry);
std::string TemplateFileName(const QVariant& itemData);

} // namespace dorvane
