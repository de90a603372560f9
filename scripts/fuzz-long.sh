#!/usr/bin/env bash
# Runs every libFuzzer target (or the ones named) for MINUTES each (10 when
# not given), one after the other so that one core is left free, from its
# corpus tests/data/fuzz/TARGET and its seeds. Prints the executions and
# the new inputs of each target; an input that fails is kept under
# build/fuzz-long/TARGET/ and the script fails at the end.
# With --save, the new inputs that reach code the corpus and the seeds do
# not are merged into tests/data/fuzz/TARGET (libFuzzer's -merge=1 keeps
# only those, counting branches and not how often they ran, so that the
# checked-in corpus stays small); commit them.
# Usage: fuzz-long.sh [--save] [MINUTES] [TARGET...]
set -euo pipefail
save=0
if [ "${1:-}" = "--save" ]; then
  save=1
  shift
fi
minutes=10
if [[ "${1:-}" =~ ^[0-9]+$ ]]; then
  minutes="$1"
  shift
fi
source "$(dirname "$0")/fuzz-build.sh"
for t in "$@"; do
  [[ " ${fuzz_names[*]} " == *" $t "* ]] || { echo "fuzz-long: no target $t (${fuzz_names[*]})"; exit 2; }
done

out="$fuzz_root/build/fuzz-long"
failed=()
summary=()
for i in "${!fuzz_names[@]}"; do
  t="${fuzz_names[$i]}"
  if (($#)) && [[ " $* " != *" $t "* ]]; then continue; fi
  dir="$out/$t"
  rm -rf "$dir"
  mkdir -p "$dir/new"
  fuzz_seed_into "$dir/start" "$i"
  echo "fuzz-long: $t for $minutes min (log: $dir/log)"
  status=0
  (cd "$dir" && "${fuzz_exes[$i]}" -max_total_time=$((minutes * 60)) -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$dir/" new start >"$dir/log" 2>&1) || status=$?
  runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/log" | tail -n 1)"
  found="$(find "$dir/new" -type f | wc -l)"
  line="$t: ${runs:-?} executions, $found new inputs"
  if ((status)); then
    tail -n 60 "$dir/log"
    line+=", FAILED (status $status): $(find "$dir" -maxdepth 1 -type f \( -name 'crash-*' -o -name 'leak-*' \
      -o -name 'timeout-*' -o -name 'oom-*' \) | tr '\n' ' ')"
    failed+=("$t")
  elif ((save)) && ((found)); then
    # Merge into what is there already (corpus and seeds), then keep what
    # the merge added.
    (cd "$dir/start" && find . -type f | sort) >"$dir/before"
    "${fuzz_exes[$i]}" -merge=1 -use_counters=0 -rss_limit_mb=2048 "$dir/start" "$dir/new" >"$dir/merge.log" 2>&1
    mkdir -p "${fuzz_corpus[$i]}"
    added=0
    while read -r f; do
      cp "$dir/start/$f" "${fuzz_corpus[$i]}/"
      added=$((added + 1))
    done < <(comm -13 "$dir/before" <(cd "$dir/start" && find . -type f | sort))
    line+=", $added saved into ${fuzz_corpus[$i]#"$fuzz_root"/}"
  fi
  summary+=("$line")
  echo "fuzz-long: $line"
done
echo "fuzz-long: summary"
printf '  %s\n' "${summary[@]}"
if ((${#failed[@]})); then
  echo "fuzz-long: failed: ${failed[*]}"
  exit 1
fi
