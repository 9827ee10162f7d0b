#!/usr/bin/env bash
# Installs what Dorvane needs on Debian 12, builds it and runs it, its tests or its benchmarks.
#   scripts/dorvane.sh run     build and start Dorvane in build/run/
#   scripts/dorvane.sh test    build and run every test (what CI runs)
#   scripts/dorvane.sh bench   build and run the benchmarks
#   scripts/dorvane.sh windows-core
#                              cross-build the core and its tests for Windows, run them under wine
#   scripts/dorvane.sh windows-deps
#                              cross-build Qt, OpenSSL and libpq for Windows into the cache
#                              (about an hour for Qt on two cores; reused afterwards)
#   scripts/dorvane.sh windows the same, then the three programs for Windows and the portable
#                              folder dist/Dorvane-win64/ with its zip
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$root/scripts/ci-stages.sh"
. "$root/scripts/windows-package.sh"
. "$root/scripts/windows-tries.sh"
jobs=$(nproc)

packages=(
  cmake g++ make pkg-config clang libclang-rt-14-dev
  googletest libgtest-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-translations-l10n
  libsqlite3-dev sqlite3 libodbcinst2 libsodium-dev openssl libpq-dev postgresql
  fonts-arphic-uming fonts-wqy-zenhei
  poppler-utils cups cups-client cups-bsd libcups2-dev printer-driver-cups-pdf
  libzint-dev libzxing-dev
  libopencv-dev libtesseract-dev libleptonica-dev tesseract-ocr tesseract-ocr-chi-sim
  xvfb xauth xclip locales ccache
)

