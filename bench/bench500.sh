#!/usr/bin/env bash
# The 500 standard two-dimensional bin-packing instances (../shared/bench500,
# see its README) laid out by kroyna-cut, with the parts as given and with
# turning allowed: sheets per class against the best-known totals, for the
# quick search with N = 0 and N = 100 and the improved search at effort 1, 5
# and 10, with the wall time of each run over the whole set.
#
#   bench/bench500.sh [BUILD_DIR]          (default build/release)
#
# Environment: BENCH500 the folder of the jobs (default ../shared/bench500/jobs
# beside the repository), PARALLEL the kroyna-cut processes run at a time
# (default 2, one thread each), CONFIGS the runs (default
# "quick0 quick100 improved1 improved5 improved10"), ORIENTATIONS
# (default "given turned").
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build/release}"
cutter="$build/tools/cut/kroyna-cut"
jobs="${BENCH500:-$root/../shared/bench500/jobs}"
[ -x "$cutter" ] || { echo "no kroyna-cut in $build (build it Release first)" >&2; exit 1; }
[ -d "$jobs" ] || { echo "no jobs in $jobs" >&2; exit 1; }
python3 - "$cutter" "$jobs" "${PARALLEL:-2}" "${CONFIGS:-quick0 quick100 improved1 improved5 improved10}" \
  "${ORIENTATIONS:-given turned}" <<'PY'
import concurrent.futures, json, os, subprocess, sys, time

cutter, folder, parallel, configs, orientations = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4].split(), sys.argv[5].split()
best = {
    "given": [997, 125, 698, 123, 893, 113, 825, 833, 2130, 506],
    "turned": [972, 124, 675, 119, 860, 109, 753, 757, 2119, 492],
}
names = sorted(f for f in os.listdir(folder) if f.endswith(".json"))
jobs = {f: json.load(open(os.path.join(folder, f), encoding="utf-8")) for f in names}

def job_for(name, config, orientation):
    job = json.loads(json.dumps(jobs[name]))
    for p in job["parts"]:
        p["rotate"] = 0 if orientation == "turned" else 1
    if config.startswith("quick"):
        job["search"] = "quick"
        job["variants"] = int(config[len("quick"):])
    else:
        job["search"] = "improved"
        job["effort"] = int(config[len("improved"):])
        job["variants"] = 0
        job["threads"] = 1
    return job

def run(name, config, orientation):
    out = subprocess.run([cutter, "-"], input=json.dumps(job_for(name, config, orientation)).encode(),
                         capture_output=True)
    if out.returncode != 0:
        raise SystemExit(f"{name} {config} {orientation}: exit {out.returncode}: {out.stderr.decode()}")
    result = json.loads(out.stdout)
    if result["unplaced"]:
        raise SystemExit(f"{name} {config} {orientation}: copies left unplaced")
    sheets = sum(m["quantity"] for m in result["maps"])
    return name, sheets, result["searchUsed"]

def label(config):
    return f"quick N={config[5:]}" if config.startswith("quick") else f"improved e={config[8:]}"

for orientation in orientations:
    known = best[orientation]
    print(f"\nparts {'may be turned' if orientation == 'turned' else 'kept as given'} "
          f"(best known {sum(known)}), {len(names)} jobs, {parallel} at a time")
    header = "| run | " + " | ".join(f"c{c}" for c in range(1, 11)) + " | total | over best | time |"
    print(header)
    print("|" + "---|" * 14)
    print("| best known | " + " | ".join(str(n) for n in known) + f" | {sum(known)} | | |")
    for config in configs:
        start = time.time()
        per_class = [0] * 10
        fallback = 0
        with concurrent.futures.ThreadPoolExecutor(max_workers=parallel) as pool:
            for name, sheets, used in pool.map(lambda n: run(n, config, orientation), names):
                per_class[int(name[1:3]) - 1] += sheets
                if config.startswith("improved") and used != "improved":
                    fallback += 1
        seconds = time.time() - start
        total = sum(per_class)
        note = f" ({fallback} kept the base search)" if fallback else ""
        print(f"| {label(config)} | " + " | ".join(str(n) for n in per_class) +
              f" | {total} | {100.0 * (total - sum(known)) / sum(known):+.2f} % | {seconds:.1f} s{note} |", flush=True)
PY
