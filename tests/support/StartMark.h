#pragma once
// The bytes of a program that, started, writes a word and a line end to a marker file: a shell
// script, or on Windows the start-mark program with the marker and the word appended. Tests
// using it build with dorvane_uses_start_mark (tests/CMakeLists.txt).

#include "support/TempFolder.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace dorvane::test {

inline std::string MarkingProgram(const std::filesystem::path& marker, std::string_view word)
{
#ifdef _WIN32
    const std::u8string name = marker.u8string();
    return ReadBytes(DORVANE_START_MARK) + "\n" + std::string(name.begin(), name.end()) + "\t" + std::string(word);
#else
    return "#!/bin/sh\necho " + std::string(word) + " > '" + marker.string() + "'\n";
#endif
}

} // namespace dorvane::test
