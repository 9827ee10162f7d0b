// A program that leaves a mark when started, for tests of what starts programs. Windows starts
// no shell script, so there the tests append a last line "<marker file>\t<text>" (UTF-8) to a
// copy of this program (see StartMark.h); started, it writes the text and a line end to the file.

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

int main()
{
    wchar_t self[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameW(nullptr, self, DWORD(std::size(self)));
    if (length == 0 || length >= std::size(self))
        return 1;
    std::ifstream in(std::filesystem::path(self), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    const std::size_t line = bytes.rfind('\n');
    const std::size_t tab = bytes.rfind('\t');
    if (line == std::string::npos || tab == std::string::npos || tab < line)
        return 1;
    const std::string marker = bytes.substr(line + 1, tab - line - 1);
    std::ofstream out(std::filesystem::path(std::u8string(marker.begin(), marker.end())),
                      std::ios::binary | std::ios::trunc);
    out << bytes.substr(tab + 1) << '\n';
    return out ? 0 : 1;
}
