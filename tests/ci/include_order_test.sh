#!/bin/bash
# The configure-time include-order check: a tree whose includes run one way passes, and an
# include of a later folder (direct, or with spaces in the directive) fails and names the file.
set -u
source_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

cat > "$work/check.cmake" <<'CMAKE'
include(${FOLDERS})
dorvane_check_include_order(${ROOT})
CMAKE
check() { # expected(pass|fail) tree
  cmake -DFOLDERS="$source_dir/cmake/Folders.cmake" -DROOT="$2" -P "$work/check.cmake" > "$work/out" 2>&1
}

mkdir -p "$work/good/text" "$work/good/print" "$work/bad/text" "$work/bad/print"
printf '#include "text/CodePageText.h"\n#include <vector>\n' > "$work/good/print/A.cpp"
printf '#include "text/B.h"\n' > "$work/good/text/A.h"
if ! check pass "$work/good"; then
  echo "FAIL: a tree with one-way includes was refused:"; cat "$work/out"; failures=$((failures + 1))
fi

printf '#include "text/B.h"\n  #  include "print/WaybillRenderer.h"\n' > "$work/bad/text/Late.h"
if check fail "$work/bad"; then
  echo "FAIL: an include of a later folder passed"; failures=$((failures + 1))
elif ! grep -q "Late.h" "$work/out"; then
  echo "FAIL: the refusal does not name the file:"; cat "$work/out"; failures=$((failures + 1))
fi

# The program's own tree passes.
if ! check pass "$source_dir/src"; then
  echo "FAIL: the source tree was refused:"; cat "$work/out"; failures=$((failures + 1))
fi
exit $((failures > 0))
