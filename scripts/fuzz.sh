#!/usr/bin/env bash
# Runs every fuzz target, one after another, for the given number of seconds each (default
# 600), starting from its corpus in fuzz/corpus/<target>/. Inputs that reach new code are
# written to build/fuzz/corpus-new/<target>/, crash, hang (over 1 s), leak and out-of-memory
# reproducers to build/fuzz/findings/<target>/, the fuzzer's output to build/fuzz/logs/.
# Prints executions, coverage and findings per target; fails when any target found something.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-600}
# FUZZ_TARGETS="pipeline camera_frame" runs only those.
read -r -a targets <<<"${FUZZ_TARGETS:-preset_file settings_file media_file pipeline camera_frame}"

scripts/setup.sh

# clang and the compiler runtime that holds libFuzzer.
if ! echo 'extern "C" int LLVMFuzzerTestOneInput(const char*, unsigned long) { return 0; }' |
    clang++ -x c++ -fsanitize=fuzzer -o /dev/null - 2>/dev/null; then
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
  fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq clang libclang-rt-dev
fi

cmake --preset fuzz
cmake --build --preset fuzz -j "$(nproc)" --target "${targets[@]/#/fuzz_}"

export QT_QPA_PLATFORM=offscreen
# The targets write their files in a temporary folder, in memory when the machine has one;
# a target stopped by a finding leaves its folder behind, so the run has one of its own.
memory=/tmp
if [ -w /dev/shm ]; then
  memory=/dev/shm
fi
TMPDIR=$(mktemp -d "$memory/vizmar-fuzz-run.XXXXXX")
export TMPDIR
trap 'rm -rf "$TMPDIR"' EXIT
found=0
summary=()
for target in "${targets[@]}"; do
  new="$root/build/fuzz/corpus-new/$target"
  findings="$root/build/fuzz/findings/$target"
  log="$root/build/fuzz/logs/$target.log"
  mkdir -p "$new" "$findings" "$(dirname "$log")"
  echo "== $target for $seconds s"
  # The targets change into a temporary folder, so every path handed to them is absolute.
  # An input taking over 1 s is a hang, except where honest work takes that long in this
  # instrumented build on a busy machine: in the pipeline an input with a new colour range
  # rebuilds the pass table of all 16.7 million colours, and the reader accepts frames of up
  # to 2^25 pixels, which a file of a few hundred bytes can announce.
  timeout=1
  case "$target" in
    pipeline) timeout=5 ;;
    media_file) timeout=3 ;;
  esac
  status=0
  "build/fuzz/fuzz/fuzz_$target" "$new" "$root/fuzz/corpus/$target" \
    -max_total_time="$seconds" -timeout="$timeout" -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$findings/" >"$log" 2>&1 || status=$?
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  coverage=$(grep -oE 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -n 1 || true)
  line="$target: ${executions:-?} executions, ${coverage:-no coverage line}"
  if [ "$status" -ne 0 ]; then
    found=1
    reproducer=$(sed -n 's/.*Test unit written to //p' "$log" | tail -n 1)
    reason=$(grep -m 1 -E 'ERROR: |runtime error|fuzz property failed|ALARM' "$log" || echo "exit status $status")
    line+=", FINDING: $reason; reproducer: ${reproducer:-none written}; log: $log"
  fi
  echo "$line"
  summary+=("$line")
done

echo "== summary"
printf '%s\n' "${summary[@]}"
exit "$found"
