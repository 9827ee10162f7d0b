# The Windows package's libraries, cross-built with MinGW-w64 from Debian's source packages: Qt
# (qt6-base), OpenSSL and libpq. Sourced by scripts/dorvane.sh, which defines debian_source.
# They are kept in a cache outside the clone, in a folder named by everything that decides the
# build, and reused when they are there.

# The modules and features the programs use; everything else is left out to keep the build short.
windows_qt_options=(
  -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
  -DFEATURE_concurrent=OFF -DFEATURE_sql=OFF -DFEATURE_xml=OFF -DFEATURE_dbus=OFF
  -DFEATURE_vulkan=OFF -DFEATURE_icu=OFF
  # OpenGL stays: the windows platform plugin of Qt 6.4 does not build without it.
  # Debian removes the wintab headers: no tablet events, and so no direct2d platform plugin.
  -DFEATURE_tabletevent=OFF -DFEATURE_direct2d=OFF -DFEATURE_directwrite=ON
  -DFEATURE_openssl=OFF -DFEATURE_schannel=ON
  -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF
  -DFEATURE_system_jpeg=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_doubleconversion=OFF
  # The offscreen platform, which the tests run on, draws its text with FreeType.
  -DFEATURE_freetype=ON -DFEATURE_system_freetype=OFF
)
windows_qt_patch=scripts/windows/qt6-base-directwrite.patch

# The folder of the builds kept between runs, outside the clone.
dorvane_cache() {
  echo "${DORVANE_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/dorvane}"
}

# The cache folder of this Qt build: Debian's version of qt6-base, the compiler's, the options'
# and the patch's.
windows_qt_dir() {
  local debian compiler key
  # apt speaks the caller's language: its English words are the ones looked for.
  debian=$(LC_ALL=C apt-cache policy qt6-base-dev 2>/dev/null | sed -n 's/^ *Candidate: //p')
  compiler=$(x86_64-w64-mingw32-g++-posix -dumpfullversion 2>/dev/null; dpkg-query -W -f='${Version}' g++-mingw-w64-x86-64-posix 2>/dev/null)
  key=$( { echo "$debian"; echo "$compiler"; printf '%s\n' "${windows_qt_options[@]}"; cat "$root/$windows_qt_patch"; } |
    sha256sum | cut -c1-16)
  echo "$(dorvane_cache)/qt-win64-${debian//[^0-9A-Za-z.+-]/_}-$key"
}

# Builds Qt into $(windows_qt_dir)/prefix unless it is there; prints the prefix.
windows_qt() {
  local dir prefix src build
  dir=$(windows_qt_dir)
  prefix=$dir/prefix
  if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    return
  fi
  src=$dir/qt6-base
  build=$dir/build
  mkdir -p "$dir"
  if [ ! -f "$src/.patched" ]; then
    rm -rf "$src"
    debian_release_source qt6-base "$src" >&2
    patch -d "$src" -p1 < "$root/$windows_qt_patch" >&2
    touch "$src/.patched"
  fi
  cmake -S "$src" -B "$build" -G Ninja \
    -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_SYSTEM_PROCESSOR=x86_64 \
    -DCMAKE_C_COMPILER=x86_64-w64-mingw32-gcc-posix -DCMAKE_CXX_COMPILER=x86_64-w64-mingw32-g++-posix \
    -DCMAKE_RC_COMPILER=x86_64-w64-mingw32-windres \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_INSTALL_PREFIX="$prefix" "${windows_qt_options[@]}" >&2
  cmake --build "$build" -j"$(nproc)" >&2
  cmake --install "$build" >&2
  touch "$prefix/.complete"
  rm -rf "$build"
  echo "$prefix"
}

# Debian's bookworm release of a source package, for those whose security update is not on the
# mirror the build reaches.
debian_release_source() {
  debian_source "$1" "$2" 2>/dev/null || debian_source "$1/bookworm" "$2"
}

