#!/usr/bin/env bash
# Builds every libFuzzer target with clang and runs each for a few seconds
# from its corpus (tests/data/fuzz/TARGET, which holds the inputs that once
# failed) and its seeds (shipped files and test fixtures), so that the
# readers of outside data are exercised on every test run and the fuzz
# targets keep building. Fails when a target fails.
# Usage: fuzz-smoke.sh [SECONDS_PER_TARGET]
set -euo pipefail
seconds="${1:-10}"
source "$(dirname "$0")/fuzz-build.sh"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failed=()
# One target a core at a time: each fuzzer runs on one core.
run_one() {
  local i="$1" t="${fuzz_names[$1]}"
  mkdir -p "$work/$t/corpus"
  fuzz_seed_into "$work/$t/seeds" "$i"
  (cd "$work/$t" && "${fuzz_exes[$i]}" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=0 \
    corpus seeds >"$work/$t/log" 2>&1)
}
jobs_at_once="$(nproc)"
pids=()
names=()
finish() {
  local k
  for k in "${!pids[@]}"; do
    if ! wait "${pids[$k]}"; then
      tail -n 40 "$work/${names[$k]}/log"
      echo "fuzz: ${names[$k]} failed"
      failed+=("${names[$k]}")
    fi
  done
  pids=()
  names=()
}
for i in "${!fuzz_names[@]}"; do
  echo "fuzz: ${fuzz_names[$i]} for ${seconds}s"
  run_one "$i" &
  pids+=("$!")
  names+=("${fuzz_names[$i]}")
  if ((${#pids[@]} >= jobs_at_once)); then finish; fi
done
finish
if ((${#failed[@]})); then
  echo "fuzz: failed: ${failed[*]}"
  exit 1
fi
echo "fuzz: every target ran without a failure"
