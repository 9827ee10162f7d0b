#pragma once
// The templates in dataM/: a template N is the layout file N.dat and the picture N.bmp.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dorvane {

std::filesystem::path DataFolder(const std::filesystem::path& workFolder);
std::filesystem::path LayoutPath(const std::filesystem::path& workFolder, const std::string& name);
std::filesystem::path PicturePath(const std::filesystem::path& workFolder, const std::string& name);
// Where the editor keeps a replacement picture for template name until the template is
// saved: N.new.bmp. No template's files can have that name (a template's name never holds a
// "."), and the listing never takes it for a template.
std::filesystem::path ReplacementPicturePath(const std::filesystem::path& workFolder,
                                             const std::string& name);

// The template name a directory entry stands for: the text before the first "." when the
// text after it is exactly "dat" (case-sensitive); nullopt when the entry is no template.
std::optional<std::string> TemplateNameOf(std::string_view fileName);

// Names of the regular files in dataFolder that are templates, in enumeration order, as the
// file system's bytes: a name copied from Windows need not be UTF-8.
std::vector<std::string> ListTemplateNames(const std::filesystem::path& dataFolder);

bool TemplateExists(const std::filesystem::path& dataFolder, const std::string& name);

// Template order: code-page names compared character by character (see
// CompareCodePageText). True when a sorts before b.
bool TemplateNameLess(std::string_view a, std::string_view b);

// The list index that mould.ini's stored position names among count templates: the first
// template when the position lies outside the list (templates removed by hand).
int TemplateIndexFromPosition(const std::string& position, int count);

// Moves the stored position of the current template by delta (+1 when a template was added
// before it, -1 when one before it was removed) and rewrites mould.ini line 1.
bool ShiftTemplatePosition(const std::filesystem::path& mouldIni, std::string& templatePosition, int delta);

} // namespace dorvane
