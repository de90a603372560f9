#!/usr/bin/env bash
# Peak memory of kroyna-cut on a benchmark job with few and with many
# variants per pass: the keep-best list holds at most two layouts, so the
# two figures must stay within 2 MiB of each other.
#   bench/memory.sh [BUILD_DIR] [JOB]     (defaults: build/bench, kitchen)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build/bench}"
job="${2:-kitchen}"
cutter="$build/tools/cut/kroyna-cut"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
declare -A peak
for n in 10 100000; do
  python3 - "$root/bench/jobs/$job.json" "$tmp/job$n.json" "$n" <<'PY'
import json, sys
job = json.load(open(sys.argv[1], encoding="utf-8"))
job["variants"] = int(sys.argv[3])
json.dump(job, open(sys.argv[2], "w", encoding="utf-8"), ensure_ascii=False)
PY
  start=$(date +%s%N)
  peak[$n]=$( { /usr/bin/time -f "%M" "$cutter" "$tmp/job$n.json" > /dev/null; } 2>&1 | tail -1 )
  end=$(date +%s%N)
  ms=$(( (end - start) / 1000000 ))
  printf '%s N=%-6s peak %6s KiB  %d ms\n' "$job" "$n" "${peak[$n]}" "$ms"
done
diff=$(( ${peak[100000]} - ${peak[10]} ))
echo "difference: $diff KiB (limit 2048 KiB)"
[ "$diff" -le 2048 ]
