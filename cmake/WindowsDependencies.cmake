# What a Windows build takes from folders made by scripts/dorvane.sh windows-core rather than
# from the system: SQLite compiled from the amalgamation made out of Debian's source package,
# and GoogleTest from the sources Debian ships in /usr/src/googletest. libsodium is found by
# pkg-config in the prefix PKG_CONFIG_LIBDIR names.
set(DORVANE_SQLITE_SOURCE "" CACHE PATH "Folder holding sqlite3.c and sqlite3.h, built for the target")
if(DORVANE_SQLITE_SOURCE)
  enable_language(C)
  add_library(dorvane_sqlite3 STATIC ${DORVANE_SQLITE_SOURCE}/sqlite3.c)
  target_include_directories(dorvane_sqlite3 SYSTEM PUBLIC ${DORVANE_SQLITE_SOURCE})
  target_compile_definitions(dorvane_sqlite3 PRIVATE SQLITE_THREADSAFE=1 SQLITE_OMIT_LOAD_EXTENSION)
  # Third-party code: its own warnings are not ours to fix, and its debug information (a
  # quarter of a million lines) only slows the build.
  target_compile_options(dorvane_sqlite3 PRIVATE -w -g0)
  add_library(SQLite::SQLite3 ALIAS dorvane_sqlite3)
endif()

if(CMAKE_CROSSCOMPILING AND NOT DORVANE_FUZZ)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  # Defines GTest::gtest_main, as find_package(GTest) would.
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
endif()
