#!/usr/bin/env bash
# Builds every libFuzzer target with clang and runs each for a few seconds
# on the shipped files and test fixtures, so the readers of outside data are
# exercised on every test run and the fuzz targets keep building.
# Usage: fuzz-smoke.sh [SECONDS_PER_TARGET]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-10}"
build="$root/build/fuzz"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
  -DKROYNA_FUZZ=ON -DKROYNA_SANITIZE=ON -DKROYNA_TESTS=OFF >/dev/null
targets=(ini_fuzz dbf_fuzz mapfile_fuzz catalogue_files_fuzz report_fuzz parts_files_fuzz cut_job_fuzz models_file_fuzz)
cmake --build "$build" --parallel "$(nproc)" --target "${targets[@]}"

seeds_for() {
  case "$1" in
    ini_fuzz) echo "$root/data/Example/Kroyna.ini" ;;
    dbf_fuzz) echo "$root/data/Pattern $root/data/Example/Sheets $root/tests/data/dbase" ;;
    mapfile_fuzz) echo "$root/tests/data/maps" ;;
    report_fuzz) echo "$root/data/Reports $root/tests/data/report" ;;
    parts_files_fuzz) echo "$root/data/Example/Groups" ;;
    cut_job_fuzz) echo "$root/bench/jobs" ;;
    models_file_fuzz) echo "$root/data/Pattern/Models.dat" ;;
    *) echo "" ;;
  esac
}

# Memory that Qt, glib and libgsf keep for good (libgsf also on a damaged
# compound file it refuses) is not a leak of the program.
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
for t in "${targets[@]}"; do
  exe="$(find "$build" -type f -name "$t" -perm -u+x | head -n 1)"
  mkdir -p "$work/$t/corpus" "$work/$t/seeds"
  for s in $(seeds_for "$t"); do
    if [ -d "$s" ]; then
      find "$s" -maxdepth 1 -type f -exec cp {} "$work/$t/seeds/" \;
    elif [ -f "$s" ]; then
      cp "$s" "$work/$t/seeds/"
    fi
  done
  echo "fuzz: $t for ${seconds}s"
  (cd "$work/$t" && "$exe" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=0 \
      corpus seeds >"$work/$t/log" 2>&1) || {
    tail -n 40 "$work/$t/log"
    echo "fuzz: $t failed"
    exit 1
  }
done
echo "fuzz: every target ran without a failure"
