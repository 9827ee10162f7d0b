#include "template/TemplateList.h"

#include "text/CodePageText.h"
#include "template/TemplateStore.h"

#include <QByteArray>

#include <algorithm>

namespace dorvane {

std::vector<TemplateEntry> SortedTemplates(const std::filesystem::path& workFolder)
{
    struct Sortable {
        TemplateEntry entry;
        std::string codePage;
    };
    std::vector<Sortable> found;
    for (auto& fileName : ListTemplateNames(DataFolder(workFolder))) {
        QString name = FromFileName(fileName);
        std::string codePage = ToCodePage(name);
        found.push_back({{std::move(name), std::move(fileName)}, std::move(codePage)});
    }
    std::stable_sort(found.begin(), found.end(), [](const Sortable& a, const Sortable& b) {
        return TemplateNameLess(a.codePage, b.codePage);
    });
    std::vector<TemplateEntry> entries;
    entries.reserve(found.size());
    for (auto& item : found)
        entries.push_back(std::move(item.entry));
    return entries;
}

QStringList SortedTemplateNames(const std::filesystem::path& workFolder)
{
    QStringList names;
    for (const TemplateEntry& entry : SortedTemplates(workFolder))
        names.append(entry.name);
    return names;
}

QVariant TemplateItemData(const TemplateEntry& entry)
{
    return QByteArray::fromStdString(entry.fileName);
}

std::string TemplateFileName(const QVariant& itemData)
{
    return itemData.toByteArray().toStdString();
}

NewTemplateNameProblem CheckNewTemplateName(const std::filesystem::path& workFolder, const QString& name)
{
    if (name.isEmpty())
        return NewTemplateNameProblem::Empty;
    if (name.contains(QLatin1Char('.')) || name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')))
        return NewTemplateNameProblem::BadCharacter;
    const auto breaksTheHeader = [](QChar c) {
        return c == QLatin1Char(',') || c.category() == QChar::Other_Control ||
               c.category() == QChar::Separator_Line || c.category() == QChar::Separator_Paragraph;
    };
    if (std::any_of(name.begin(), name.end(), breaksTheHeader))
        return NewTemplateNameProblem::CommaOrControl;
    if (TemplateExists(DataFolder(workFolder), ToFileName(name)))
        return NewTemplateNameProblem::Taken;
    const auto templates = SortedTemplates(workFolder);
    const bool shown = std::any_of(templates.begin(), templates.end(),
                                   [&name](const TemplateEntry& entry) { return entry.name == name; });
    return shown ? NewTemplateNameProblem::Taken : NewTemplateNameProblem::None;
}

} // namespace dorvane