# The Windows cross-build of the core: MinGW-w64, wine to run its tests, and what it takes to
# make SQLite's amalgamation and a static libsodium from Debian's source packages; xdotool types
# into the package's window in its tries.
windows_packages=(
  g++-mingw-w64-x86-64-posix mingw-w64 wine wine64
  cmake ninja-build pkg-config googletest sqlite3 tcl autoconf automake libtool make dpkg-dev
  xdotool x11-xkb-utils
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_missing() {
  local missing=() wanted=("$@")
  [ $# -gt 0 ] || wanted=("${packages[@]}")
  for p in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
  fi
}

# Every build compiles through ccache, with paths taken relative to the checkout, so that a later
# run, from this clone or another of the same sources, reuses what an earlier run compiled.
# CMake reads the launcher when it first configures a build folder.
use_ccache() {
  command -v ccache >/dev/null || return 0
  export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
  export CCACHE_BASEDIR=$root CCACHE_NOHASHDIR=1
}

configure_and_build() {
  local dir=$1; shift
  cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
  cmake --build "$dir" -j"$jobs"
}

# A private PostgreSQL server for the shared address book's tests and benchmarks, stopped and
# removed when this script ends; exports DORVANE_TEST_PG, its connection string.
start_test_server() {
  local exports
  pg_dir=$(mktemp -d)
  trap '"$root/scripts/pg-test-server.sh" stop "$pg_dir"' EXIT
  exports=$("$root/scripts/pg-test-server.sh" start "$pg_dir")
  eval "$exports"
}

main_suite() {
  configure_and_build "$root/build" -DDORVANE_WERROR=ON -DDORVANE_REQUIRE_RECOGNITION=ON
  cd "$root/build"
  ctest --output-on-failure -j"$jobs" --timeout 600
}

sanitizer_suite() {
  configure_and_build "$root/build-sanitize" -DDORVANE_CORE_ONLY=ON -DDORVANE_SANITIZE=ON -DDORVANE_WERROR=ON
  cd "$root/build-sanitize"
  ctest --output-on-failure -j"$jobs" --timeout 600
}

# Every fuzzer runs; a crash in any fails the stage.
run_fuzzers() {
  local dir=$root/build-fuzz seconds=${DORVANE_FUZZ_SECONDS:-30} crashed=()
  CC=clang CXX=clang++ configure_and_build "$dir" -DDORVANE_CORE_ONLY=ON -DDORVANE_FUZZ=ON -DDORVANE_WERROR=ON
  for fuzzer in "$dir"/fuzz/fuzz_*; do
    [ -x "$fuzzer" ] || continue
    local corpus=$dir/corpus/$(basename "$fuzzer")
    mkdir -p "$corpus"
    echo "Fuzzing $(basename "$fuzzer") for ${seconds}s"
    local dict=()
    [ -f "$fuzzer.dict" ] && dict=(-dict="$fuzzer.dict")
    "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 "${dict[@]}" "$corpus" \
      > "$corpus.log" 2>&1 || crashed+=("$(basename "$fuzzer")")
    tail -n 3 "$corpus.log"
  done
  [ ${#crashed[@]} -eq 0 ] || { echo "fuzzers that failed: ${crashed[*]}"; return 1; }
}

# Debian's source package of $1 unpacked into $2, fetched through a source list of our own so
# the system's apt configuration stays as it is.
debian_source() {
  local name=$1 dest=$2 apt_dir=$root/build-windows/deps/apt
  [ -d "$dest" ] && return
  mkdir -p "$apt_dir/lists/partial" "$apt_dir/sources.d" "$dest.download"
  sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources > "$apt_dir/sources.d/debian.sources"
  local opts=(-o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$apt_dir/sources.d"
              -o Dir::State::Lists="$apt_dir/lists" -o APT::Sandbox::User=root)
  [ -n "$(ls "$apt_dir/lists" | grep -v -e partial -e lock)" ] || apt-get -qq "${opts[@]}" update
  (cd "$dest.download" && apt-get -qq "${opts[@]}" source "$name" >/dev/null)
  mv "$(find "$dest.download" -mindepth 1 -maxdepth 1 -type d)" "$dest"
  rm -rf "$dest.download"
}

# SQLite's amalgamation and a static libsodium for Windows, built from Debian's source packages
# into a cache outside the clone named by their versions and the compiler's, reused when there,
# and linked into build-windows/deps.
windows_core_deps() {
  local deps=$root/build-windows/deps cached versions
  install_missing "${windows_packages[@]}"
  # apt speaks the caller's language: its English words are the ones looked for.
  versions=$(LC_ALL=C apt-cache policy libsqlite3-dev libsodium-dev | sed -n 's/^ *Candidate: //p'
    x86_64-w64-mingw32-gcc-posix -dumpfullversion)
  cached=$(dorvane_cache)/core-deps-win64-$(echo "$versions" | sha256sum | cut -c1-16)
  mkdir -p "$deps"
  if [ ! -f "$cached/.complete" ]; then
    rm -rf "$cached"
    mkdir -p "$cached/sqlite" "$cached/libsodium-build"
    # SQLite: the amalgamation, made from the source tree with the build's own tools.
    debian_source sqlite3 "$deps/sqlite3-src"
    (cd "$cached/sqlite" && "$deps/sqlite3-src/configure" >/dev/null && make -j2 sqlite3.c >/dev/null)
    # libsodium, static, into the prefix the toolchain searches.
    debian_source libsodium "$deps/libsodium-src"
    (cd "$deps/libsodium-src" && autoreconf -fi >/dev/null 2>&1)
    (cd "$cached/libsodium-build" &&
      "$deps/libsodium-src/configure" --host=x86_64-w64-mingw32 CC=x86_64-w64-mingw32-gcc-posix \
        --prefix="$cached/prefix" --disable-shared --enable-static --enable-minimal \
        --disable-dependency-tracking >/dev/null &&
      make -j2 >/dev/null && make install >/dev/null)
    rm -rf "$cached/libsodium-build"
    touch "$cached/.complete"
  fi
  rm -rf "$deps/sqlite" "$deps/prefix"
  ln -s "$cached/sqlite" "$deps/sqlite"
  ln -s "$cached/prefix" "$deps/prefix"
}

# The core and its tests built for Windows and run under wine, in a wine prefix inside the
# build folder. Prints the same closing line as the test command.
windows_core() {
  local dir=$root/build-windows deps=$root/build-windows/deps
  windows_core_deps
  # Without debug information: these programs only run under wine here, and it shortens the build.
  PKG_CONFIG_LIBDIR=$deps/prefix/lib/pkgconfig cmake -S "$root" -B "$dir" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/MinGW-w64.cmake" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" \
    -DDORVANE_CORE_ONLY=ON -DDORVANE_WERROR=ON -DDORVANE_TOOLS=OFF \
    -DDORVANE_SQLITE_SOURCE="$deps/sqlite" -DDORVANE_WINDOWS_DEPS="$deps/prefix"
  cmake --build "$dir" -j2

  export WINEPREFIX=$dir/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  # Tests that read the shipped files find them as ctest tells them on Linux; the tests run
  # on wine's Z: drive, where the Unix path names the same folder.
  export DORVANE_SOURCE_DIR=$root
  [ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
  local passed=0 failed=0 skipped=0 out
  for t in "$dir"/tests/test_*.exe; do
    echo "== $(basename "$t")"
    out=$(cd "$dir/tests" && timeout 600 wine "$t" 2>&1 | tr -d '\r') || true
    # Each skip with its reason; a failing program's whole output.
    echo "$out" | awk '/^\[ RUN      \]/ { name = $4 } /: Skipped$/ { getline reason; print "skipped: " name ": " reason }'
    local p f s
    p=$(echo "$out" | sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\./\1/p' | tail -n1)
    f=$(echo "$out" | sed -n 's/^\[  FAILED  \] \([0-9]*\) tests\?, listed below:/\1/p' | tail -n1)
    s=$(echo "$out" | sed -n 's/^\[  SKIPPED \] \([0-9]*\) tests\?, listed below:/\1/p' | tail -n1)
    # A program that ended without its summary counts as one failure.
    if [ -z "$p" ] && [ -z "$f" ]; then f=1; fi
    [ "${f:-0}" -eq 0 ] || echo "$out"
    passed=$((passed + ${p:-0})); failed=$((failed + ${f:-0})); skipped=$((skipped + ${s:-0}))
  done
  wineserver -k 2>/dev/null || true
  echo "windows: $skipped skipped"
  echo "tests: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}

case "${1:-}" in
  run)
    install_missing
    use_ccache
    configure_and_build "$root/build"
    cd "$root/build/run"
    exec ./Dorvane
    ;;
  test)
    install_missing
    use_ccache
    "$root/scripts/cups-test-setup.sh"
    export DORVANE_REQUIRE_CUPS=1
    # A locale writing decimals with a comma, for the list's number sorting; Debian ships the
    # definitions but compiles none but C.
    locale -a | grep -qi '^de_DE\.utf-\?8$' || as_root localedef -i de_DE -c -f UTF-8 de_DE.UTF-8
    # For the test runs below; a server that cannot be started fails the command here.
    start_test_server
    export DORVANE_REQUIRE_PG=1
    stage_summary=$(mktemp)
    run_stage main main_suite
    # The core again, under AddressSanitizer and UndefinedBehaviorSanitizer.
    run_stage sanitizers sanitizer_suite
    run_stage fuzzers run_fuzzers
    # The core again, built for Windows and run under wine.
    run_stage windows windows_core
    # The whole program for Windows, packaged and tried under wine beside the Linux build.
    run_stage windows-package windows_package_stage
    status=0
    finish_stages || status=$?
    rm -f "$stage_summary"
    exit "$status"
    ;;
  windows-core)
    use_ccache
    windows_core
    ;;
  windows-deps)
    install_missing "${windows_packages[@]}" patch
    echo "Qt: $(windows_qt)"
    echo "OpenSSL and libpq: $(windows_libpq)"
    ;;
  windows)
    install_missing "${windows_packages[@]}"
    use_ccache
    windows_package
    ;;
  bench)
    install_missing
    use_ccache
    configure_and_build "$root/build-bench" -DCMAKE_BUILD_TYPE=Release -DDORVANE_BENCH=ON
    start_test_server
    for b in "$root"/build-bench/bench/bench_*; do
      [ -x "$b" ] && (cd "$root/build-bench/run" && "$b")
    done
    ;;
  *)
    echo "usage: $0 run|test|bench|windows-core|windows-deps|windows" >&2
    exit 2
    ;;
esac
