#!/usr/bin/env bash
# The improved search on the project's own jobs (bench/jobs, kerf and trims):
# standard sheets against the quick search of the same job (N as in the
# file), the wall time of each kroyna-cut process, and its peak resident size.
#
#   bench/improved.sh [BUILD_DIR] [EFFORT...]     (defaults: build/release, 5 10)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build/release}"
shift || true
efforts=("$@")
[ ${#efforts[@]} -gt 0 ] || efforts=(5 10)
cutter="$build/tools/cut/kroyna-cut"
[ -x "$cutter" ] || { echo "no kroyna-cut in $build (build it Release first)" >&2; exit 1; }
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

# Runs one job; prints "sheets maps searchUsed seconds peakKiB".
measure() {
  local job="$1"
  local start end
  start=$(date +%s%N)
  /usr/bin/time -f "%M" -o "$tmp/peak" "$cutter" "$job" > "$tmp/out.json"
  end=$(date +%s%N)
  python3 - "$tmp/out.json" "$(( (end - start) / 1000000 ))" "$(cat "$tmp/peak")" <<'PY'
import json, sys
r = json.load(open(sys.argv[1], encoding="utf-8"))
standard = sum(m["quantity"] for m in r["maps"] if not m["offcut"])
offcuts = sum(m["quantity"] for m in r["maps"] if m["offcut"])
assert not r["unplaced"], "copies left unplaced"
print(f"{standard} {offcuts} {r['searchUsed']} {int(sys.argv[2]) / 1000:.2f} {sys.argv[3]}")
PY
}

printf '| job | search | standard sheets | offcuts used | made by | wall time | peak resident |\n'
printf '|---|---|---|---|---|---|---|\n'
for name in small kitchen large; do
  src="$root/bench/jobs/$name.json"
  read -r sheets offcuts used seconds peak < <(measure "$src")
  quick=$sheets
  n=$(python3 -c "import json,sys; print(json.load(open(sys.argv[1]))['variants'])" "$src")
  printf '| %s | quick, N = %s | %s | %s | %s | %s s | %s KiB |\n' "$name" "$n" "$sheets" "$offcuts" "$used" "$seconds" "$peak"
  for effort in "${efforts[@]}"; do
    python3 - "$src" "$tmp/job.json" "$effort" <<'PY'
import json, sys
job = json.load(open(sys.argv[1], encoding="utf-8"))
job["search"] = "improved"
job["effort"] = int(sys.argv[3])
json.dump(job, open(sys.argv[2], "w", encoding="utf-8"), ensure_ascii=False)
PY
    read -r sheets offcuts used seconds peak < <(measure "$tmp/job.json")
    printf '| %s | improved, effort %s | %s (%+d) | %s | %s | %s s | %s KiB |\n' "$name" "$effort" "$sheets" \
      "$(( sheets - quick ))" "$offcuts" "$used" "$seconds" "$peak"
  done
done