# OpenSSL (for libpq's TLS to a server on another host) and libpq, static and shared, from
# Debian's sources, into $(windows_qt_dir)/libs; prints that prefix.
windows_libpq() {
  local dir prefix
  dir=$(windows_qt_dir)
  prefix=$dir/libs
  if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    return
  fi
  mkdir -p "$dir"
  if [ ! -f "$prefix/lib/libssl.a" ]; then
    debian_release_source openssl "$dir/openssl" >&2
    (cd "$dir/openssl" &&
      ./Configure mingw64 no-shared no-tests --cross-compile-prefix=x86_64-w64-mingw32- \
        --prefix="$prefix" --libdir=lib >/dev/null &&
      make -j"$(nproc)" build_libs >/dev/null && make install_dev >/dev/null) >&2
  fi
  debian_release_source postgresql-15 "$dir/postgresql" >&2
  (cd "$dir/postgresql" &&
    ./configure --host=x86_64-w64-mingw32 --without-readline --without-zlib --without-icu \
      --with-ssl=openssl CPPFLAGS="-I$prefix/include" LDFLAGS="-L$prefix/lib" \
      LIBS="-lws2_32 -lcrypt32" >/dev/null &&
    make -C src/interfaces/libpq -j"$(nproc)" >/dev/null &&
    make -C src/interfaces/libpq install prefix="$prefix" >/dev/null &&
    make -C src/include install prefix="$prefix" >/dev/null) >&2
  rm -rf "$dir/openssl" "$dir/postgresql"
  # The installed .pc names the prefix configure was given, not the one installed into; the
  # static libraries' own list belongs to the tree just removed.
  sed -i -e "s|^prefix=.*|prefix=$prefix|" -e '/^Libs.private:/d' -e '/^Requires.private:/d' "$prefix/lib/pkgconfig/libpq.pc"
  touch "$prefix/.complete"
  echo "$prefix"
}

# The Qt DLLs and plugins the programs load, as windeployqt would pick them (Qt for MinGW has no
# windeployqt here): what the programs link, the windows platform and the offscreen one the
# tests run on, the vista style, the image formats of template pictures and scans, and the
# schannel TLS backend the updater's downloads use.
windows_qt_dlls=(Qt6Core Qt6Gui Qt6Widgets Qt6Network Qt6PrintSupport)
windows_qt_plugins=(
  platforms/qwindows platforms/qoffscreen styles/qwindowsvistastyle
  imageformats/qjpeg imageformats/qgif imageformats/qico tls/qschannelbackend
)
# MinGW-w64's runtime, which Qt's DLLs and the programs link.
windows_runtime_dlls=(libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)

# libzint from Debian's source package into build-windows/deps/zint (apart from the core's
# prefix: only the whole program needs it): the print engine lays out barcodes with it. No PNG,
# no Qt widget.
windows_zint() {
  local deps=$root/build-windows/deps
  [ -f "$deps/zint/bin/libzint.dll" ] && return
  debian_release_source zint "$deps/zint-src"
  cmake -S "$deps/zint-src" -B "$deps/zint-build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/MinGW-w64.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$deps/zint" -DZINT_USE_PNG=OFF -DZINT_USE_QT=OFF >/dev/null
  cmake --build "$deps/zint-build" >/dev/null
  cmake --install "$deps/zint-build" >/dev/null
}

