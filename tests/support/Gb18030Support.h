#pragma once
// wine (8 at least) has no code page 54936, so the Windows conversion to and from GB18030
// cannot run there. Tests that need it are skipped under wine only: on Windows itself a
// missing code page is a failure like any other.

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

namespace dorvane::test {

inline bool Gb18030MissingUnderWine()
{
#ifdef _WIN32
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    const bool wine = ntdll && GetProcAddress(ntdll, "wine_get_version");
    return wine && !IsValidCodePage(54936);
#else
    return false;
#endif
}

} // namespace dorvane::test

#define DORVANE_SKIP_WITHOUT_GB18030()                                                                                 \
    if (dorvane::test::Gb18030MissingUnderWine())                                                                       \
    GTEST_SKIP() << "wine has no code page 54936 (GB18030)"
