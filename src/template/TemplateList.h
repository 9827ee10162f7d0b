#pragma once
// The template names as every list shows them: in the program's template order (code-page
// character order), so that mould.ini's position always means the same template.

#include <QStringList>

#include <filesystem>

namespace dorvane {

QStringList SortedTemplateNames(const std::filesystem::path& workFolder);

} // namespace dorvane
