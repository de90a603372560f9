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
for i in "${!fuzz_names[@]}"; do
  t="${fuzz_names[$i]}"
  mkdir -p "$work/$t/corpus"
  fuzz_seed_into "$work/$t/seeds" "$i"
  echo "fuzz: $t for ${seconds}s"
  (cd "$work/$t" && "${fuzz_exes[$i]}" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=0 \
    corpus seeds >"$work/$t/log" 2>&1) || {
    tail -n 40 "$work/$t/log"
    echo "fuzz: $t failed"
    failed+=("$t")
  }
done
if ((${#failed[@]})); then
  echo "fuzz: failed: ${failed[*]}"
  exit 1
fi
echo "fuzz: every target ran without a failure"
