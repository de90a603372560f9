#!/usr/bin/env bash
# Builds everything (the benchmarks too, which are built but not run) with
# AddressSanitizer and UndefinedBehaviorSanitizer, runs every test, then
# the readers of outside data under libFuzzer for a few seconds each. The
# fuzz pass runs even when a test failed, so that both results show; the
# command fails when either failed.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh" test
build="$root/build/test"
launcher=()
# A compiler cache, where installed, also for the precompiled headers.
export CCACHE_SLOPPINESS="${CCACHE_SLOPPINESS:-pch_defines,time_macros,include_file_mtime,include_file_ctime}"
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
# Line tables are all the sanitizers' reports need, and much less to
# compile and link than full debug information.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DKROYNA_SANITIZE=ON \
  -DKROYNA_TESTS=ON -DKROYNA_BENCH=ON "${launcher[@]}" >/dev/null
cmake --build "$build" --parallel "$(nproc)"
export QT_QPA_PLATFORM=offscreen
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
status=0
ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)" --timeout 600 || status=1
"$root/scripts/fuzz-smoke.sh" 10 || status=1
if ((status)); then
  echo "test: FAILED (see the test and fuzz output above)"
fi
exit "$status"