# The three programs built for Windows against the cached Qt and libpq, and the portable folder
# dist/Dorvane-win64/ laid out as the Linux run folder, with its zip dist/Dorvane-win64.zip.
windows_package() {
  local deps=$root/build-windows/deps dir=$root/build-windows-full dist=$root/dist/Dorvane-win64
  local qt libs name
  windows_core_deps
  install_missing patch zip
  qt=$(windows_qt)
  libs=$(windows_libpq)
  windows_zint
  PKG_CONFIG_LIBDIR=$deps/prefix/lib/pkgconfig:$libs/lib/pkgconfig cmake -S "$root" -B "$dir" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/MinGW-w64.cmake" -DDORVANE_WINDOWS_SHARED_RUNTIME=ON \
    -DCMAKE_BUILD_TYPE=Release -DDORVANE_WERROR=ON -DDORVANE_TOOLS=OFF \
    -DCMAKE_PREFIX_PATH="$qt" -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DDORVANE_SQLITE_SOURCE="$deps/sqlite" -DDORVANE_WINDOWS_DEPS="$deps/prefix;$deps/zint;$libs;$qt"
  cmake --build "$dir" -j"$(nproc)" --target Dorvane Updorv dorvane-cli dorvane_run_data

  rm -rf "$dist" "$dist.zip"
  mkdir -p "$dist"
  cp "$dir/run/Dorvane.exe" "$dir/run/Updorv.exe" "$dir/run/dorvane-cli.exe" "$dist/"
  cp -r "$dir/run/Set" "$dir/run/dataM" "$dist/"
  for name in "${windows_qt_dlls[@]}"; do cp "$qt/bin/$name.dll" "$dist/"; done
  for name in "${windows_qt_plugins[@]}"; do
    mkdir -p "$dist/$(dirname "$name")"
    cp "$qt/plugins/$name.dll" "$dist/$name.dll"
  done
  cp "$libs/bin/libpq.dll" "$deps/zint/bin/libzint.dll" "$dist/"
  for name in "${windows_runtime_dlls[@]}"; do
    cp "$(x86_64-w64-mingw32-g++-posix -print-file-name="$name")" "$dist/"
  done
  # Qt's own texts in Chinese (确定, 取消), from Debian's translations of the same Qt.
  mkdir -p "$dist/translations"
  cp /usr/share/qt6/translations/qtbase_zh_CN.qm "$dist/translations/"
  (cd "$root/dist" && zip -qr Dorvane-win64.zip Dorvane-win64)
  echo "$dist.zip"
}

# The test command's Windows package stage: the package tried beside the Linux build, and the Qt
# tests run under wine. Skipped (exit 77, said why) while Qt for Windows is not in the cache,
# since building it takes longer than a test run may.
windows_package_stage() {
  if [ ! -f "$(windows_qt_dir)/prefix/.complete" ]; then
    echo "skipped: Qt for Windows is not in the cache $(windows_qt_dir);" \
      "scripts/dorvane.sh windows-deps builds it (about an hour on two cores)"
    return 77
  fi
  windows_package
  # Both run, each reporting its own tests, whichever fails.
  local status=0
  windows_tries "$root/dist/Dorvane-win64" "$root/build/run" || status=1
  windows_qt_tests || status=1
  return "$status"
}

# A Unix path as the Windows programs under wine name it, on the drive Z: that holds /.
windows_path() {
  echo "Z:$(realpath "$1" | tr / '\\')"
}

