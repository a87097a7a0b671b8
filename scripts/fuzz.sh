#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for the given number of seconds,
# one after another. Each starts from its seed corpus under tests/fuzz/corpus
# and keeps what it learns in the build folder; an input that finds a fault
# is left in BUILD/findings/TARGET and the script fails.
#   scripts/fuzz.sh BUILD_DIR SECONDS [TARGET...]
set -uo pipefail
cd "$(dirname "$0")/.."
build="$1"
seconds="$2"
shift 2
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(export soluc join)

status=0
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  findings="$build/findings/$target"
  mkdir -p "$corpus" "$findings"
  echo "== fuzz_$target: $seconds s"
  if ! "$build/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 \
      -timeout=20 -rss_limit_mb=4096 -artifact_prefix="$findings/" \
      "$corpus" "tests/fuzz/corpus/$target" 2>"$build/fuzz_$target.log"; then
    status=1
    echo "fuzz_$target encontró un fallo: vea $build/fuzz_$target.log y $findings/"
  fi
  rm -rf /dev/shm/tmq-fuzz "${TMPDIR:-/tmp}/tmq-fuzz"
  grep -E '^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)' \
    "$build/fuzz_$target.log" || true
done
exit $status
