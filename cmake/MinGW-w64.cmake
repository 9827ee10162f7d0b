# Cross-building the core for 64-bit Windows with Debian's MinGW-w64 (POSIX threads, which
# std::thread and std::mutex need). The core's programs link statically, so they run on a bare
# Windows (or wine) with no MinGW runtime beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
# DORVANE_WINDOWS_DEPS: the prefix the libraries built for the target are installed into.
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${DORVANE_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The whole program links Qt's DLLs, which use MinGW's runtime DLLs: it ships them and links
# the same (DORVANE_WINDOWS_SHARED_RUNTIME); the core alone links everything in.
if(NOT DORVANE_WINDOWS_SHARED_RUNTIME)
  set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
