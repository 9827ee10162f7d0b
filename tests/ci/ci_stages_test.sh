#!/usr/bin/env bash
# The test command's stage runner: a failing stage stops only itself, every later stage still
# runs, and the run ends non-zero naming the stages that failed.
set -euo pipefail
. "$1/scripts/ci-stages.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

suite_passes() { echo "100% tests passed, 0 tests failed out of 4"; }
build_breaks() { false; touch "$work/ran-after-failure"; }
later_stage() { touch "$work/later-ran"; echo "tests: 3 passed, 1 failed"; return 1; }

stage_summary=$work/summary
run_stage main suite_passes > "$work/out"
run_stage sanitizers build_breaks >> "$work/out"
run_stage windows later_stage >> "$work/out"
status=0
finish_stages > "$work/closing" || status=$?

[ "$status" -ne 0 ] || fail "a run with failed stages exited 0"
[ ! -e "$work/ran-after-failure" ] || fail "a stage went on after a failing command"
[ -e "$work/later-ran" ] || fail "a failing stage stopped the stages after it"
grep -qx "FAILED: sanitizers windows" "$work/closing" || fail "closing lines: $(cat "$work/closing")"
grep -qx "stage main: passed" "$work/closing" || fail "closing lines: $(cat "$work/closing")"
grep -qx "tests: 7 passed, 1 failed" "$work/closing" || fail "closing lines: $(cat "$work/closing")"
grep -qx "time: main [0-9]* s, sanitizers [0-9]* s, windows [0-9]* s" "$work/closing" ||
  fail "closing lines: $(cat "$work/closing")"

# Every stage passing: the run passes.
stage_names=() stage_results=() stage_seconds=()
stage_summary=$work/summary2
run_stage main suite_passes > /dev/null
finish_stages > "$work/closing2" || fail "a run whose stages all passed failed"
grep -qx "every stage passed" "$work/closing2" || fail "closing lines: $(cat "$work/closing2")"
# A stage that cannot run here says so with exit 77: named skipped in the closing lines, never
# passed, and it fails nothing.
stage_names=() stage_results=() stage_seconds=()
stage_summary=$work/summary3
cannot_run() { echo "skipped: nothing to build with"; return 77; }
run_stage main suite_passes > /dev/null
run_stage windows-package cannot_run > /dev/null
finish_stages > "$work/closing3" || fail "a skipped stage failed the run: $(cat "$work/closing3")"
grep -qx "stage windows-package: skipped" "$work/closing3" || fail "closing lines: $(cat "$work/closing3")"
grep -qx "every stage passed but the skipped: windows-package" "$work/closing3" ||
  fail "closing lines: $(cat "$work/closing3")"
echo "stage runner: ok"