# The Linux tools the Windows tests may run (tests/support/HostTool.cpp), and their runner: it
# takes each request left in the spool folder $1 (the tool's name, the current folder and the
# arguments, each ended by a NUL), runs the tool there with Windows paths made Unix ones, and
# leaves its output and, last, its exit code beside the request.
windows_host_tools=(pdftotext pdftoppm pdfinfo pdffonts pdfimages openssl)
windows_host_tools() {
  local spool=$1 request base fields arg args tool code
  while true; do
    for request in "$spool"/*.req; do
      [ -e "$request" ] || continue
      base=${request%.req}
      mapfile -d '' -t fields <"$request"
      args=()
      for arg in "${fields[@]:1}"; do
        if [[ $arg =~ ^([A-Za-z]):[\\/](.*)$ ]]; then
          arg="$WINEPREFIX/dosdevices/${BASH_REMATCH[1],,}:/${BASH_REMATCH[2]//\\//}"
        fi
        args+=("$arg")
      done
      tool=${fields[0]}
      if [[ " ${windows_host_tools[*]} " == *" $tool "* ]]; then
        code=0
        (cd "${args[0]}" && "$tool" "${args[@]:1}" </dev/null >"$base.out" 2>"$base.err") || code=$?
        echo "$code" >"$base.code.new"
      else
        echo "$tool is not one of the tools the tests may run" >"$base.err"
        echo 127 >"$base.code.new"
      fi
      rm -f "$request"
      mv "$base.code.new" "$base.code"
    done
    sleep 0.05
  done
}

# Qt tests the Windows build has but the stage does not run under wine, with the reason;
# windows_qt_tests runs them when named.
declare -A windows_qt_tests_not_run=(
  [test_about_update_exit]="its stand-in update server cannot serve TLS under wine: wine's schannel (GnuTLS) takes no server certificate made from a PEM file and key (\"The certificate provided cannot be used for a server\"), so the program's check never reaches it"
)

# The Qt tests built for Windows (tests/qt-tests.txt of the full build) and run under wine, on
# the windows platform of an Xvfb display, the only one of Qt's platforms that reaches the
# system's fonts on Windows. Two lanes run side by side, each a machine of its own: its display,
# its wine prefix and its tool runner. Lists the tests left out of the Windows build and every
# skip, each with its reason, and prints "tests: N passed, M failed"; a program that ends
# without its totals counts as one failure. Given names, runs only those tests.
windows_qt_tests() {
  local dir=$root/build-windows-full qt libs deps=$root/build-windows/deps
  qt=$(windows_qt)
  libs=$(windows_libpq)
  # The tests named, else those of qt-tests.txt the stage runs; only they are built.
  local names=("$@") name
  if [ ${#names[@]} -eq 0 ]; then
    while read -r name; do
      if [ -n "${windows_qt_tests_not_run[$name]:-}" ]; then
        echo "not run under wine: $name: ${windows_qt_tests_not_run[$name]}"
      elif [ -n "$name" ]; then
        names+=("$name")
      fi
    done <"$dir/tests/qt-tests.txt"
  fi
  cmake --build "$dir" -j"$(nproc)" --target "${names[@]}" dorvane_host_tool || return 1
  sed 's/^/left out on Windows: /' "$dir/tests/qt-tests-left-out.txt"
  # Qt's Chinese texts beside the tests, as beside the package's programs, and the German ones
  # the translations test takes for a language Qt speaks.
  mkdir -p "$dir/tests/translations"
  cp /usr/share/qt6/translations/qtbase_zh_CN.qm /usr/share/qt6/translations/qtbase_de.qm "$dir/tests/translations/"

  # The tests and the programs they start find the DLLs as the package's programs do beside them.
  local path=() folder
  for folder in "$qt/bin" "$libs/bin" "$deps/zint/bin" \
    "$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")" \
    "$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libwinpthread-1.dll)")"; do
    path+=("$(windows_path "$folder")")
  done
  export DORVANE_SOURCE_DIR=$root DORVANE_RUN_DIR=$dir/run QT_QPA_PLATFORM=windows
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  # The Linux build's printing queue and database server are not reachable from Windows programs.
  unset DORVANE_REQUIRE_CUPS DORVANE_REQUIRE_PG DORVANE_TEST_PG

  local scratch tool lane i
  scratch=$(mktemp -d)
  # The tests read back what the programs wrote with Linux's tools (Poppler's, and openssl for
  # a certificate). Wine cannot wait for a Linux program, so each is a Windows program of the
  # tool's name that leaves its request in a spool folder, where windows_host_tools runs it.
  mkdir "$scratch/tools"
  for tool in "${windows_host_tools[@]}"; do
    ln "$dir/tests/dorvane_host_tool.exe" "$scratch/tools/$tool.exe"
  done
  path+=("$(windows_path "$scratch/tools")")
  local IFS=';'
  export WINEPATH="${path[*]}"
  unset IFS

  # The programs wait in a queue folder, in their order, and each lane takes the next one when it
  # is free; each lane's report follows the other's.
  mkdir "$scratch/queue"
  for i in "${!names[@]}"; do
    echo "${names[$i]}" >"$scratch/queue/$(printf '%03d' "$i")"
  done
  local prefixes=("$dir/wine-prefix" "$dir/wine-prefix-2")
  for lane in 0 1; do
    windows_qt_lane "$scratch/lane$lane" "${prefixes[$lane]}" "$scratch/queue" "$dir/tests" >"$scratch/lane$lane.txt" 2>&1 &
  done
  wait
  local passed=0 failed=0 skipped=0 p f s
  for lane in 0 1; do
    grep -v '^lane totals: ' "$scratch/lane$lane.txt" || true
    p='' f='' s=''
    read -r p f s < <(sed -n 's/^lane totals: //p' "$scratch/lane$lane.txt") || true
    # A lane that ended without its totals counts as one failure.
    passed=$((passed + ${p:-0})); failed=$((failed + ${f:-1})); skipped=$((skipped + ${s:-0}))
  done
  rm -rf "$scratch"
  echo "windows Qt tests: $skipped skipped"
  echo "tests: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}

# One lane of windows_qt_tests: in the lane's folder $1 and its wine prefix $2, on an Xvfb display
# and a tool runner of its own, runs the programs of the folder $4 that it takes one by one from
# the queue folder $3. Ends with "lane totals: P F S".
windows_qt_lane() {
  local work=$1 queue=$3 tests=$4 next name out totals p f s xvfb host_tools started
  export WINEPREFIX=$2
  mkdir -p "$work/spool"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
  xvfb=$!
  while [ ! -s "$work/display" ] && kill -0 "$xvfb" 2>/dev/null; do sleep 0.1; done
  export DISPLAY=:$(cat "$work/display")
  # Made on the lane's display: a prefix made without one keeps a desktop that no window opens on.
  [ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
  windows_host_tools "$work/spool" &
  host_tools=$!
  export DORVANE_HOST_TOOLS
  DORVANE_HOST_TOOLS=$(windows_path "$work/spool")

  local passed=0 failed=0 skipped=0
  while next=$(ls "$queue" | head -n1) && [ -n "$next" ]; do
    # Taken by moving it: of two lanes after the same program, one move fails.
    mv "$queue/$next" "$work/taken" 2>/dev/null || continue
    name=$(cat "$work/taken")
    echo "== $name"
    started=$SECONDS
    # QtTest writes nothing to a pipe under wine: its log goes to a file.
    rm -f "$work/log.txt"
    (cd "$tests" && timeout 300 wine "./$name.exe" -o "$(windows_path "$work")\\log.txt,txt" >/dev/null 2>&1) || true
    out=$(tr -d '\r' <"$work/log.txt" 2>/dev/null) || true
    echo "$out" | sed -n 's/^SKIP   : \(.*\)$/skipped: \1/p'
    totals=$(echo "$out" | sed -n 's/^Totals: \([0-9]*\) passed, \([0-9]*\) failed, \([0-9]*\) skipped.*/\1 \2 \3/p' | tail -n1)
    if [ -z "$totals" ]; then
      totals="0 1 0"
      echo "$name ended without its totals"
    fi
    read -r p f s <<<"$totals"
    echo "$name: $p passed, $f failed, $s skipped in $((SECONDS - started))s"
    [ "$f" -eq 0 ] || echo "$out" | grep -v -e '^PASS   :' -e '^SKIP   :' -e '^   Loc: '
    passed=$((passed + p)); failed=$((failed + f)); skipped=$((skipped + s))
  done
  wineserver -k 2>/dev/null || true
  kill "$xvfb" "$host_tools" 2>/dev/null || true
  echo "lane totals: $passed $failed $skipped"
}
