# The stages of a test run, sourced by scripts/dorvane.sh. Every stage runs even when an
# earlier one failed, so one run reports them all; the run fails when any stage failed, and its
# closing lines name each stage with its result.

stage_names=()
stage_results=()
stage_seconds=()

# run_stage NAME COMMAND [ARGS...]: runs COMMAND in a subshell that stops at its first failing
# command, its output also appended to the file $stage_summary.
run_stage() {
  local name=$1 status started=$SECONDS
  shift
  echo "== stage $name"
  set +e
  (
    set -e
    "$@"
  ) 2>&1 | tee -a "${stage_summary:-/dev/null}"
  status=${PIPESTATUS[0]}
  set -e
  stage_names+=("$name")
  stage_seconds+=("$((SECONDS - started))")
  # 77: the stage could not run here and said why (a skip, not a pass).
  case "$status" in
    0) stage_results+=(passed) ;;
    77) stage_results+=(skipped) ;;
    *) stage_results+=("failed (exit $status)") ;;
  esac
}

# Prints one line per stage and the tests' closing line; returns 1 when any stage failed.
finish_stages() {
  local i failed=() skipped=() times=() line
  for i in "${!stage_names[@]}"; do
    echo "stage ${stage_names[$i]}: ${stage_results[$i]}"
    times+=("${stage_names[$i]} ${stage_seconds[$i]:-?} s")
    case "${stage_results[$i]}" in
      passed) ;;
      skipped) skipped+=("${stage_names[$i]}") ;;
      *) failed+=("${stage_names[$i]}") ;;
    esac
  done
  line=$(printf '%s, ' "${times[@]}")
  echo "time: ${line%, }"
  if [ -n "${stage_summary:-}" ] && [ -f "$stage_summary" ]; then
    awk '/tests passed, [0-9]+ tests failed out of/ { failed += $4; total += $NF }
         /^tests: [0-9]+ passed, [0-9]+ failed$/ { failed += $4; total += $2 + $4 }
         END { printf "tests: %d passed, %d failed\n", total - failed, failed }' "$stage_summary"
  fi
  if [ ${#failed[@]} -gt 0 ]; then
    echo "FAILED: ${failed[*]}"
    return 1
  fi
  if [ ${#skipped[@]} -gt 0 ]; then
    echo "every stage passed but the skipped: ${skipped[*]}"
  else
    echo "every stage passed"
  fi
}
