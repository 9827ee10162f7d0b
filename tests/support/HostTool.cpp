// A Linux tool (Poppler's pdftotext, openssl...) as a Windows program, for the Windows tests run
// under wine: they read back what the program wrote with the same tools as on Linux. Named
// after the tool, it leaves the tool's name, the current folder and its arguments (UTF-8, each
// ended by a NUL) in the folder DORVANE_HOST_TOOLS names, where the test script runs the Linux
// tool on them (scripts/windows-package.sh), and passes on its output and exit code.

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

namespace fs = std::filesystem;

namespace {

std::string Utf8(const std::wstring& text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(std::size_t(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

std::string ReadAll(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

int main()
{
    const wchar_t* spoolName = _wgetenv(L"DORVANE_HOST_TOOLS");
    if (!spoolName)
        return 127;
    const fs::path spool(spoolName);
    wchar_t self[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameW(nullptr, self, DWORD(std::size(self)));
    if (length == 0 || length >= std::size(self))
        return 127;
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::string request = Utf8(fs::path(self).stem().wstring()) + '\0' + Utf8(fs::current_path().wstring()) + '\0';
    for (int i = 1; i < argc; ++i)
        request += Utf8(argv[i]) + '\0';

    const std::string id = std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount64());
    const fs::path base = spool / id;
    {
        std::ofstream out(fs::path(base).concat(".new"), std::ios::binary);
        out << request;
    }
    fs::rename(fs::path(base).concat(".new"), fs::path(base).concat(".req"));
    // The script writes the exit code last.
    const fs::path code = fs::path(base).concat(".code");
    while (!fs::exists(code))
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const std::string out = ReadAll(fs::path(base).concat(".out"));
    const std::string err = ReadAll(fs::path(base).concat(".err"));
    const int exitCode = std::stoi("0" + ReadAll(code));
    for (const char* suffix : {".out", ".err", ".code"})
        fs::remove(fs::path(base).concat(suffix));
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fwrite(err.data(), 1, err.size(), stderr);
    return exitCode;
}
