#!/usr/bin/env bash
# Installs what Dorvane needs on Debian 12, builds it and runs it, its tests or its benchmarks.
#   scripts/dorvane.sh run     build and start Dorvane in build/run/
#   scripts/dorvane.sh test    build and run every test (what CI runs)
#   scripts/dorvane.sh bench   build and run the benchmarks
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc)

packages=(
  cmake g++ make pkg-config clang libclang-rt-14-dev
  googletest libgtest-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-translations-l10n
  libsqlite3-dev sqlite3 libodbcinst2 libsodium-dev openssl
  fonts-arphic-uming fonts-wqy-zenhei
  poppler-utils cups cups-client cups-bsd printer-driver-cups-pdf
  xvfb xauth xclip
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_missing() {
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
  fi
}

configure_and_build() {
  local dir=$1; shift
  cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
  cmake --build "$dir" -j"$jobs"
}

run_fuzzers() {
  local dir=$root/build-fuzz seconds=${DORVANE_FUZZ_SECONDS:-30}
  CC=clang CXX=clang++ configure_and_build "$dir" -DDORVANE_CORE_ONLY=ON -DDORVANE_FUZZ=ON -DDORVANE_WERROR=ON
  for fuzzer in "$dir"/fuzz/fuzz_*; do
    [ -x "$fuzzer" ] || continue
    local corpus=$dir/corpus/$(basename "$fuzzer")
    mkdir -p "$corpus"
    echo "Fuzzing $(basename "$fuzzer") for ${seconds}s"
    local dict=()
    [ -f "$fuzzer.dict" ] && dict=(-dict="$fuzzer.dict")
    "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 "${dict[@]}" "$corpus" 2>&1 | tail -n 3
  done
}

case "${1:-}" in
  run)
    install_missing
    configure_and_build "$root/build"
    cd "$root/build/run"
    exec ./Dorvane
    ;;
  test)
    install_missing
    configure_and_build "$root/build" -DDORVANE_WERROR=ON
    "$root/scripts/cups-test-setup.sh"
    export DORVANE_REQUIRE_CUPS=1
    summary=$(mktemp)
    (cd "$root/build" && ctest --output-on-failure -j"$jobs" --timeout 600) | tee -a "$summary"
    # The core again, under AddressSanitizer and UndefinedBehaviorSanitizer.
    configure_and_build "$root/build-sanitize" -DDORVANE_CORE_ONLY=ON -DDORVANE_SANITIZE=ON -DDORVANE_WERROR=ON
    (cd "$root/build-sanitize" && ctest --output-on-failure -j"$jobs" --timeout 600) | tee -a "$summary"
    run_fuzzers
    # One closing line over both test runs.
    awk '/tests passed, [0-9]+ tests failed out of/ { failed += $4; total += $NF }
         END { printf "tests: %d passed, %d failed\n", total - failed, failed }' "$summary"
    rm -f "$summary"
    ;;
  bench)
    install_missing
    configure_and_build "$root/build-bench" -DCMAKE_BUILD_TYPE=Release -DDORVANE_BENCH=ON
    for b in "$root"/build-bench/bench/bench_*; do
      [ -x "$b" ] && (cd "$root/build-bench/run" && "$b")
    done
    ;;
  *)
    echo "usage: $0 run|test|bench" >&2
    exit 2
    ;;
esac
