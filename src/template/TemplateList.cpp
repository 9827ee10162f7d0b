#include "template/TemplateList.h"

#include "app/CodePageText.h"
#include "template/TemplateStore.h"

#include <algorithm>

namespace dorvane {

QStringList SortedTemplateNames(const std::filesystem::path& workFolder)
{
    struct Entry {
        QString name;
        std::string codePage;
    };
    std::vector<Entry> entries;
    for (const auto& name : ListTemplateNames(DataFolder(workFolder))) {
        const QString text = FromFileName(name);
        entries.push_back({text, ToCodePage(text)});
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return TemplateNameLess(a.codePage, b.codePage); });
    QStringList names;
    for (const auto& entry : entries)
        names.append(entry.name);
    return names;
}

} // namespace dorvane
